#pragma once

// The process's font engine: one FreeType library and every face opened at every size, kept until
// the process ends. Fonts are few (two faces, two or three sizes), so nothing is ever evicted.
// Each font file is mapped once and shared by its faces at every size, so a new size does not
// bring another copy of the file's tables into memory.

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
    struct Mapping {
        void* data = nullptr;
        size_t size = 0;
    };
    const Mapping& Map(const std::filesystem::path& file);

    std::map<std::filesystem::path, Mapping> m_files;
    std::map<std::tuple<std::filesystem::path, int, int>, std::unique_ptr<FontFace>> m_faces;
};
