#pragma once

// The names of the devices the module reported as paired, up to 100 entries in order of addition
// (entry 0 the oldest), kept in PairData.dat. The module keeps the pairings themselves; entries
// are never removed one by one, so a device paired again finds its old name.

#include "store/PairEntry.h"

#include <array>
#include <string_view>

class PairStore {
public:
    static constexpr size_t kEntries = 100;
    static constexpr DWORD kMagic = 0x01010101;

    virtual ~PairStore() = default;

    // Adds the address unless it is there; a full table drops entry 0 to make room at the end.
    void Add(const BYTE* address);
    // Stores at most 255 characters of the name, up to its first zero.
    bool SetName(const BYTE* address, std::u16string_view name);
    // Leaves the name untouched when the address is not in the table.
    bool GetName(const BYTE* address, WString& name) const;
    [[nodiscard]] bool Save();
    // Takes the file over only when it was read completely; otherwise the table stays.
    bool Load();

    const PairEntry& Entry(size_t index) const { return m_entries[index]; }

private:
    PairEntry* Find(const BYTE* address);
    const PairEntry* Find(const BYTE* address) const;

    std::array<PairEntry, kEntries> m_entries {};
};
