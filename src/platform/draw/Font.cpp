#include "platform/draw/Font.h"

#include "platform/devices/FolderMemo.h"
#include "platform/devices/Paths.h"
#include "platform/draw/FontCache.h"

#include <array>
#include <cstdlib>
#include <map>
#include <mutex>

namespace {

struct FaceMapping {
    const char16_t* face;
    const char* regular;
    const char* bold;
};

// The device's faces and the free files of similar metrics that stand in for them. The first entry
// also serves any face not listed.
constexpr std::array kFaces {
    FaceMapping { u"tahoma", "DejaVuSans.ttf", "DejaVuSansCondensed-Bold.ttf" },
};
constexpr const char* kFontsFolder = "fonts";
constexpr const char* kSystemFonts = "/usr/share/fonts/truetype/dejavu";
constexpr int kBoldFrom = 600;
constexpr int kDefaultHeight = 16;

bool SameFace(const WString& a, const char16_t* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        char16_t c = a[i];
        if (c >= u'A' && c <= u'Z')
            c = char16_t(c - u'A' + u'a');
        if (c != b[i])
            return false;
    }
    return i == a.size() && !b[i];
}

}

Font::Font(LogFont description)
    : m_description(std::move(description))
{
    int height = m_description.height == 0 ? kDefaultHeight : std::abs(m_description.height);
    auto file = FileFor(m_description.face, m_description.weight);
    if (!file.empty())
        m_face = FontCache::Instance().Face(file, height, std::abs(m_description.width));
}

const Font& Font::Default()
{
    static const Font font(LogFont { kDefaultHeight, 0, FW_NORMAL, DEFAULT_CHARSET, 0, u"Tahoma" });
    return font;
}

std::filesystem::path Font::FileFor(const WString& face, int weight)
{
    const FaceMapping* mapping = &kFaces.front();
    for (const auto& m : kFaces) {
        if (SameFace(face, m.face))
            mapping = &m;
    }
    const char* name = weight >= kBoldFrom ? mapping->bold : mapping->regular;
    // Paints make their fonts afresh, so the file found is kept; one not found is looked for again.
    static FolderMemo<const char*, std::filesystem::path> found;
    return found
        .Get(name,
            [](const char* file) -> std::optional<std::filesystem::path> {
                std::error_code ec;
                for (const auto& folder : { AssetFolder() / kFontsFolder, std::filesystem::path(kSystemFonts) }) {
                    if (std::filesystem::is_regular_file(folder / file, ec))
                        return folder / file;
                }
                return std::nullopt;
            })
        .value_or(std::filesystem::path());
}

std::unique_ptr<Font> CreateFont(int height, int width, int weight, BYTE charSet, BYTE pitchAndFamily,
    const WString& face)
{
    return std::make_unique<Font>(LogFont { height, width, weight, charSet, pitchAndFamily, face });
}
