#pragma once

// A 32-bit pixel buffer: the screen, or a memory bitmap. Pixels are 0x00RRGGBB.

#include "platform/core/Types.h"

#include <cstdint>
#include <vector>

class Surface {
public:
    Surface() = default;
    Surface(int width, int height, uint32_t fill = 0);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    RECT Bounds() const { return { 0, 0, m_width, m_height }; }
    bool IsEmpty() const { return m_width <= 0 || m_height <= 0; }

    uint32_t* Row(int y) { return m_pixels.data() + size_t(y) * size_t(m_width); }
    const uint32_t* Row(int y) const { return m_pixels.data() + size_t(y) * size_t(m_width); }
    uint32_t Pixel(int x, int y) const;
    void SetPixel(int x, int y, uint32_t value);
    // Fills the part of the rectangle that lies on the surface.
    void Fill(const RECT& rect, uint32_t value);

    const std::vector<uint32_t>& Pixels() const { return m_pixels; }

    static uint32_t FromColorRef(COLORREF c) { return (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c); }
    static COLORREF ToColorRef(uint32_t p) { return RGB(BYTE(p >> 16), BYTE(p >> 8), BYTE(p)); }

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<uint32_t> m_pixels;
};
