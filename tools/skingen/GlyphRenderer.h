#pragma once

// Draws text and icon-font glyphs with FreeType. Glyphs are placed by their inked bounds, not by
// the font's line metrics, so an icon or a digit sits exactly where it is centred.

#include "Raster.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <map>
#include <string>

enum class Face { Text, Icon };
enum class Align { Start, Centre, End };

class GlyphRenderer {
public:
    GlyphRenderer() = default;
    ~GlyphRenderer();
    GlyphRenderer(const GlyphRenderer&) = delete;
    GlyphRenderer& operator=(const GlyphRenderer&) = delete;

    bool Open(const std::string& textFont, const std::string& iconFont, const std::string& iconNames);

    // The icon font's code point for a name such as "phone"; 0 when there is none.
    char32_t IconCode(const std::string& name) const;

    void DrawCentred(Raster& target, Face face, const std::u32string& text, float size, float cx, float cy,
        Rgba colour, float rotateDegrees = 0);
    void DrawInBox(Raster& target, Face face, const std::u32string& text, float size, RectF box,
        Align horizontal, Align vertical, Rgba colour);

private:
    struct Ink {
        float left = 0, top = 0, right = 0, bottom = 0;
    };
    Ink Measure(FT_Face face, const std::u32string& text, float size, float rotateDegrees);
    void Render(Raster& target, FT_Face face, const std::u32string& text, float size, float originX,
        float originY, float rotateDegrees, Rgba colour);
    FT_Face Pick(Face face) const { return face == Face::Text ? m_text : m_icon; }

    FT_Library m_library = nullptr;
    FT_Face m_text = nullptr;
    FT_Face m_icon = nullptr;
    std::map<std::string, char32_t> m_iconCodes;
};

std::u32string Utf8ToUtf32(const std::string& text);
