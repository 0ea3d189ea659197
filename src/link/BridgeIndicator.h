#pragma once

// The facts that only the bridge to the host's Bluetooth stack reports, each as one indicator
// event (0x60: kind, value). A serial module never sends them, so each kind's absence means "as
// the device always behaved". Later facts (the phone's signal, battery, roaming) are new kinds.

#include "platform/core/Types.h"

#include <optional>
#include <string_view>

namespace bridge {

enum class IndicatorKind : BYTE {
    HostStack = 1,
};

// What stands between the machine and a working hands-free link, the first problem found first.
enum class HostStack : BYTE {
    Ready = 0,
    NoSystemBus = 1,
    NoBluetoothd = 2,
    NoAdapter = 3,
    AdapterOff = 4,
    AdapterBlocked = 5,
    NoOfono = 6,
    NoHandsFree = 7,
};
inline constexpr BYTE kHostStackValues = 8;

// "no-adapter" and back, the names the simulator and the bridge's trace use.
std::string_view HostStackName(HostStack state);
std::optional<HostStack> ParseHostStack(std::string_view name);

}
