#pragma once

// Decoding image files (PNG and BMP, the formats of the skins) into surfaces and writing surfaces
// as PNG. Anything that cannot be read (missing, truncated, corrupt, of another format, larger
// than kMaxImageSide on a side or than kMaxImagePixels in all) yields no surface.

#include "platform/draw/Surface.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>

constexpr int kMaxImageSide = 4096;
// 16 MiB as a surface: a few times the largest skin image (a 480 x 272 background), and a bound
// on what one file can make the program hold.
constexpr int64_t kMaxImagePixels = int64_t(4096) * 1024;

enum class ImageFormat { Any, Bmp };

std::optional<Surface> DecodeImage(const uint8_t* data, size_t size, ImageFormat format = ImageFormat::Any);
std::optional<Surface> DecodeImageFile(const std::filesystem::path& path, ImageFormat format = ImageFormat::Any);

bool SavePng(const Surface& surface, const std::filesystem::path& path);
std::optional<Surface> LoadPng(const std::filesystem::path& path);
