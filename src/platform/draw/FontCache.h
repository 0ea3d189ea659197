#pragma once

// The process's font engine: one FreeType library and every face opened at every size, kept until
// the process ends. Fonts are few (two faces, two or three sizes), so nothing is ever evicted.

#include "platform/draw/FontFace.h"

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>

class FontCache {
public:
    static FontCache& Instance();
    ~FontCache();
    FontCache(const FontCache&) = delete;
    FontCache& operator=(const FontCache&) = delete;

    // Null when the file is no usable font.
    FontFace* Face(const std::filesystem::path& file, int height, int width);

private:
    FontCache();

    FT_LibraryRec_* m_library = nullptr;
    std::mutex m_mutex;
    std::map<std::tuple<std::filesystem::path, int, int>, std::unique_ptr<FontFace>> m_faces;
};
