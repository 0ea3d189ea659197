#pragma once

// The skin's texts: the bold face every caption, hint and list uses, and the screen's hint line.

#include "platform/draw/DeviceContext.h"
#include "platform/draw/Font.h"

#include <memory>

// "Tahoma" bold, width 6, OEM character set, swiss family, at the given height.
std::unique_ptr<Font> CreateSkinFont(int height);

// Draws the text white and centred in the hint line at the bottom of the screen.
void DrawHintText(HDC dc, const WString& text);
