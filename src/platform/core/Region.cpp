#include "platform/core/Region.h"

#include <algorithm>

namespace {

// Appends the parts of `from` that lie outside `cut`: at most four rectangles.
void AppendDifference(const RECT& from, const RECT& cut, std::vector<RECT>& out)
{
    RECT inner = from.Intersect(cut);
    if (inner.IsEmpty()) {
        out.push_back(from);
        return;
    }
    if (from.top < inner.top)
        out.push_back({ from.left, from.top, from.right, inner.top });
    if (inner.bottom < from.bottom)
        out.push_back({ from.left, inner.bottom, from.right, from.bottom });
    if (from.left < inner.left)
        out.push_back({ from.left, inner.top, inner.left, inner.bottom });
    if (inner.right < from.right)
        out.push_back({ inner.right, inner.top, from.right, inner.bottom });
}

// Working space for the operations, so that cutting a region up does not allocate each time.
std::vector<RECT>& Scratch(int which)
{
    thread_local std::vector<RECT> scratch[2];
    scratch[which].clear();
    return scratch[which];
}

}

Region::Region(const RECT& rect)
{
    if (!rect.IsEmpty())
        m_rects.push_back(rect);
}

bool Region::Contains(POINT p) const
{
    for (const RECT& r : m_rects) {
        if (r.Contains(p))
            return true;
    }
    return false;
}

bool Region::Covers(const RECT& rect) const
{
    if (rect.IsEmpty())
        return true;
    for (const RECT& r : m_rects) {
        if (r.Intersect(rect) == rect)
            return true;
    }
    if (m_rects.size() < 2)
        return false;
    Region left(rect);
    left.Subtract(*this);
    return left.IsEmpty();
}

RECT Region::Bounds() const
{
    RECT bounds;
    for (const RECT& r : m_rects)
        bounds = bounds.Union(r);
    return bounds;
}

Region& Region::Union(const RECT& added)
{
    const RECT rect = added;
    if (rect.IsEmpty())
        return *this;
    // Add only what is not already covered, so the rectangles stay disjoint.
    std::vector<RECT>* pieces = &Scratch(0);
    std::vector<RECT>* next = &Scratch(1);
    pieces->push_back(rect);
    for (const RECT& existing : m_rects) {
        if (existing.Intersect(rect).IsEmpty())
            continue;
        next->clear();
        for (const RECT& piece : *pieces)
            AppendDifference(piece, existing, *next);
        std::swap(pieces, next);
        if (pieces->empty())
            return *this;
    }
    m_rects.insert(m_rects.end(), pieces->begin(), pieces->end());
    return *this;
}

Region& Region::Union(const Region& other)
{
    for (const RECT& r : other.m_rects)
        Union(r);
    return *this;
}

Region& Region::Subtract(const RECT& removed)
{
    const RECT rect = removed;
    if (rect.IsEmpty()
        || std::none_of(m_rects.begin(), m_rects.end(), [&](const RECT& r) { return !r.Intersect(rect).IsEmpty(); }))
        return *this;
    std::vector<RECT>& out = Scratch(0);
    for (const RECT& r : m_rects)
        AppendDifference(r, rect, out);
    m_rects.assign(out.begin(), out.end());
    return *this;
}

Region& Region::Subtract(const Region& other)
{
    for (const RECT& r : other.m_rects)
        Subtract(r);
    return *this;
}

Region& Region::Intersect(const RECT& kept)
{
    const RECT rect = kept;
    size_t n = 0;
    for (const RECT& r : m_rects) {
        RECT i = r.Intersect(rect);
        if (!i.IsEmpty())
            m_rects[n++] = i;
    }
    m_rects.resize(n);
    return *this;
}

Region& Region::Intersect(const Region& other)
{
    // Both sides are disjoint, so the pairwise intersections are disjoint too.
    if (other.m_rects.size() == 1)
        return Intersect(other.m_rects.front());
    std::vector<RECT>& out = Scratch(0);
    for (const RECT& a : m_rects) {
        for (const RECT& b : other.m_rects) {
            RECT i = a.Intersect(b);
            if (!i.IsEmpty())
                out.push_back(i);
        }
    }
    m_rects.assign(out.begin(), out.end());
    return *this;
}

Region& Region::Offset(LONG dx, LONG dy)
{
    for (RECT& r : m_rects)
        r = r.Offset(dx, dy);
    return *this;
}

bool Region::SameArea(const Region& other) const
{
    Region a = *this;
    a.Subtract(other);
    Region b = other;
    b.Subtract(*this);
    return a.IsEmpty() && b.IsEmpty();
}
