#pragma once

// A memory bitmap: an owned surface that a memory context draws into once it is selected there.

#include "platform/draw/DeviceContext.h"
#include "platform/draw/Surface.h"

#include <memory>

class Bitmap {
public:
    Bitmap(int width, int height, uint32_t fill = 0) : m_surface(width, height, fill) { }
    explicit Bitmap(Surface surface) : m_surface(std::move(surface)) { }

    int Width() const { return m_surface.Width(); }
    int Height() const { return m_surface.Height(); }
    Surface& Pixels() { return m_surface; }
    const Surface& Pixels() const { return m_surface; }

private:
    Surface m_surface;
};

using HBITMAP = Bitmap*;

// All our surfaces share one pixel format, so the context only stands for the device it came from.
std::unique_ptr<Bitmap> CreateCompatibleBitmap(HDC dc, int width, int height);
