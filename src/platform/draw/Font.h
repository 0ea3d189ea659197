#pragma once

// A logical font as the screens ask for it (face name, cell height, average width, weight,
// character set, pitch and family), matched to one of the font files we ship.

#include "platform/core/Types.h"

#include <filesystem>
#include <memory>

class FontFace;

constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;
constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE OEM_CHARSET = 255;
constexpr BYTE FF_SWISS = 0x20;

struct LogFont {
    int height = 0;
    int width = 0;
    int weight = FW_NORMAL;
    BYTE charSet = DEFAULT_CHARSET;
    BYTE pitchAndFamily = 0;
    WString face;
};

class Font {
public:
    explicit Font(LogFont description);

    const LogFont& Description() const { return m_description; }
    // Null when no font file could be found or opened: such a font draws no text.
    FontFace* Face() const { return m_face; }

    // What a context without a selected font draws with.
    static const Font& Default();
    // The file a face name and weight are drawn with: the application's fonts folder first, then
    // the system's copy of the same file.
    static std::filesystem::path FileFor(const WString& face, int weight);

private:
    LogFont m_description;
    FontFace* m_face = nullptr;
};

using HFONT = Font*;

std::unique_ptr<Font> CreateFont(int height, int width, int weight, BYTE charSet, BYTE pitchAndFamily,
    const WString& face);
