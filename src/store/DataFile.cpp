#include "store/DataFile.h"

#include "platform/core/Text.h"
#include "platform/devices/AtomicFile.h"
#include "platform/devices/KeptAside.h"
#include "store/AppFolders.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kMagicAt = 0;
constexpr size_t kFormatWordAt = 4;
constexpr size_t kOffsetAt = 28;

std::filesystem::path FilePath(const WString& name)
{
    return ToUtf8(DataPath(name));
}

DWORD WordAt(const uint8_t* bytes, size_t at)
{
    DWORD word;
    std::memcpy(&word, bytes + at, sizeof word);
    return word;
}

void PutWord(uint8_t* bytes, size_t at, DWORD word)
{
    std::memcpy(bytes + at, &word, sizeof word);
}

// Reads up to size bytes at the offset; the count read, or -1 on an error.
ssize_t ReadAt(int fd, uint8_t* data, size_t size, uint64_t offset)
{
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::pread(fd, data + done, size - done, off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += size_t(n);
    }
    return ssize_t(done);
}

}

std::vector<uint8_t> DataFile::Build(DWORD magic, std::span<const uint8_t> records)
{
    std::vector<uint8_t> bytes(kRecordOffset + records.size(), 0);
    PutWord(bytes.data(), kMagicAt, magic);
    PutWord(bytes.data(), kFormatWordAt, kFormatWord);
    PutWord(bytes.data(), kOffsetAt, kRecordOffset);
    std::copy(records.begin(), records.end(), bytes.begin() + kRecordOffset);
    return bytes;
}

bool DataFile::Save(const WString& name, DWORD magic, std::span<const uint8_t> records)
{
    std::filesystem::path path = FilePath(name);
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    return AtomicFile::Write(path, Build(magic, records));
}

DataFile::DataFile(const WString& name, DWORD magic)
{
    std::filesystem::path path = FilePath(name);
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
        m_status = errno == ENOENT ? Status::Missing : Status::Unreadable;
        return;
    }
    m_status = Open(path, magic);
    if (m_status == Status::Open)
        return;
    // What cannot be read may still hold calls someone wants back: it is kept under another name
    // before the next save puts a new file in its place.
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_keptAs = KeptAside::Move(path);
}

DataFile::Status DataFile::Open(const std::filesystem::path& path, DWORD magic)
{
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        return Status::Unreadable;
    uint8_t header[kHeaderSize];
    ssize_t got = ReadAt(m_fd, header, sizeof header, 0);
    if (got < 0)
        return Status::Unreadable;
    // A header cut short cannot name its records: treated like a foreign file.
    if (size_t(got) < sizeof header || WordAt(header, kMagicAt) != magic
        || WordAt(header, kFormatWordAt) != kFormatWord)
        return Status::Foreign;
    m_position = WordAt(header, kOffsetAt);
    return Status::Open;
}

DataFile::~DataFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool DataFile::ReadNext(std::span<uint8_t> record)
{
    std::fill(record.begin(), record.end(), 0);
    if (m_status != Status::Open)
        return false;
    ssize_t got = ReadAt(m_fd, record.data(), record.size(), m_position);
    if (got < 0)
        return false;
    m_position += size_t(got);
    return true;
}
