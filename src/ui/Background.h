#pragma once

// A screen's background image: taken from the skin's decoded images when the screen opens, kept
// by the screen and drawn on each of its paints.

#include "platform/draw/Image.h"
#include "platform/win/Window.h"

#include <memory>

// Takes the image file (full path) into *background and draws it at once, scaled, into the
// window's background band (from y 37 down to 35 above rect's bottom). What of the band already
// waits for the screen's paint, which draws the whole background, is left to that paint: it
// would be painted over before anything reaches the glass. A file that cannot be read or decoded
// leaves the screen without a background; the result is true either way.
bool LoadBackground(Window& window, const WString& path, std::shared_ptr<const Image>* background, const RECT& rect);

// The whole background into the client rectangle; black where there is none.
void DrawBackground(HDC dc, const Image* background, const RECT& client);
