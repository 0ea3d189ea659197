#include "platform/draw/DrawText.h"

#include "platform/draw/Font.h"
#include "platform/draw/FontFace.h"

#include <algorithm>
#include <vector>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

std::vector<std::u32string> SplitLines(const WString& text, bool singleLine)
{
    std::vector<std::u32string> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement;
        }
        if (c == U'\r')
            continue;
        if (c == U'\n') {
            if (!singleLine)
                lines.emplace_back();
            continue;
        }
        lines.back().push_back(c);
    }
    return lines;
}

FontFace* FaceOf(HDC dc)
{
    const Font* font = dc->SelectedFont();
    return (font ? *font : Font::Default()).Face();
}

// d + (s - d) * alpha / 255, the quotient rounded half up and cut towards zero, in unsigned
// arithmetic: dividing by 255 is then a multiply and a shift.
inline uint32_t Blend(uint32_t dst, uint32_t src, uint32_t alpha)
{
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t d = (dst >> shift) & 0xFF;
        const uint32_t s = (src >> shift) & 0xFF;
        uint32_t v = d;
        if (s >= d) {
            v += ((s - d) * alpha + 127) / 255;
        } else if (const uint32_t m = (d - s) * alpha; m > 127) {
            v -= (m - 127) / 255;
        }
        out |= v << shift;
    }
    return out;
}

void DrawGlyph(Surface& surface, const Glyph& glyph, int x, int y, uint32_t color, const RECT& clip)
{
    const RECT box { x, y, x + glyph.width, y + glyph.height };
    const RECT r = box.Intersect(clip);
    for (int row = r.top; row < r.bottom; ++row) {
        const uint8_t* cover = glyph.coverage.data() + size_t(row - y) * size_t(glyph.width) + size_t(r.left - x);
        uint32_t* out = surface.Row(row) + r.left;
        for (int col = r.left; col < r.right; ++col, ++out, ++cover) {
            if (*cover == 255)
                *out = color;
            else if (*cover)
                *out = Blend(*out, color, *cover);
        }
    }
}

// The x where a line of that width starts in the rectangle.
int LineLeft(const RECT& rect, int width, UINT format)
{
    if (format & DT_CENTER)
        return rect.left + (rect.Width() - width) / 2;
    if (format & DT_RIGHT)
        return rect.right - width;
    return rect.left;
}

// Taken before any glyph is drawn: the background is the pixel under the middle of the text's
// own box (not of its rectangle, where a left-aligned text may not reach), which no glyph of this
// text can have covered yet. An opaque text is drawn on its fill colour.
TextLook Look(const DeviceContext& dc, const std::vector<int>& widths, const FontFace& face, const RECT& rect,
    int top, UINT format)
{
    TextLook look { .height = face.LineHeight(), .color = dc.TextColor(), .background = dc.BkColor() };
    for (int width : widths)
        look.width = std::max(look.width, width);
    if (dc.BkMode() != OPAQUE) {
        const POINT origin = dc.Origin();
        const int x = LineLeft(rect, look.width, format) + look.width / 2 + origin.x;
        const int y = top + look.height * int(widths.size()) / 2 + origin.y;
        look.background = Surface::ToColorRef(dc.Target()->Pixel(x, y));
        look.backgroundSeen = dc.Clip().Contains({ x, y });
    }
    return look;
}

}

int DrawText(HDC dc, const WString& text, const RECT& rect, UINT format)
{
    if (!dc)
        return 0;
    FontFace* face = FaceOf(dc);
    Surface* surface = dc->Target();
    if (!face || !surface) {
        dc->NotifyText(text, rect, TextLook { .color = dc->TextColor(), .background = dc->BkColor() });
        return 0;
    }

    const auto lines = SplitLines(text, format & DT_SINGLELINE);
    const int lineHeight = face->LineHeight();
    const int blockHeight = lineHeight * int(lines.size());
    int y = rect.top;
    if (format & DT_BOTTOM)
        y = rect.bottom - blockHeight;
    else if (format & DT_VCENTER)
        y = rect.top + (rect.Height() - blockHeight) / 2;
    std::vector<int> widths;
    widths.reserve(lines.size());
    for (const auto& line : lines)
        widths.push_back(face->MeasureWidth(line));
    dc->NotifyText(text, rect, Look(*dc, widths, *face, rect, y, format));

    const POINT origin = dc->Origin();
    Region clip = dc->Clip();
    if (!(format & DT_NOCLIP))
        clip.Intersect(rect.Offset(origin.x, origin.y));
    const uint32_t color = Surface::FromColorRef(dc->TextColor());

    for (size_t i = 0; i < lines.size(); ++i) {
        const auto& line = lines[i];
        const int width = widths[i];
        const int x = LineLeft(rect, width, format);
        if (dc->BkMode() == OPAQUE) {
            const RECT box = RECT { x, y, x + width, y + lineHeight }.Offset(origin.x, origin.y);
            for (const RECT& c : clip.Rects())
                surface->Fill(box.Intersect(c), Surface::FromColorRef(dc->BkColor()));
        }
        int penX = x + origin.x;
        const int baseline = y + origin.y + face->Ascent();
        for (char32_t c : line) {
            const Glyph& glyph = face->GetGlyph(c);
            if (!glyph.coverage.empty()) {
                for (const RECT& c2 : clip.Rects())
                    DrawGlyph(*surface, glyph, penX + glyph.left, baseline - glyph.top, color, c2);
            }
            penX += glyph.advance;
        }
        y += lineHeight;
    }
    return blockHeight;
}

SIZE GetTextExtent(HDC dc, const WString& text)
{
    FontFace* face = dc ? FaceOf(dc) : nullptr;
    if (!face)
        return {};
    const auto lines = SplitLines(text, false);
    int width = 0;
    for (const auto& line : lines)
        width = std::max(width, face->MeasureWidth(line));
    return { width, face->LineHeight() * LONG(lines.size()) };
}

WString FitTextToWidth(HDC dc, const WString& text, int width)
{
    if (GetTextExtent(dc, text).cx <= width)
        return text;
    const WString ellipsis = u"\u2026";
    // The widest beginning that fits, found by halving: widths only grow with the length.
    size_t low = 0, high = text.size();
    while (low < high) {
        size_t mid = (low + high + 1) / 2;
        if (GetTextExtent(dc, text.substr(0, mid) + ellipsis).cx <= width)
            low = mid;
        else
            high = mid - 1;
    }
    // Never split a surrogate pair.
    if (low > 0 && low < text.size() && (text[low] & 0xFC00) == 0xDC00)
        --low;
    return text.substr(0, low) + ellipsis;
}
