#pragma once

// Chooses the display: OSTRILAN_DISPLAY=sdl|headless; by default sdl when a display is reachable
// (DISPLAY or WAYLAND_DISPLAY set and SDL opens a window), else headless.
// OSTRILAN_SCALE=<factor> sizes the SDL window (any factor from 0.25 to 8, e.g. 1.5; anything else
// is 1); OSTRILAN_FULLSCREEN=1 (or `fullscreen` true, the command line's --fullscreen) fills the
// display instead, the picture fitted and centred.

#include "platform/backends/DisplayBackend.h"

#include <memory>

std::unique_ptr<DisplayBackend> CreateDisplayBackend(int width, int height, bool fullscreen = false);

// OSTRILAN_SCALE's text as a factor: a number within the bounds, else 1.
double WindowScaleFrom(const char* text);
