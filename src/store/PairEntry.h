#pragma once

// One paired device: its Bluetooth address and the name it last reported, the same 518 bytes in
// memory and in PairData.dat. An address of six zero bytes marks a free entry.

#include "platform/core/Types.h"

#include <algorithm>
#include <cstddef>

struct PairEntry {
    static constexpr size_t kAddressSize = 6;
    // Up to 255 characters and the terminating zero.
    static constexpr size_t kNameSize = 256;

    BYTE address[kAddressSize] = {};
    WCHAR name[kNameSize] = {};

    bool IsFree() const
    {
        return std::all_of(address, address + kAddressSize, [](BYTE b) { return b == 0; });
    }
};

static_assert(sizeof(PairEntry) == 518 && offsetof(PairEntry, name) == 6);
