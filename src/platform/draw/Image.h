#pragma once

// A decoded background image (PNG or BMP) that draws itself whole, scaled into a
// rectangle. Decoded once when loaded; a rectangle of the image's own size, as every screen's
// paint is, takes a straight copy.

#include "platform/draw/DeviceContext.h"
#include "platform/draw/Surface.h"

#include <cstdint>
#include <filesystem>
#include <memory>

class Image {
public:
    explicit Image(Surface pixels) : m_pixels(std::move(pixels)) { }

    // Null when the file cannot be read or decoded.
    static std::unique_ptr<Image> Load(const std::filesystem::path& path);
    static std::unique_ptr<Image> Decode(const uint8_t* data, size_t size);

    int Width() const { return m_pixels.Width(); }
    int Height() const { return m_pixels.Height(); }
    const Surface& Pixels() const { return m_pixels; }

    void Draw(HDC dc, const RECT& rect) const;

private:
    Surface m_pixels;
};

// Image files (backgrounds and bitmaps alike) this process has read and decoded so far.
uint64_t ImageFilesDecoded();
void CountImageFileDecoded();
