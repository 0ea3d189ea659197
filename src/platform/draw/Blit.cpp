#include "platform/draw/Blit.h"

#include <algorithm>
#include <cstring>
#include <vector>

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
            if (ty.weight == 0) {
                for (const Tap& tx : cols)
                    *out++ = tx.weight ? Mix(a[tx.first], a[tx.second], tx.weight) : a[tx.first];
                continue;
            }
            if (sameWidth) {
                for (int x = 0; x < r.Width(); ++x)
                    out[x] = Mix(a[cols[size_t(x)].first], b[cols[size_t(x)].first], ty.weight);
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
