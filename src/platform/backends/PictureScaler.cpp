#include "platform/backends/PictureScaler.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

namespace {

constexpr uint32_t kFullWeight = 256;
constexpr uint32_t kRedBlue = 0xFF00FF;
constexpr uint32_t kGreen = 0x00FF00;

// Red and blue blended together in one word, green in another: 8 bits of weight never carry one
// channel into the next.
inline uint32_t Blend(uint32_t a, uint32_t b, uint32_t weight)
{
    const uint32_t keep = kFullWeight - weight;
    const uint32_t redBlue = (((a & kRedBlue) * keep + (b & kRedBlue) * weight) >> 8) & kRedBlue;
    const uint32_t green = (((a & kGreen) * keep + (b & kGreen) * weight) >> 8) & kGreen;
    return redBlue | green;
}

}

PictureScaler::PictureScaler(const PictureFit& fit)
    : m_fit(fit)
    , m_columns(Taps(fit.PictureWidth(), int(fit.Placement().Width())))
    , m_rows(Taps(fit.PictureHeight(), int(fit.Placement().Height())))
{
    for (ScaledRow& row : m_scaled)
        row.pixels.resize(m_columns.size());
}

std::vector<PictureScaler::Tap> PictureScaler::Taps(int pictureSize, int placedSize)
{
    std::vector<Tap> taps(size_t(std::max(placedSize, 0)));
    const double factor = double(placedSize) / pictureSize;
    for (int i = 0; i < placedSize; ++i) {
        // The output pixel's centre in picture coordinates, against the centres of the two picture
        // pixels around it; the blend ramps over one output pixel, not one picture pixel.
        const double centre = (i + 0.5) / factor - 0.5;
        const double left = std::floor(centre);
        const double ramp = std::clamp((centre - left - 0.5) * factor + 0.5, 0.0, 1.0);
        const auto weight = uint32_t(std::lround(ramp * kFullWeight));
        const int first = std::clamp(int(left), 0, pictureSize - 1);
        const int second = std::clamp(int(left) + 1, 0, pictureSize - 1);
        if (weight == kFullWeight)
            taps[size_t(i)] = { second, second, 0 };
        else
            taps[size_t(i)] = { first, weight ? second : first, weight };
    }
    return taps;
}

const uint32_t* PictureScaler::RowScaledAcross(
    const uint32_t* picture, int pictureStride, int source, LONG from, LONG to)
{
    // A row found is the one the next miss must not overwrite: the other half of a blend uses it.
    for (size_t slot = 0; slot < m_scaled.size(); ++slot) {
        if (m_scaled[slot].source == source) {
            m_nextSlot = slot ^ 1;
            return m_scaled[slot].pixels.data();
        }
    }
    ScaledRow& row = m_scaled[m_nextSlot];
    m_nextSlot ^= 1;
    row.source = source;
    const uint32_t* in = picture + std::ptrdiff_t(source) * pictureStride;
    uint32_t* out = row.pixels.data();
    for (LONG x = from; x < to; ++x) {
        const Tap& tap = m_columns[size_t(x)];
        out[x] = tap.weight ? Blend(in[tap.first], in[tap.second], tap.weight) : in[tap.first];
    }
    return out;
}

void PictureScaler::Scale(
    const uint32_t* picture, int pictureStride, const RECT& outputArea, uint32_t* output, int outputStride)
{
    const RECT& placement = m_fit.Placement();
    const RECT area = outputArea.Intersect(placement);
    if (area.IsEmpty())
        return;
    // Cached rows are only valid for the columns of this call.
    for (ScaledRow& row : m_scaled)
        row.source = -1;
    const LONG from = area.left - placement.left;
    const LONG to = area.right - placement.left;
    const size_t bytes = size_t(to - from) * sizeof(uint32_t);
    for (LONG y = area.top; y < area.bottom; ++y) {
        const Tap& tap = m_rows[size_t(y - placement.top)];
        uint32_t* out = output + std::ptrdiff_t(y) * outputStride + area.left;
        const uint32_t* first = RowScaledAcross(picture, pictureStride, tap.first, from, to) + from;
        if (!tap.weight) {
            std::memcpy(out, first, bytes);
            continue;
        }
        const uint32_t* second = RowScaledAcross(picture, pictureStride, tap.second, from, to) + from;
        for (LONG x = 0; x < to - from; ++x)
            out[x] = Blend(first[x], second[x], tap.weight);
    }
}
