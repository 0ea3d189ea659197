#include "platform/draw/FontFace.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

namespace {
// The average width is taken over the lower-case letters, which make up most of any text.
constexpr char32_t kAverageFrom = U'a';
constexpr char32_t kAverageTo = U'z';
// Stretching further than this would only make the text unreadable.
constexpr double kMinStretch = 0.5;
constexpr double kMaxStretch = 2.0;
}

std::unique_ptr<FontFace> FontFace::Open(FT_LibraryRec_* library, const std::filesystem::path& file, int height,
    int width)
{
    if (!library || height <= 0)
        return nullptr;
    FT_Face face = nullptr;
    if (FT_New_Face(library, file.c_str(), 0, &face) != 0)
        return nullptr;
    return Sized(face, height, width);
}

std::unique_ptr<FontFace> FontFace::Open(FT_LibraryRec_* library, const uint8_t* data, size_t size, int height,
    int width)
{
    if (!library || !data || height <= 0)
        return nullptr;
    FT_Face face = nullptr;
    if (FT_New_Memory_Face(library, data, FT_Long(size), 0, &face) != 0)
        return nullptr;
    return Sized(face, height, width);
}

std::unique_ptr<FontFace> FontFace::Sized(FT_Face face, int height, int width)
{
    std::unique_ptr<FontFace> result(new FontFace(face));
    if (!FT_IS_SCALABLE(face))
        return nullptr;
    FT_Size_RequestRec request {};
    request.type = FT_SIZE_REQUEST_TYPE_CELL;
    request.height = FT_Long(height) * 64;
    if (FT_Request_Size(face, &request) != 0)
        return nullptr;
    // The cell is exactly the height asked for, as the device's fonts were; FreeType's rounded
    // ascender and descender can add up to one pixel more.
    result->m_lineHeight = height;
    result->m_ascent = std::min(int((face->size->metrics.ascender + 32) >> 6), height);
    if (width > 0)
        result->ApplyWidth(width);
    return result;
}

FontFace::~FontFace()
{
    FT_Done_Face(m_face);
}

void FontFace::ApplyWidth(int width)
{
    FT_Fixed total = 0;
    int count = 0;
    for (char32_t c = kAverageFrom; c <= kAverageTo; ++c) {
        if (FT_Load_Char(m_face, c, FT_LOAD_NO_HINTING) == 0) {
            total += m_face->glyph->linearHoriAdvance;
            ++count;
        }
    }
    if (count == 0 || total <= 0)
        return;
    double average = double(total) / 65536.0 / count;
    double stretch = std::clamp(width / average, kMinStretch, kMaxStretch);
    FT_Matrix matrix { FT_Fixed(stretch * 65536.0), 0, 0, 0x10000 };
    FT_Set_Transform(m_face, &matrix, nullptr);
}

const Glyph& FontFace::GetGlyph(char32_t code)
{
    std::lock_guard lock(m_mutex);
    auto found = m_glyphs.find(code);
    if (found != m_glyphs.end())
        return found->second;
    Glyph& glyph = m_glyphs[code];
    if (FT_Load_Char(m_face, code, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0)
        return glyph;
    const FT_GlyphSlot slot = m_face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    glyph.advance = int((slot->advance.x + 32) >> 6);
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.width == 0 || bitmap.rows == 0)
        return glyph;
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    glyph.width = int(bitmap.width);
    glyph.height = int(bitmap.rows);
    glyph.coverage.resize(size_t(glyph.width) * size_t(glyph.height));
    for (int y = 0; y < glyph.height; ++y) {
        const unsigned char* row = bitmap.buffer + ptrdiff_t(y) * bitmap.pitch;
        std::copy(row, row + glyph.width, glyph.coverage.begin() + ptrdiff_t(y) * glyph.width);
    }
    return glyph;
}

int FontFace::MeasureWidth(const std::u32string& text)
{
    int width = 0;
    for (char32_t c : text)
        width += GetGlyph(c).advance;
    return width;
}
