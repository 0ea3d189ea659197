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

inline std::vector<uint8_t> BuildCatalog(const std::vector<std::pair<std::string, std::string>>& entries,
    bool bigEndian = false)
{
    std::vector<uint8_t> out;
    auto word = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            int shift = bigEndian ? 24 - 8 * i : 8 * i;
            out.push_back(uint8_t(v >> shift));
        }
    };
    uint32_t count = uint32_t(entries.size());
    uint32_t keyTable = 28;
    uint32_t textTable = keyTable + 8 * count;
    uint32_t strings = textTable + 8 * count;
    word(0x950412DE);
    word(0);
    word(count);
    word(keyTable);
    word(textTable);
    word(0);
    word(strings);
    std::string blob;
    std::vector<std::pair<uint32_t, uint32_t>> keys, texts;
    for (const auto& [key, text] : entries) {
        keys.emplace_back(uint32_t(key.size()), strings + uint32_t(blob.size()));
        blob += key;
        blob += '\0';
    }
    for (const auto& [key, text] : entries) {
        texts.emplace_back(uint32_t(text.size()), strings + uint32_t(blob.size()));
        blob += text;
        blob += '\0';
    }
    for (auto [length, offset] : keys) {
        word(length);
        word(offset);
    }
    for (auto [length, offset] : texts) {
        word(length);
        word(offset);
    }
    out.insert(out.end(), blob.begin(), blob.end());
    return out;
}

inline void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}
