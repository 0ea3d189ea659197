#pragma once

// How many calls were missed since the missed list was last on screen, and the number of the last
// of them, kept in MissedNotice.dat beside the history files so the main view's notice outlives a
// restart. A missing file means nothing was missed; a file that cannot be read is moved aside to
// MissedNotice.dat.unreadable and also reads as nothing missed.

#include "platform/core/Types.h"

#include <string>
#include <string_view>

class MissedCallStore {
public:
    static constexpr DWORD kMagic = 0x4D434E01;
    // More than a driver reads at a glance; the count stops here rather than wrapping.
    static constexpr DWORD kMaxCount = 99;
    static constexpr size_t kNumberSize = 32;

    // One more missed call, from this number (empty when the caller was withheld).
    void Add(std::string_view number);
    void Clear();
    DWORD Count() const { return m_record.count; }
    // The last missed caller's number, only its printable characters.
    std::string LastNumber() const;

    [[nodiscard]] bool Save() const;
    // False when the file is missing or unreadable; either way the store then holds nothing.
    bool Load();

private:
    struct Record {
        DWORD count = 0;
        char number[kNumberSize] = {};
        BYTE reserved[28] = {};
    };
    static_assert(sizeof(Record) == 64);

    Record m_record;
};
