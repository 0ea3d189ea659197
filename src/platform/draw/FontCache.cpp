#include "platform/draw/FontCache.h"

#include <ft2build.h>
#include FT_FREETYPE_H

FontCache& FontCache::Instance()
{
    static FontCache cache;
    return cache;
}

FontCache::FontCache()
{
    if (FT_Init_FreeType(&m_library) != 0)
        m_library = nullptr;
}

FontCache::~FontCache()
{
    m_faces.clear();
    if (m_library)
        FT_Done_FreeType(m_library);
}

FontFace* FontCache::Face(const std::filesystem::path& file, int height, int width)
{
    std::lock_guard lock(m_mutex);
    auto key = std::make_tuple(file, height, width);
    auto found = m_faces.find(key);
    if (found != m_faces.end())
        return found->second.get();
    // A file that failed is remembered too, so a broken font costs one attempt, not one per paint.
    auto& slot = m_faces[key];
    slot = FontFace::Open(m_library, file, height, width);
    return slot.get();
}
