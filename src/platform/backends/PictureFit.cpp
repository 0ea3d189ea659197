#include "platform/backends/PictureFit.h"

#include <algorithm>
#include <cmath>

PictureFit::PictureFit(int pictureWidth, int pictureHeight, int outputWidth, int outputHeight)
    : m_pictureWidth(std::max(pictureWidth, 1))
    , m_pictureHeight(std::max(pictureHeight, 1))
    , m_outputWidth(std::max(outputWidth, 0))
    , m_outputHeight(std::max(outputHeight, 0))
{
    m_factor = std::min(double(m_outputWidth) / m_pictureWidth, double(m_outputHeight) / m_pictureHeight);
    // Rounded, never more than the output: the side that sets the factor fills it exactly.
    const LONG width = std::min(LONG(std::lround(m_pictureWidth * m_factor)), LONG(m_outputWidth));
    const LONG height = std::min(LONG(std::lround(m_pictureHeight * m_factor)), LONG(m_outputHeight));
    if (width <= 0 || height <= 0)
        return;
    const LONG left = (m_outputWidth - width) / 2;
    const LONG top = (m_outputHeight - height) / 2;
    m_placement = { left, top, left + width, top + height };
}

bool PictureFit::IsIdentity() const
{
    return m_placement == RECT { 0, 0, m_pictureWidth, m_pictureHeight };
}

PictureFit::Tap PictureFit::ToPicture(int outputX, int outputY) const
{
    if (m_placement.IsEmpty())
        return { { -1, -1 }, false };
    const bool onPicture = m_placement.Contains({ outputX, outputY });
    auto map = [&](int at, LONG origin, int pictureSize, double factor) {
        const LONG pixel = LONG(std::floor((at - origin) / factor));
        // Rounding must not carry a tap on the picture's last row or column past it.
        return onPicture ? std::clamp(pixel, LONG(0), LONG(pictureSize - 1)) : pixel;
    };
    return { { map(outputX, m_placement.left, m_pictureWidth, FactorX()),
                 map(outputY, m_placement.top, m_pictureHeight, FactorY()) },
        onPicture };
}

RECT PictureFit::ToOutput(const RECT& area) const
{
    const RECT inside = area.Intersect({ 0, 0, m_pictureWidth, m_pictureHeight });
    if (inside.IsEmpty() || m_placement.IsEmpty())
        return {};
    if (IsIdentity())
        return inside;
    // An output pixel blends the one or two picture pixels its span covers, so the span is widened
    // by one on each side and then clipped.
    auto low = [](LONG at, double factor) { return LONG(std::floor(at * factor)) - 1; };
    auto high = [](LONG at, double factor) { return LONG(std::ceil(at * factor)) + 1; };
    const RECT span { low(inside.left, FactorX()), low(inside.top, FactorY()), high(inside.right, FactorX()),
        high(inside.bottom, FactorY()) };
    return span.Offset(m_placement.left, m_placement.top).Intersect(m_placement);
}
