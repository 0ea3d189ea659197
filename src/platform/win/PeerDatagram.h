#pragma once

// One posted message on its way between programs: a fixed 40-byte little-endian record carried
// in one Unix datagram. Anything that is not exactly such a record is not a message.
//
//   0  magic "OSWM"      4  sender pid       8  target window handle
//  16  message          20  zero            24  wParam              32  lParam (signed)

#include "platform/core/Types.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>

struct PeerDatagram {
    static constexpr size_t kSize = 40;
    static constexpr uint32_t kMagic = 0x4D57534F; // "OSWM" as it lies in memory

    HWND target = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    uint32_t senderPid = 0;

    std::array<uint8_t, kSize> Encode() const;
    // Empty for a datagram of the wrong size, magic or reserved field.
    static std::optional<PeerDatagram> Decode(std::span<const uint8_t> bytes);
};
