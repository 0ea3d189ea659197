#pragma once

// The skin's texts: the bold face every text is drawn in, and the screen's hint line.

#include "platform/draw/DeviceContext.h"
#include "platform/draw/Font.h"
#include "ui/SkinPlaces.h"

#include <memory>

// "Tahoma" of the font's weight, height and width, OEM character set, swiss family.
std::unique_ptr<Font> CreateSkinFont(const skin::place::TextFont& font);

// Draws the text in the skin's plain font, centred in the hint line at the bottom of the screen.
void DrawHintText(HDC dc, const WString& text);
