#pragma once

// Button strips, icons and gauges are Windows bitmap files (24- and 32-bit, 8-bit paletted,
// bottom-up or top-down) loaded whole into a memory bitmap.

#include "platform/draw/Bitmap.h"

#include <filesystem>
#include <memory>

// Null when the file is missing, not a bitmap file, truncated or corrupt.
std::unique_ptr<Bitmap> LoadDIBitmap(const std::filesystem::path& path);
std::unique_ptr<Bitmap> DecodeDIBitmap(const uint8_t* data, size_t size);
