#pragma once

// One posted message (or remote command) on its way between programs: a fixed 40-byte
// little-endian record carried in one Unix datagram. Anything that is not exactly such a record
// is not a message.
//
//   0  magic "OSWM"      4  sender pid       8  target window handle
//  16  message          20  kind            24  wParam              32  lParam (signed)
//
// Kind 0 is a posted message; kinds 1 to 3 are the RemoteCommand of the same value, with its
// argument in wParam and the message field zero.

#include "platform/core/Types.h"
#include "platform/win/RemoteWindows.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>

struct PeerDatagram {
    static constexpr size_t kSize = 40;
    static constexpr uint32_t kMagic = 0x4D57534F; // "OSWM" as it lies in memory
    static constexpr uint32_t kPost = 0;

    HWND target = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    uint32_t senderPid = 0;
    uint32_t kind = kPost;

    std::array<uint8_t, kSize> Encode() const;
    // Empty for a datagram of the wrong size, magic or kind.
    static std::optional<PeerDatagram> Decode(std::span<const uint8_t> bytes);
};
