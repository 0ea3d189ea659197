#pragma once

// A set of pixels made of non-overlapping rectangles. Windows use regions for their shape (the
// screens cut holes out of themselves), for what is visible of them and for what needs painting.

#include "platform/core/Types.h"

#include <vector>

class Region {
public:
    Region() = default;
    explicit Region(const RECT& rect);

    bool IsEmpty() const { return m_rects.empty(); }
    bool Contains(POINT p) const;
    // Whether every pixel of the rectangle is in the region.
    bool Covers(const RECT& rect) const;
    RECT Bounds() const;
    const std::vector<RECT>& Rects() const { return m_rects; }

    Region& Union(const RECT& rect);
    Region& Union(const Region& other);
    Region& Subtract(const RECT& rect);
    Region& Subtract(const Region& other);
    Region& Intersect(const RECT& rect);
    Region& Intersect(const Region& other);
    Region& Offset(LONG dx, LONG dy);

    // Same set of pixels, however the rectangles are cut.
    bool SameArea(const Region& other) const;

private:
    std::vector<RECT> m_rects;
};
