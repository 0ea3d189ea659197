#include "Raster.h"

#include <algorithm>
#include <cmath>

Raster::Raster(int width, int height, Rgba fill)
    : m_width(width)
    , m_height(height)
    , m_pixels(size_t(width) * size_t(height), fill)
{
}

void Raster::Blend(int x, int y, Rgba c, float coverage)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    float sa = std::clamp(c.a * coverage, 0.f, 1.f);
    if (sa <= 0)
        return;
    Rgba& d = At(x, y);
    float outA = sa + d.a * (1 - sa);
    if (outA <= 0)
        return;
    auto mix = [&](float s, float dc) { return (s * sa + dc * d.a * (1 - sa)) / outA; };
    d = { mix(c.r, d.r), mix(c.g, d.g), mix(c.b, d.b), outA };
}

void Raster::FillShape(RectF bounds, const std::function<float(float, float)>& distance, Paint paint)
{
    int x0 = std::max(0, int(std::floor(bounds.x)) - 1);
    int y0 = std::max(0, int(std::floor(bounds.y)) - 1);
    int x1 = std::min(m_width, int(std::ceil(bounds.x + bounds.w)) + 1);
    int y1 = std::min(m_height, int(std::ceil(bounds.y + bounds.h)) + 1);
    for (int y = y0; y < y1; ++y) {
        float t = bounds.h > 1 ? (y + 0.5f - bounds.y) / bounds.h : 0.f;
        Rgba c = paint.At(t);
        for (int x = x0; x < x1; ++x) {
            float coverage = std::clamp(0.5f - distance(x + 0.5f, y + 0.5f), 0.f, 1.f);
            if (coverage > 0)
                Blend(x, y, c, coverage);
        }
    }
}

void Raster::StrokeShape(
    RectF bounds, const std::function<float(float, float)>& distance, float width, Rgba colour)
{
    RectF grown { bounds.x - width, bounds.y - width, bounds.w + 2 * width, bounds.h + 2 * width };
    FillShape(
        grown, [&](float x, float y) { return std::fabs(distance(x, y)) - width / 2; }, Paint::Solid(colour));
}

float RoundRectDistance(float px, float py, RectF r, float radius)
{
    radius = std::min({ radius, r.w / 2, r.h / 2 });
    float cx = r.x + r.w / 2, cy = r.y + r.h / 2;
    float qx = std::fabs(px - cx) - (r.w / 2 - radius);
    float qy = std::fabs(py - cy) - (r.h / 2 - radius);
    float outside = std::hypot(std::max(qx, 0.f), std::max(qy, 0.f));
    return outside + std::min(std::max(qx, qy), 0.f) - radius;
}

float SegmentDistance(float px, float py, float x0, float y0, float x1, float y1)
{
    float dx = x1 - x0, dy = y1 - y0;
    float len2 = dx * dx + dy * dy;
    float t = len2 > 0 ? std::clamp(((px - x0) * dx + (py - y0) * dy) / len2, 0.f, 1.f) : 0.f;
    return std::hypot(px - (x0 + t * dx), py - (y0 + t * dy));
}

void Raster::FillRoundRect(RectF r, float radius, Paint paint)
{
    FillShape(
        r, [&](float x, float y) { return RoundRectDistance(x, y, r, radius); }, paint);
}

void Raster::StrokeRoundRect(RectF r, float radius, float width, Rgba colour)
{
    // The band lies just inside the rectangle, so a 1-pixel border stays within it.
    RectF inner { r.x + width / 2, r.y + width / 2, r.w - width, r.h - width };
    StrokeShape(
        inner, [&](float x, float y) { return RoundRectDistance(x, y, inner, radius - width / 2); }, width,
        colour);
}

void Raster::FillCircle(float cx, float cy, float radius, Paint paint)
{
    RectF bounds { cx - radius, cy - radius, 2 * radius, 2 * radius };
    FillShape(
        bounds, [&](float x, float y) { return std::hypot(x - cx, y - cy) - radius; }, paint);
}

void Raster::DrawLine(float x0, float y0, float x1, float y1, float width, Rgba colour)
{
    RectF bounds { std::min(x0, x1) - width, std::min(y0, y1) - width, std::fabs(x1 - x0) + 2 * width,
        std::fabs(y1 - y0) + 2 * width };
    FillShape(
        bounds, [&](float x, float y) { return SegmentDistance(x, y, x0, y0, x1, y1) - width / 2; },
        Paint::Solid(colour));
}

void Raster::Draw(const Raster& src, int dx, int dy)
{
    for (int y = 0; y < src.Height(); ++y)
        for (int x = 0; x < src.Width(); ++x)
            Blend(dx + x, dy + y, src.At(x, y), 1.f);
}

Raster Raster::Crop(int x, int y, int width, int height) const
{
    Raster out(width, height);
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i)
            if (x + i >= 0 && y + j >= 0 && x + i < m_width && y + j < m_height)
                out.At(i, j) = At(x + i, y + j);
    return out;
}

Raster Raster::Resized(int width, int height) const
{
    Raster out(width, height);
    float sx = float(m_width) / float(width), sy = float(m_height) / float(height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int ax = int(x * sx), bx = std::max(ax + 1, int(std::ceil((x + 1) * sx)));
            int ay = int(y * sy), by = std::max(ay + 1, int(std::ceil((y + 1) * sy)));
            Rgba sum { 0, 0, 0, 0 };
            int n = 0;
            for (int j = ay; j < std::min(by, m_height); ++j)
                for (int i = ax; i < std::min(bx, m_width); ++i, ++n) {
                    const Rgba& p = At(i, j);
                    sum = { sum.r + p.r, sum.g + p.g, sum.b + p.b, sum.a + p.a };
                }
            if (n > 0)
                out.At(x, y) = { sum.r / n, sum.g / n, sum.b / n, sum.a / n };
        }
    }
    return out;
}

Raster Raster::Enlarged(int factor) const
{
    Raster out(m_width * factor, m_height * factor);
    for (int y = 0; y < out.Height(); ++y)
        for (int x = 0; x < out.Width(); ++x)
            out.At(x, y) = At(x / factor, y / factor);
    return out;
}
