#include "platform/draw/FontCache.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

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
    for (auto& [file, mapping] : m_files) {
        if (mapping.data)
            munmap(mapping.data, mapping.size);
    }
}

const FontCache::Mapping& FontCache::Map(const std::filesystem::path& file)
{
    auto [found, added] = m_files.try_emplace(file);
    if (!added)
        return found->second;
    // A file that cannot be mapped stays unmapped: its faces are then opened from the file.
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return found->second;
    struct stat info {};
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
        void* data = mmap(nullptr, size_t(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
        if (data != MAP_FAILED)
            found->second = { data, size_t(info.st_size) };
    }
    ::close(fd);
    return found->second;
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
    const Mapping& mapping = Map(file);
    slot = mapping.data
        ? FontFace::Open(m_library, static_cast<const uint8_t*>(mapping.data), mapping.size, height, width)
        : FontFace::Open(m_library, file, height, width);
    return slot.get();
}
