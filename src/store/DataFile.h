#pragma once

// The container every data file shares: a 32-byte header (magic, the word 4096, twenty zero bytes,
// the offset of the first record) and fixed-size records from that offset, little-endian. Records
// are kept in memory in their file layout and copied byte for byte, which needs a little-endian
// machine.

#include "platform/core/Types.h"

#include <bit>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

static_assert(std::endian::native == std::endian::little, "data files are copied byte for byte");

class DataFile {
public:
    static constexpr DWORD kFormatWord = 4096;
    static constexpr size_t kHeaderSize = 32;
    static constexpr DWORD kRecordOffset = 256;

    enum class Status { Missing, Unreadable, Foreign, Open };

    // The whole file as the system writes it: header, zero gap, records at kRecordOffset.
    static std::vector<uint8_t> Build(DWORD magic, std::span<const uint8_t> records);
    // Saves the file named in the data folder atomically, creating the folder when missing.
    [[nodiscard]] static bool Save(const WString& name, DWORD magic, std::span<const uint8_t> records);

    // Opens the file named in the data folder and checks its header against the magic. A file that
    // is there but cannot be read or is not of this kind is renamed aside (see KeptAside).
    DataFile(const WString& name, DWORD magic);
    ~DataFile();
    DataFile(const DataFile&) = delete;
    DataFile& operator=(const DataFile&) = delete;

    Status GetStatus() const { return m_status; }
    // Where the file was kept when it could not be read.
    const std::optional<std::filesystem::path>& KeptAs() const { return m_keptAs; }
    // Zeroes the buffer, then fills it with the next bytes from the records, starting at the
    // offset the header gives. A file that ends early leaves the rest zero; false on a read error.
    bool ReadNext(std::span<uint8_t> record);

    template <typename T> static std::span<const uint8_t> Bytes(const T& value)
    {
        return { reinterpret_cast<const uint8_t*>(&value), sizeof(T) };
    }
    template <typename T> static std::span<uint8_t> Bytes(T& value)
    {
        return { reinterpret_cast<uint8_t*>(&value), sizeof(T) };
    }

private:
    Status Open(const std::filesystem::path& path, DWORD magic);

    int m_fd = -1;
    std::optional<std::filesystem::path> m_keptAs;
    Status m_status = Status::Missing;
    uint64_t m_position = 0;
};
