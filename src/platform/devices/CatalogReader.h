#pragma once

// Reads a compiled GNU gettext catalog (.mo) into memory: the keys (msgid) and their texts
// (msgstr), the texts converted from UTF-8 to wide text. The reader trusts nothing in the file:
// every count and offset is checked against the file's size, and a file that is truncated or not
// a catalog at all is refused as a whole rather than half read.

#include "platform/core/Types.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <span>
#include <string>
#include <string_view>

class CatalogReader {
public:
    // Larger files are refused unread; real catalogs are a few kilobytes.
    static constexpr size_t kMaxFileSize = 1024 * 1024;

    // Replaces the entries with those of the catalog in bytes. False, and no entries, when the
    // bytes are not a whole, well-formed catalog.
    bool Parse(std::span<const uint8_t> bytes);
    // Parse of the file's contents; false when it cannot be read, is not a regular file or is
    // larger than kMaxFileSize.
    bool ReadFile(const std::filesystem::path& path);
    void Clear() { m_texts.clear(); }

    // The text of a key, or nullptr when the catalog has none (untranslated entries count as none).
    const WString* Find(std::string_view key) const;
    size_t Count() const { return m_texts.size(); }

private:
    std::map<std::string, WString, std::less<>> m_texts;
};
