#pragma once

// Writing painted images: button strips as 24-bit Windows bitmaps (bottom-up rows, as the
// device's bitmap loader expects), backgrounds and sheets as PNG.

#include "Raster.h"

#include <filesystem>

bool WriteBmp(const Raster& image, const std::filesystem::path& path);
bool WritePng(const Raster& image, const std::filesystem::path& path);
