#pragma once

// A private device root for the data-file fuzzers: the input is written as a data file there and
// read back by the real loaders. Removed when the process ends.

#include "platform/devices/Paths.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

inline std::filesystem::path FuzzDataRoot()
{
    // Never destroyed, so the clean-up at exit can still name it.
    static const std::filesystem::path* root = [] {
        std::string pattern = std::filesystem::exists("/dev/shm") ? "/dev/shm/ostrilan-fuzz-XXXXXX"
                                                                  : "/tmp/ostrilan-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data()))
            std::abort();
        setenv("OSTRILAN_ROOT", pattern.c_str(), 1);
        OverrideModuleFolder(pattern);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(FuzzDataRoot(), ec);
        });
        return new std::filesystem::path(pattern);
    }();
    return *root;
}

inline void WriteFuzzDataFile(const char* name, const uint8_t* data, size_t size)
{
    std::filesystem::path path = FuzzDataRoot() / "data" / name;
    std::filesystem::create_directories(path.parent_path());
    // Damaged files the loaders kept aside on earlier inputs would otherwise pile up.
    std::error_code ec;
    for (std::filesystem::directory_iterator it(path.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().filename().string().find(".unreadable-") != std::string::npos)
            std::filesystem::remove(it->path(), ec);
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
}
