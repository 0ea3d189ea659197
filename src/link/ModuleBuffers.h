#pragma once

// What the module's responses and events leave behind for the UI: texts, addresses and the
// paired-list transfer. The reader thread writes it; the UI thread reads a copy while handling the
// message that announced a field.

#include "link/BridgeIndicator.h"
#include "platform/core/Types.h"

#include <array>

using BtAddress = std::array<BYTE, 6>;

struct ModuleBuffers {
    static constexpr size_t kMaxPaired = 8;

    std::array<WCHAR, 256> firmwareVersion {};
    std::array<WCHAR, 20> response03Text {};
    std::array<WCHAR, 40> response06Text {};
    // Slot for the next address of a paired-list transfer; stays on the last slot when done.
    UINT pairedIndex = 0;
    // Addresses announced by response 0x0E; 0 while no transfer is expected.
    int32_t pairedCount = 0;
    // Set when the last announced address arrived: later address events are strays and ignored
    // (the index stays on the last slot, so it alone would not tell).
    bool pairedComplete = false;
    std::array<BtAddress, kMaxPaired> pairedAddresses {};
    BtAddress deviceAddress {};
    std::array<WCHAR, 257> deviceName {};
    // The module's own address.
    BtAddress address {};
    std::array<WCHAR, 256> callerNumber {};
    std::array<WCHAR, 256> event0BText {};
    // The bridge's text event (0x61): its kind and text, cut where the bridge cuts its texts.
    BYTE bridgeTextKind = 0;
    std::array<WCHAR, bridge::kMaxTextChars + 1> bridgeText {};
};
