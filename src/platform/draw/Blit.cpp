#include "platform/draw/Blit.h"

#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// One destination column or row: the two source samples it lies between and the weight of the
// second, in 1/256.
struct Tap {
    int first;
    int second;
    uint32_t weight;
};

// Pixel centres map onto pixel centres, so the outermost destination pixels take the outermost
// source pixels unmixed.
std::vector<Tap> MakeTaps(int destStart, int destLength, int from, int to, int sourceStart, int sourceLength)
{
    std::vector<Tap> taps;
    taps.reserve(size_t(std::max(to - from, 0)));
    const int64_t step = (int64_t(sourceLength) << 16) / destLength;
    for (int d = from; d < to; ++d) {
        int64_t pos = (int64_t(d - destStart) * step) + step / 2 - (1 << 15);
        pos = std::clamp<int64_t>(pos, 0, int64_t(sourceLength - 1) << 16);
        int first = int(pos >> 16);
        int second = std::min(first + 1, sourceLength - 1);
        taps.push_back({ sourceStart + first, sourceStart + second, uint32_t((pos >> 8) & 0xFF) });
    }
    return taps;
}

inline uint32_t Mix(uint32_t a, uint32_t b, uint32_t w)
{
    // Red and blue together, then green: two multiplies per pixel.
    uint32_t rb = ((a & 0xFF00FF) * (256 - w) + (b & 0xFF00FF) * w) >> 8;
    uint32_t g = ((a & 0x00FF00) * (256 - w) + (b & 0x00FF00) * w) >> 8;
    return (rb & 0xFF00FF) | (g & 0x00FF00);
}

// One row mixed with the row below it at one weight, as Mix does pixel by pixel: the band of a
// background is scaled in height only, and this is most of its cost.
void MixRows(uint32_t* out, const uint32_t* a, const uint32_t* b, int count, uint32_t w)
{
    int x = 0;
#if defined(__SSE2__)
    // Four pixels at a time in 16-bit lanes; a * (256 - w) + b * w stays below 65536, so the
    // lanes neither overflow nor round differently from Mix.
    const __m128i zero = _mm_setzero_si128();
    const __m128i weightA = _mm_set1_epi16(short(256 - w));
    const __m128i weightB = _mm_set1_epi16(short(w));
    const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
    for (; x + 4 <= count; x += 4) {
        const __m128i pa = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + x));
        const __m128i pb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + x));
        const __m128i low = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(pa, zero), weightA),
                                               _mm_mullo_epi16(_mm_unpacklo_epi8(pb, zero), weightB)),
            8);
        const __m128i high = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(pa, zero), weightA),
                                                _mm_mullo_epi16(_mm_unpackhi_epi8(pb, zero), weightB)),
            8);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_and_si128(_mm_packus_epi16(low, high), colour));
    }
#endif
    for (; x < count; ++x)
        out[x] = Mix(a[x], b[x], w);
}

}

bool BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, DWORD rop)
{
    if (!dest || !source || rop != SRCCOPY || !dest->Target() || !source->Target())
        return false;
    const POINT sOrg = source->Origin();
    CopySurface(dest, x, y, width, height, *source->Target(), sourceX + sOrg.x, sourceY + sOrg.y);
    return true;
}

void CopySurface(HDC dest, int x, int y, int width, int height, const Surface& from, int sourceX, int sourceY)
{
    if (!dest || !dest->Target())
        return;
    Surface& to = *dest->Target();
    const POINT dOrg = dest->Origin();
    // Where the source lies, moved onto the destination surface.
    const int dx = x + dOrg.x - sourceX;
    const int dy = y + dOrg.y - sourceY;
    RECT area = RECT { x, y, x + width, y + height }.Offset(dOrg.x, dOrg.y);
    area = area.Intersect(from.Bounds().Offset(dx, dy));

    // Copying within one surface may overlap: copy through a snapshot.
    Surface snapshot;
    const Surface* src = &from;
    if (&to == &from) {
        snapshot = from;
        src = &snapshot;
    }
    for (const RECT& clip : dest->Clip().Rects()) {
        RECT r = area.Intersect(clip);
        for (int row = r.top; row < r.bottom; ++row)
            std::memcpy(to.Row(row) + r.left, src->Row(row - dy) + (r.left - dx), size_t(r.Width()) * 4);
    }
}

bool StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
    int sourceWidth, int sourceHeight, DWORD rop)
{
    if (!dest || !source || rop != SRCCOPY || !source->Target())
        return false;
    const POINT sOrg = source->Origin();
    RECT from { sourceX + sOrg.x, sourceY + sOrg.y, sourceX + sOrg.x + sourceWidth, sourceY + sOrg.y + sourceHeight };
    DrawSurfaceScaled(dest, { x, y, x + width, y + height }, *source->Target(), from);
    return true;
}

void DrawSurfaceScaled(HDC dest, const RECT& destRect, const Surface& source, const RECT& sourceRect)
{
    if (!dest || !dest->Target() || destRect.IsEmpty())
        return;
    const RECT from = sourceRect.Intersect(source.Bounds());
    // Only a source that lies wholly on its surface scales predictably; anything else draws nothing.
    if (from.IsEmpty() || !(from == sourceRect))
        return;
    Surface& to = *dest->Target();
    const RECT onSurface = destRect.Offset(dest->Origin().x, dest->Origin().y);
    for (const RECT& clip : dest->Clip().Rects()) {
        const RECT r = onSurface.Intersect(clip);
        if (r.IsEmpty())
            continue;
        const auto cols = MakeTaps(onSurface.left, onSurface.Width(), r.left, r.right, from.left, from.Width());
        const auto rows = MakeTaps(onSurface.top, onSurface.Height(), r.top, r.bottom, from.top, from.Height());
        const bool sameWidth = onSurface.Width() == from.Width();
        for (int row = r.top; row < r.bottom; ++row) {
            const Tap& ty = rows[size_t(row - r.top)];
            const uint32_t* a = source.Row(ty.first);
            const uint32_t* b = source.Row(ty.second);
            uint32_t* out = to.Row(row) + r.left;
            // Backgrounds are mostly scaled in one direction only; skip the mixing that has no effect.
            // At the same width the columns are the source's own, side by side.
            if (sameWidth && ty.weight == 0) {
                std::memcpy(out, a + cols[0].first, size_t(r.Width()) * 4);
                continue;
            }
            if (ty.weight == 0) {
                for (const Tap& tx : cols)
                    *out++ = tx.weight ? Mix(a[tx.first], a[tx.second], tx.weight) : a[tx.first];
                continue;
            }
            if (sameWidth) {
                MixRows(out, a + cols[0].first, b + cols[0].first, r.Width(), ty.weight);
                continue;
            }
            for (const Tap& tx : cols) {
                uint32_t top = Mix(a[tx.first], a[tx.second], tx.weight);
                uint32_t bottom = Mix(b[tx.first], b[tx.second], tx.weight);
                *out++ = Mix(top, bottom, ty.weight);
            }
        }
    }
}
