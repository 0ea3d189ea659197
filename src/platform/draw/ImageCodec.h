#pragma once

// Decoding image files into surfaces and writing surfaces as PNG. Anything that cannot be read
// (missing, truncated, corrupt, of a foreign format or larger than kMaxImageSide on a side)
// yields no surface.

#include "platform/draw/Surface.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>

constexpr int kMaxImageSide = 4096;

enum class ImageFormat { Any, Bmp };

std::optional<Surface> DecodeImage(const uint8_t* data, size_t size, ImageFormat format = ImageFormat::Any);
std::optional<Surface> DecodeImageFile(const std::filesystem::path& path, ImageFormat format = ImageFormat::Any);

bool SavePng(const Surface& surface, const std::filesystem::path& path);
std::optional<Surface> LoadPng(const std::filesystem::path& path);
