#pragma once

// The user's preferences, the same 40 bytes in memory and in PrefData.dat.

#include "platform/core/Types.h"

#include <cstddef>

struct PrefRecord {
    static constexpr size_t kHomeNumberSize = 32;

    // Zero-filled after the last character; not terminated when all 32 are used.
    char homeNumber[kHomeNumberSize] = {};
    // 1 on, 0 off.
    DWORD autoAnswer = 0;
    // 1, 2 or 3; any other value plays as ring tone 1.
    DWORD ringTone = 0;
};

static_assert(sizeof(PrefRecord) == 40);
static_assert(offsetof(PrefRecord, autoAnswer) == 32 && offsetof(PrefRecord, ringTone) == 36);
