#pragma once

// The skin's texts: the bold face every text is drawn in, and the screen's hint line.

#include "platform/draw/DeviceContext.h"
#include "platform/draw/Font.h"
#include "ui/SkinPlaces.h"


// "Tahoma" of the look's weight, height and width, OEM character set, swiss family; made once for
// each look, since a skin is chosen at start and its looks stay.
const Font& SkinFont(const skin::place::TextFont& look);

// Draws the text in the skin's plain font, centred in the hint line at the bottom of the screen.
void DrawHintText(HDC dc, const WString& text);
