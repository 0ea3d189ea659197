#include "GlyphRenderer.h"

#include <cmath>
#include <fstream>
#include <limits>
#include <regex>

GlyphRenderer::~GlyphRenderer()
{
    if (m_text)
        FT_Done_Face(m_text);
    if (m_icon)
        FT_Done_Face(m_icon);
    if (m_library)
        FT_Done_FreeType(m_library);
}

bool GlyphRenderer::Open(
    const std::string& textFont, const std::string& iconFont, const std::string& iconNames)
{
    if (FT_Init_FreeType(&m_library) != 0)
        return false;
    if (FT_New_Face(m_library, textFont.c_str(), 0, &m_text) != 0)
        return false;
    if (FT_New_Face(m_library, iconFont.c_str(), 0, &m_icon) != 0)
        return false;
    // The icon font's stylesheet variables name every glyph: @fa-var-phone: "\f095";
    std::ifstream in(iconNames);
    std::regex variable(R"(@fa-var-([a-z0-9-]+):\s*"\\([0-9a-f]+)\")");
    std::string line;
    std::smatch m;
    while (std::getline(in, line))
        if (std::regex_search(line, m, variable))
            m_iconCodes[m[1]] = char32_t(std::stoul(m[2], nullptr, 16));
    return !m_iconCodes.empty();
}

char32_t GlyphRenderer::IconCode(const std::string& name) const
{
    auto it = m_iconCodes.find(name);
    return it == m_iconCodes.end() ? 0 : it->second;
}

namespace {

void SetTransform(FT_Face face, float rotateDegrees, float dx, float dy)
{
    double angle = rotateDegrees * M_PI / 180.0;
    FT_Matrix matrix { FT_Fixed(std::cos(angle) * 0x10000), FT_Fixed(-std::sin(angle) * 0x10000),
        FT_Fixed(std::sin(angle) * 0x10000), FT_Fixed(std::cos(angle) * 0x10000) };
    FT_Vector delta { FT_Pos(dx * 64), FT_Pos(-dy * 64) };
    FT_Set_Transform(face, &matrix, &delta);
}

}

GlyphRenderer::Ink GlyphRenderer::Measure(
    FT_Face face, const std::u32string& text, float size, float rotateDegrees)
{
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(std::lround(size)));
    Ink ink { std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
        std::numeric_limits<float>::lowest(), std::numeric_limits<float>::lowest() };
    float pen = 0;
    for (char32_t c : text) {
        SetTransform(face, rotateDegrees, pen, 0);
        if (FT_Load_Char(face, c, FT_LOAD_RENDER) != 0)
            continue;
        FT_GlyphSlot g = face->glyph;
        if (g->bitmap.width > 0) {
            ink.left = std::min(ink.left, float(g->bitmap_left));
            ink.right = std::max(ink.right, float(g->bitmap_left + int(g->bitmap.width)));
            ink.top = std::min(ink.top, float(-g->bitmap_top));
            ink.bottom = std::max(ink.bottom, float(-g->bitmap_top + int(g->bitmap.rows)));
        }
        pen += float(g->advance.x) / 64.f;
    }
    if (ink.left > ink.right)
        ink = {};
    return ink;
}

void GlyphRenderer::Render(Raster& target, FT_Face face, const std::u32string& text, float size,
    float originX, float originY, float rotateDegrees, Rgba colour)
{
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(std::lround(size)));
    // The whole-pixel part of the origin moves the bitmap, the fraction goes to FreeType so
    // that a centred glyph is rendered at its true sub-pixel place.
    float baseX = std::floor(originX), baseY = std::floor(originY);
    float pen = originX - baseX;
    for (char32_t c : text) {
        SetTransform(face, rotateDegrees, pen, originY - baseY);
        if (FT_Load_Char(face, c, FT_LOAD_RENDER) != 0)
            continue;
        FT_GlyphSlot g = face->glyph;
        const FT_Bitmap& bm = g->bitmap;
        for (unsigned row = 0; row < bm.rows; ++row)
            for (unsigned col = 0; col < bm.width; ++col) {
                float coverage = bm.buffer[row * unsigned(bm.pitch) + col] / 255.f;
                target.Blend(int(baseX) + g->bitmap_left + int(col), int(baseY) - g->bitmap_top + int(row),
                    colour, coverage);
            }
        pen += float(g->advance.x) / 64.f;
    }
    FT_Set_Transform(face, nullptr, nullptr);
}

void GlyphRenderer::DrawCentred(Raster& target, Face which, const std::u32string& text, float size, float cx,
    float cy, Rgba colour, float rotateDegrees)
{
    FT_Face face = Pick(which);
    Ink ink = Measure(face, text, size, rotateDegrees);
    float originX = cx - (ink.left + ink.right) / 2;
    float originY = cy - (ink.top + ink.bottom) / 2;
    Render(target, face, text, size, originX, originY, rotateDegrees, colour);
}

void GlyphRenderer::DrawInBox(Raster& target, Face which, const std::u32string& text, float size, RectF box,
    Align horizontal, Align vertical, Rgba colour)
{
    FT_Face face = Pick(which);
    Ink ink = Measure(face, text, size, 0);
    float w = ink.right - ink.left, h = ink.bottom - ink.top;
    auto place = [](Align a, float start, float extent, float length) {
        return a == Align::Start ? start
            : a == Align::End    ? start + extent - length
                                 : start + (extent - length) / 2;
    };
    float originX = std::round(place(horizontal, box.x, box.w, w) - ink.left);
    float originY = std::round(place(vertical, box.y, box.h, h) - ink.top);
    Render(target, face, text, size, originX, originY, 0, colour);
}

std::u32string Utf8ToUtf32(const std::string& text)
{
    std::u32string out;
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
        char32_t cp = extra == 0 ? c : c & (0x3F >> extra);
        for (int k = 1; k <= extra && i + size_t(k) < text.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + size_t(k)]) & 0x3F);
        out.push_back(cp);
        i += size_t(extra) + 1;
    }
    return out;
}
