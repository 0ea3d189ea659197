#pragma once

// One font file rendered at one size by FreeType, with the glyphs it has rendered so far. Faces are
// shared through FontCache: screens create and delete their fonts on every paint, and the glyphs
// must outlive them for a line of text to stay cheap.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

struct FT_FaceRec_;
struct FT_LibraryRec_;

// An anti-aliased glyph: coverage 0..255 per pixel, placed relative to the pen on the baseline.
struct Glyph {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int advance = 0;
    std::vector<uint8_t> coverage;
};

class FontFace {
public:
    // Null when the file cannot be opened as a font. A cell height in pixels (ascent plus descent);
    // a non-zero width is the average character width the glyphs are stretched or narrowed to.
    static std::unique_ptr<FontFace> Open(FT_LibraryRec_* library, const std::filesystem::path& file, int height,
        int width);
    // The same from the font file's bytes, which must outlive the face: faces of one file at
    // several sizes then share one copy of it.
    static std::unique_ptr<FontFace> Open(FT_LibraryRec_* library, const uint8_t* data, size_t size, int height,
        int width);
    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    int Ascent() const { return m_ascent; }
    int LineHeight() const { return m_lineHeight; }
    // Safe from any thread; the returned glyph stays valid as long as the face.
    const Glyph& GetGlyph(char32_t code);
    int MeasureWidth(const std::u32string& text);

private:
    explicit FontFace(FT_FaceRec_* face) : m_face(face) { }
    static std::unique_ptr<FontFace> Sized(FT_FaceRec_* face, int height, int width);
    void ApplyWidth(int width);

    FT_FaceRec_* m_face;
    int m_ascent = 0;
    int m_lineHeight = 0;
    std::mutex m_mutex;
    std::unordered_map<char32_t, Glyph> m_glyphs;
};
