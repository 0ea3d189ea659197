#include "platform/devices/CatalogReader.h"

#include "platform/core/Text.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The magic number as written by a little-endian and by a big-endian msgfmt.
constexpr uint32_t kMagic = 0x950412DE;
constexpr uint32_t kMagicSwapped = 0xDE120495;
// Header: magic, revision, count, offset of the key table, offset of the text table (the hash
// table that follows is only a lookup aid and is not needed).
constexpr size_t kHeaderSize = 28;
constexpr size_t kEntrySize = 8;
// Major revisions 0 and 1 share the layout read here; later ones may not.
constexpr uint32_t kMaxMajorRevision = 1;

class Bytes {
public:
    Bytes(std::span<const uint8_t> data, bool bigEndian) : m_data(data), m_bigEndian(bigEndian) { }

    uint32_t Word(size_t offset) const
    {
        const uint8_t* p = m_data.data() + offset;
        if (m_bigEndian)
            return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
        return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }

    // A table of count (length, offset) pairs starting at tableOffset fits in the data.
    bool HasTable(uint64_t tableOffset, uint64_t count) const
    {
        return tableOffset <= m_data.size() && count <= (m_data.size() - tableOffset) / kEntrySize;
    }

    // The string of table entry i, up to its first zero byte: a plural entry keeps only its first
    // form. False when the entry points outside the data or lacks the zero byte that msgfmt
    // writes after every string, which is how a file cut short by a few bytes shows.
    bool String(uint64_t tableOffset, uint64_t i, std::string_view& out) const
    {
        size_t entry = size_t(tableOffset + i * kEntrySize);
        uint64_t length = Word(entry);
        uint64_t offset = Word(entry + 4);
        if (offset >= m_data.size() || length >= m_data.size() - offset || m_data[offset + length] != 0)
            return false;
        std::string_view text(reinterpret_cast<const char*>(m_data.data()) + offset, size_t(length));
        out = text.substr(0, text.find('\0'));
        return true;
    }

private:
    std::span<const uint8_t> m_data;
    bool m_bigEndian;
};

}

bool CatalogReader::Parse(std::span<const uint8_t> data)
{
    m_texts.clear();
    if (data.size() < kHeaderSize)
        return false;
    uint32_t magic = Bytes(data, false).Word(0);
    if (magic != kMagic && magic != kMagicSwapped)
        return false;
    Bytes bytes(data, magic == kMagicSwapped);
    if ((bytes.Word(4) >> 16) > kMaxMajorRevision)
        return false;
    uint64_t count = bytes.Word(8);
    uint64_t keyTable = bytes.Word(12);
    uint64_t textTable = bytes.Word(16);
    if (!bytes.HasTable(keyTable, count) || !bytes.HasTable(textTable, count))
        return false;

    std::map<std::string, WString, std::less<>> texts;
    for (uint64_t i = 0; i < count; ++i) {
        std::string_view key;
        std::string_view text;
        if (!bytes.String(keyTable, i, key) || !bytes.String(textTable, i, text))
            return false;
        // The empty key is the catalog's own header; an empty text is an untranslated entry.
        if (key.empty() || text.empty())
            continue;
        texts.emplace(std::string(key), FromUtf8(text));
    }
    m_texts = std::move(texts);
    return true;
}

bool CatalogReader::ReadFile(const std::filesystem::path& path)
{
    m_texts.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    std::vector<uint8_t> data;
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && uint64_t(info.st_size) <= kMaxFileSize;
    if (ok) {
        // Read to the end rather than trusting st_size: the file may change while it is read.
        uint8_t chunk[64 * 1024];
        while (data.size() <= kMaxFileSize) {
            ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                ok = n == 0;
                break;
            }
            data.insert(data.end(), chunk, chunk + n);
        }
        ok = ok && data.size() <= kMaxFileSize;
    }
    ::close(fd);
    return ok && Parse(data);
}

const WString* CatalogReader::Find(std::string_view key) const
{
    auto it = m_texts.find(key);
    return it == m_texts.end() ? nullptr : &it->second;
}
