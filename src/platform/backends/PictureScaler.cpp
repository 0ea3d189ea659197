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

// The same for two pixels side by side in one 64-bit word: each channel has 16 bits of room.
inline uint64_t BlendPair(uint64_t a, uint64_t b, uint64_t weight)
{
    constexpr uint64_t kRedBluePair = 0x00FF00FF00FF00FFull;
    constexpr uint64_t kGreenPair = 0x0000FF000000FF00ull;
    const uint64_t keep = kFullWeight - weight;
    const uint64_t redBlue = (((a & kRedBluePair) * keep + (b & kRedBluePair) * weight) >> 8) & kRedBluePair;
    const uint64_t green = (((a & kGreenPair) * keep + (b & kGreenPair) * weight) >> 8) & kGreenPair;
    return redBlue | green;
}

// Blends two rows into a third, two pixels at a time.
void BlendRows(const uint32_t* first, const uint32_t* second, uint32_t weight, uint32_t* out, size_t count)
{
    size_t x = 0;
    for (; x + 2 <= count; x += 2) {
        uint64_t a;
        uint64_t b;
        std::memcpy(&a, first + x, sizeof a);
        std::memcpy(&b, second + x, sizeof b);
        const uint64_t blended = BlendPair(a, b, weight);
        std::memcpy(out + x, &blended, sizeof blended);
    }
    for (; x < count; ++x)
        out[x] = Blend(first[x], second[x], weight);
}

}

PictureScaler::PictureScaler(const PictureFit& fit)
    : m_fit(fit)
    , m_columns(Taps(fit.PictureWidth(), int(fit.Placement().Width())))
    , m_rows(Taps(fit.PictureHeight(), int(fit.Placement().Height())))
{
    for (ScaledRow& row : m_scaled)
        row.pixels.resize(m_columns.size());
    for (size_t x = 0; x < m_columns.size(); ++x) {
        m_firstColumns.push_back(m_columns[x].first);
        if (m_columns[x].weight)
            m_blendedColumns.push_back({ int(x), m_columns[x] });
    }
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
    const uint32_t* picture, int pictureStride, int source, LONG from, LONG to, uint32_t* into)
{
    // A row found is the one the next miss must not overwrite: the other half of a blend uses it.
    for (size_t slot = 0; slot < m_scaled.size(); ++slot) {
        if (m_scaled[slot].source == source) {
            m_nextSlot = slot ^ 1;
            return m_scaled[slot].at;
        }
    }
    ScaledRow& row = m_scaled[m_nextSlot];
    m_nextSlot ^= 1;
    row.source = source;
    uint32_t* out = into ? into : row.pixels.data() + from;
    row.at = out;
    const uint32_t* in = picture + std::ptrdiff_t(source) * pictureStride;
    const int* firsts = m_firstColumns.data() + from;
    for (LONG x = 0; x < to - from; ++x)
        out[x] = in[firsts[x]];
    // The blended columns are in order: only those of this call's span.
    auto blended = std::lower_bound(m_blendedColumns.begin(), m_blendedColumns.end(), from,
        [](const Blended& b, LONG column) { return b.column < column; });
    for (; blended != m_blendedColumns.end() && blended->column < to; ++blended)
        out[blended->column - from] = Blend(in[blended->tap.first], in[blended->tap.second], blended->tap.weight);
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
        if (!tap.weight) {
            const uint32_t* row = RowScaledAcross(picture, pictureStride, tap.first, from, to, out);
            if (row != out)
                std::memcpy(out, row, bytes);
            continue;
        }
        const uint32_t* first = RowScaledAcross(picture, pictureStride, tap.first, from, to);
        const uint32_t* second = RowScaledAcross(picture, pictureStride, tap.second, from, to);
        BlendRows(first, second, tap.weight, out, size_t(to - from));
    }
}
