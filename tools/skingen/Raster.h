#pragma once

// An RGBA picture the generator paints into. Shapes are given as signed distance functions
// (negative inside), which makes every edge anti-aliased from the distance alone.

#include "Rgba.h"

#include <functional>
#include <vector>

struct RectF {
    float x = 0, y = 0, w = 0, h = 0;
};

class Raster {
public:
    Raster() = default;
    Raster(int width, int height, Rgba fill = { 0, 0, 0, 0 });

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    Rgba& At(int x, int y) { return m_pixels[size_t(y) * size_t(m_width) + size_t(x)]; }
    const Rgba& At(int x, int y) const { return m_pixels[size_t(y) * size_t(m_width) + size_t(x)]; }

    // Source-over blend of c, weighted by coverage (0..1); points off the picture are ignored.
    void Blend(int x, int y, Rgba c, float coverage);

    // Fills the shape, sampling the paint between the bounds' top and bottom.
    void FillShape(RectF bounds, const std::function<float(float, float)>& distance, Paint paint);
    // A band of the given width centred on the shape's outline.
    void StrokeShape(
        RectF bounds, const std::function<float(float, float)>& distance, float width, Rgba colour);

    void FillRoundRect(RectF r, float radius, Paint paint);
    void StrokeRoundRect(RectF r, float radius, float width, Rgba colour);
    void FillCircle(float cx, float cy, float radius, Paint paint);
    void DrawLine(float x0, float y0, float x1, float y1, float width, Rgba colour);

    // Source-over of a whole picture at (dx, dy).
    void Draw(const Raster& src, int dx, int dy);
    Raster Crop(int x, int y, int width, int height) const;
    // Area-averaged resize; meant for shrinking.
    Raster Resized(int width, int height) const;
    // Nearest-neighbour enlargement by a whole factor, so pixels stay visible as pixels.
    Raster Enlarged(int factor) const;

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<Rgba> m_pixels;
};

float RoundRectDistance(float px, float py, RectF r, float radius);
float SegmentDistance(float px, float py, float x0, float y0, float x1, float y1);
