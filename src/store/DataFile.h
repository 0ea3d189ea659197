#pragma once

// The container every data file shares: a 32-byte header (magic, the word 4096, twenty zero bytes,
// the offset of the first record) and fixed-size records from that offset, little-endian. Records
// are kept in memory in their file layout and copied byte for byte, which needs a little-endian
// machine.

#include "platform/core/Types.h"

#include <bit>
#include <cstdint>
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

    // Opens the file named in the data folder and checks its header against the magic.
    DataFile(const WString& name, DWORD magic);
    ~DataFile();
    DataFile(const DataFile&) = delete;
    DataFile& operator=(const DataFile&) = delete;

    Status GetStatus() const { return m_status; }
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
    int m_fd = -1;
    Status m_status = Status::Missing;
    uint64_t m_position = 0;
};
