#pragma once

// A screen's background image: taken from the skin's decoded images when the screen opens, kept
// by the screen and drawn on each of its paints.

#include "platform/draw/Image.h"

#include <memory>

// Takes the image file (full path) into *background and draws it, scaled, into the background
// band of rect (from y 37 down to 35 above rect's bottom). A file that cannot be read or decoded
// leaves the screen without a background; the result is true either way.
bool LoadBackground(HDC dc, const WString& path, std::shared_ptr<const Image>* background, const RECT& rect);
