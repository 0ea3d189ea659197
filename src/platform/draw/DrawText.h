#pragma once

// Drawing text with the context's font, colour and background mode, in a rectangle, clipped to it
// and to the context's clip. Lines are split at line feeds (a carriage return before one is
// ignored) unless DT_SINGLELINE is given. The vertical alignments place the whole block of lines,
// with or without DT_SINGLELINE, because the lists ask for text centred both ways in their cells.

#include "platform/draw/DeviceContext.h"

constexpr UINT DT_TOP = 0x0000;
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_RIGHT = 0x0002;
constexpr UINT DT_VCENTER = 0x0004;
constexpr UINT DT_BOTTOM = 0x0008;
constexpr UINT DT_SINGLELINE = 0x0020;
constexpr UINT DT_NOCLIP = 0x0100;

// Returns the height of the text drawn; 0 when nothing could be drawn (no font file, no target).
int DrawText(HDC dc, const WString& text, const RECT& rect, UINT format);
// The width and height the text would take with the context's font.
SIZE GetTextExtent(HDC dc, const WString& text);
// The text as it fits in width with the context's font: whole, or its longest beginning that
// fits with an ellipsis after it.
WString FitTextToWidth(HDC dc, const WString& text, int width);
