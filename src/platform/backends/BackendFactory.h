#pragma once

// Chooses the display: OSTRILAN_DISPLAY=sdl|headless; by default sdl when a display is reachable
// (DISPLAY or WAYLAND_DISPLAY set and SDL opens a window), else headless. OSTRILAN_SCALE=<n>
// enlarges the SDL window.

#include "platform/backends/DisplayBackend.h"

#include <memory>

std::unique_ptr<DisplayBackend> CreateDisplayBackend(int width, int height);
