#pragma once

// Copying pixels between contexts: straight copies (BitBlt) and scaled ones (StretchBlt, and the
// scaled drawing of a whole surface into a rectangle that backgrounds use). Only the destination's
// origin and clip count; source pixels outside the source surface are left undrawn.

#include "platform/draw/DeviceContext.h"

constexpr DWORD SRCCOPY = 0x00CC0020;

bool BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
    DWORD rop = SRCCOPY);
// BitBlt from a surface that no context holds, such as a shared skin image.
void CopySurface(HDC dest, int x, int y, int width, int height, const Surface& source, int sourceX, int sourceY);
bool StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
    int sourceWidth, int sourceHeight, DWORD rop = SRCCOPY);

// Bilinear scaling of part of a surface into a rectangle of the context's coordinates.
void DrawSurfaceScaled(HDC dest, const RECT& destRect, const Surface& source, const RECT& sourceRect);
