#include "platform/draw/ImageCodec.h"

#include <fstream>
#include <iterator>
#include <vector>

#define STBI_MAX_DIMENSIONS 4096
#define STBI_NO_STDIO
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

static_assert(STBI_MAX_DIMENSIONS == kMaxImageSide);

namespace {

// Whole files are read into memory: skin images are small, and a size checked up front keeps a
// corrupt or enormous file from costing more than a refusal.
constexpr std::uintmax_t kMaxFileBytes = 64u << 20;

std::optional<std::vector<uint8_t>> ReadBytes(const std::filesystem::path& path)
{
    std::error_code ec;
    auto size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxFileBytes)
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return bytes;
}

void AppendBytes(void* context, void* data, int size)
{
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    auto* bytes = static_cast<const uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

}

std::optional<Surface> DecodeImage(const uint8_t* data, size_t size, ImageFormat format)
{
    if (!data || size < 2 || size > kMaxFileBytes)
        return std::nullopt;
    if (format == ImageFormat::Bmp && (data[0] != 'B' || data[1] != 'M'))
        return std::nullopt;
    int width = 0;
    int height = 0;
    int channels = 0;
    if (!stbi_info_from_memory(data, int(size), &width, &height, &channels))
        return std::nullopt;
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide)
        return std::nullopt;
    stbi_uc* rgb = stbi_load_from_memory(data, int(size), &width, &height, &channels, 3);
    if (!rgb)
        return std::nullopt;
    Surface surface(width, height);
    const stbi_uc* p = rgb;
    for (int y = 0; y < height; ++y) {
        uint32_t* row = surface.Row(y);
        for (int x = 0; x < width; ++x, p += 3)
            row[x] = (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
    }
    stbi_image_free(rgb);
    return surface;
}

std::optional<Surface> DecodeImageFile(const std::filesystem::path& path, ImageFormat format)
{
    auto bytes = ReadBytes(path);
    if (!bytes)
        return std::nullopt;
    return DecodeImage(bytes->data(), bytes->size(), format);
}

bool SavePng(const Surface& surface, const std::filesystem::path& path)
{
    if (surface.IsEmpty())
        return false;
    std::vector<uint8_t> rgb;
    rgb.reserve(size_t(surface.Width()) * size_t(surface.Height()) * 3);
    for (uint32_t pixel : surface.Pixels()) {
        rgb.push_back(uint8_t(pixel >> 16));
        rgb.push_back(uint8_t(pixel >> 8));
        rgb.push_back(uint8_t(pixel));
    }
    std::vector<uint8_t> png;
    if (!stbi_write_png_to_func(AppendBytes, &png, surface.Width(), surface.Height(), 3, rgb.data(),
            surface.Width() * 3))
        return false;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
    return bool(out.flush());
}

std::optional<Surface> LoadPng(const std::filesystem::path& path)
{
    return DecodeImageFile(path);
}
