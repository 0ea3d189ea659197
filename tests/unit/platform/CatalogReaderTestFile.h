#pragma once

// Builds compiled gettext catalogs in memory, in either byte order, laid out as msgfmt lays them
// out: header, key table, text table, then the strings, each followed by a zero byte.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace catalogtest {

inline std::vector<uint8_t> BuildCatalog(
    const std::vector<std::pair<std::string, std::string>>& entries, bool bigEndian = false)
{
    const uint32_t count = uint32_t(entries.size());
    const uint32_t strings = 28 + 16 * count;
    std::vector<uint32_t> words { 0x950412DE, 0, count, 28, 28 + 8 * count, 0, strings };
    std::string blob;
    for (bool texts : { false, true }) {
        for (const auto& [key, text] : entries) {
            const std::string& s = texts ? text : key;
            words.push_back(uint32_t(s.size()));
            words.push_back(strings + uint32_t(blob.size()));
            blob += s + '\0';
        }
    }
    std::vector<uint8_t> out;
    for (uint32_t word : words) {
        for (int i = 0; i < 4; ++i)
            out.push_back(uint8_t(word >> (bigEndian ? 24 - 8 * i : 8 * i)));
    }
    out.insert(out.end(), blob.begin(), blob.end());
    return out;
}

inline void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}
