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

PictureScaler::PictureScaler(const PictureFit& fit, const scaler::Kernels& kernels)
    : m_fit(fit)
    , m_kernels(&kernels)
    , m_columns(Taps(fit.PictureWidth(), int(fit.Placement().Width())))
    , m_rows(Taps(fit.PictureHeight(), int(fit.Placement().Height())))
{
    const int width = fit.PictureWidth();
    for (ScaledRow& row : m_scaled)
        row.pixels.resize(m_columns.size());
    m_blends.resize(size_t(std::max(width, 0)));
    m_boundaryWeights.resize(size_t(std::max(width - 1, 0)) * 4);
    m_boundaryKeeps.resize(m_boundaryWeights.size());
    m_copyRow.resize(size_t(std::max(fit.PictureHeight(), 0)));
    for (size_t x = 0; x < m_columns.size(); ++x) {
        const Tap& tap = m_columns[x];
        if (!tap.weight || tap.second == tap.first) {
            m_entries.push_back(tap.first);
            continue;
        }
        // Neighbours are always first and first + 1; two columns blending one boundary at
        // different weights would need a factor finer than a pixel's ramp, kept exact all the same.
        uint8_t* weight = &m_boundaryWeights[size_t(tap.first) * 4];
        if (*weight && *weight != tap.weight) {
            m_entries.push_back(tap.first);
            m_otherBlends.push_back({ int(x), tap });
            continue;
        }
        std::fill(weight, weight + 4, uint8_t(tap.weight));
        std::fill_n(&m_boundaryKeeps[size_t(tap.first) * 4], 4, uint8_t(kFullWeight - tap.weight));
        m_entries.push_back(width + tap.first);
    }
    // A block reads four pixels and four blends from its base, which stays inside the row; one
    // whose columns reach further (a picture made smaller) is taken a column at a time.
    for (size_t x = 0; x + 4 <= m_entries.size(); x += 4) {
        scaler::Block block;
        block.base = std::min(m_columns[x].first, width - 4);
        for (size_t k = 0; k < 4; ++k) {
            const int32_t entry = m_entries[x + k];
            const int offset = (entry < width ? entry : entry - width) - block.base;
            if (width < 4 || offset > 3)
                block.base = -1;
            block.picks[k] = uint32_t(offset + (entry < width ? 0 : 4));
        }
        m_blocks.push_back(block);
    }
    m_runEnds.resize(m_blocks.size());
    for (size_t b = m_blocks.size(); b-- > 0;)
        m_runEnds[b] = m_blocks[b].base < 0 ? int(b * 4) : b + 1 < m_blocks.size() ? m_runEnds[b + 1] : int(b * 4 + 4);
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
    // Only the boundaries between the picture pixels this call's columns take.
    const int width = m_fit.PictureWidth();
    const int low = m_columns[size_t(from)].first;
    const int high = m_columns[size_t(to - 1)].second;
    uint32_t* blends = m_blends.data();
    m_kernels->blendNeighbours(in + low, m_boundaryKeeps.data() + size_t(low) * 4,
        m_boundaryWeights.data() + size_t(low) * 4, blends + low, size_t(high - low));
    for (LONG x = from; x < to;) {
        const size_t block = size_t(x / 4);
        const LONG end = x % 4 || block >= m_runEnds.size() ? x : std::min(LONG(m_runEnds[block]), to / 4 * 4);
        if (end > x) {
            m_kernels->pick(in, blends, &m_blocks[block], out + (x - from), size_t(end - x) / 4);
            x = end;
            continue;
        }
        const int32_t entry = m_entries[size_t(x)];
        out[x - from] = entry < width ? in[entry] : blends[entry - width];
        ++x;
    }
    // The other blends are in order: only those of this call's span.
    auto other = std::lower_bound(m_otherBlends.begin(), m_otherBlends.end(), from,
        [](const Blended& b, LONG column) { return b.column < column; });
    for (; other != m_otherBlends.end() && other->column < to; ++other)
        out[other->column - from] = Blend(in[other->tap.first], in[other->tap.second], other->tap.weight);
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
    std::fill(m_copyRow.begin(), m_copyRow.end(), -1);
    for (LONG y = area.bottom - 1; y >= area.top; --y) {
        const Tap& tap = m_rows[size_t(y - placement.top)];
        if (!tap.weight)
            m_copyRow[size_t(tap.first)] = y;
    }
    const LONG from = area.left - placement.left;
    const LONG to = area.right - placement.left;
    const size_t bytes = size_t(to - from) * sizeof(uint32_t);
    // A picture row goes straight into the output row that copies it, even when a blend above
    // needs it first; that row then has nothing left to do.
    auto scaled = [&](int source) {
        const LONG home = m_copyRow[size_t(source)];
        uint32_t* into = home < 0 ? nullptr : output + std::ptrdiff_t(home) * outputStride + area.left;
        return RowScaledAcross(picture, pictureStride, source, from, to, into);
    };
    for (LONG y = area.top; y < area.bottom; ++y) {
        const Tap& tap = m_rows[size_t(y - placement.top)];
        uint32_t* out = output + std::ptrdiff_t(y) * outputStride + area.left;
        if (!tap.weight) {
            const uint32_t* row = scaled(tap.first);
            if (row != out)
                std::memcpy(out, row, bytes);
            continue;
        }
        const uint32_t* first = scaled(tap.first);
        const uint32_t* second = scaled(tap.second);
        m_kernels->blendRows(first, second, uint8_t(tap.weight), out, size_t(to - from));
    }
}
