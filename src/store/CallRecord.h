#pragma once

// One call of the call history, the same 120 bytes in memory and in the files.

#include "platform/core/Types.h"
#include "platform/loop/Clock.h"

#include <cstddef>
#include <string>
#include <string_view>

struct CallRecord {
    static constexpr size_t kNumberSize = 32;

    // Record types, equal to the list numbers.
    static constexpr DWORD kEmpty = 0;
    static constexpr DWORD kIncoming = 1;
    static constexpr DWORD kOutgoing = 2;
    static constexpr DWORD kMissed = 3;

    DWORD type = kEmpty;
    // When the call began to ring, or was dialled; local time.
    SYSTEMTIME time;
    DWORD duration = 0;
    // Zero-filled after the last character; not terminated when all 32 are used.
    char number[kNumberSize] = {};
    BYTE reserved[64] = {};

    // Copies the text up to its first zero, at most 32 characters, zero-filling the rest.
    void SetNumber(std::string_view text);
    std::string Number() const;
};

static_assert(sizeof(CallRecord) == 120);
static_assert(offsetof(CallRecord, time) == 4 && offsetof(CallRecord, duration) == 20);
static_assert(offsetof(CallRecord, number) == 24 && offsetof(CallRecord, reserved) == 56);
