#include "platform/draw/Surface.h"

#include <algorithm>

Surface::Surface(int width, int height, uint32_t fill)
    : m_width(std::max(width, 0))
    , m_height(std::max(height, 0))
{
    // Black, the usual fill, as one memset: the element-wise fill cost ten times a copy.
    if (fill == 0)
        m_pixels.resize(size_t(m_width) * size_t(m_height));
    else
        m_pixels.assign(size_t(m_width) * size_t(m_height), fill);
}

uint32_t Surface::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0;
    return Row(y)[x];
}

void Surface::SetPixel(int x, int y, uint32_t value)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    Row(y)[x] = value;
}

void Surface::Fill(const RECT& rect, uint32_t value)
{
    RECT r = rect.Intersect(Bounds());
    for (int y = r.top; y < r.bottom; ++y)
        std::fill(Row(y) + r.left, Row(y) + r.right, value);
}
