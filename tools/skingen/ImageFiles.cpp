#include "ImageFiles.h"

// Kept private to this file: the application's own image code carries another copy.
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

#include <algorithm>
#include <fstream>
#include <vector>

namespace {

// Every image is opaque on the device; whatever alpha is left is laid over black.
uint8_t Channel(float c, float a)
{
    return uint8_t(std::clamp(c * a, 0.f, 1.f) * 255.f + 0.5f);
}

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

}

bool WriteBmp(const Raster& image, const std::filesystem::path& path)
{
    const uint32_t stride = (uint32_t(image.Width()) * 3 + 3) & ~3u;
    const uint32_t dataSize = stride * uint32_t(image.Height());
    const uint32_t headerSize = 14 + 40;
    std::vector<uint8_t> out;
    out.reserve(headerSize + dataSize);
    out.push_back('B');
    out.push_back('M');
    PutLe(out, headerSize + dataSize, 4);
    PutLe(out, 0, 4);
    PutLe(out, headerSize, 4);
    PutLe(out, 40, 4); // BITMAPINFOHEADER
    PutLe(out, uint32_t(image.Width()), 4);
    PutLe(out, uint32_t(image.Height()), 4); // positive: bottom-up
    PutLe(out, 1, 2);
    PutLe(out, 24, 2);
    PutLe(out, 0, 4); // BI_RGB
    PutLe(out, dataSize, 4);
    PutLe(out, 2835, 4); // 72 dpi
    PutLe(out, 2835, 4);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);
    for (int y = image.Height() - 1; y >= 0; --y) {
        size_t rowStart = out.size();
        for (int x = 0; x < image.Width(); ++x) {
            const Rgba& p = image.At(x, y);
            out.push_back(Channel(p.b, p.a));
            out.push_back(Channel(p.g, p.a));
            out.push_back(Channel(p.r, p.a));
        }
        out.resize(rowStart + stride, 0);
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(out.data()), std::streamsize(out.size()));
    return bool(file);
}

bool WritePng(const Raster& image, const std::filesystem::path& path)
{
    std::vector<uint8_t> rgb;
    rgb.reserve(size_t(image.Width()) * size_t(image.Height()) * 3);
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const Rgba& p = image.At(x, y);
            rgb.push_back(Channel(p.r, p.a));
            rgb.push_back(Channel(p.g, p.a));
            rgb.push_back(Channel(p.b, p.a));
        }
    return stbi_write_png(
               path.string().c_str(), image.Width(), image.Height(), 3, rgb.data(), image.Width() * 3)
        != 0;
}
