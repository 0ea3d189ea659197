#include "link/BridgeIndicator.h"

#include <array>

namespace bridge {

namespace {

// In the order of the values.
constexpr std::array<std::string_view, kHostStackValues> kHostStackNames { "ready", "no-bus", "no-bluetoothd",
    "no-adapter", "adapter-off", "rfkill-blocked", "no-ofono", "no-handsfree" };
// From action 1 on.
constexpr std::array<std::string_view, kActionCount> kActionNames { "hold-answer", "release-answer", "swap",
    "merge", "assistant-start", "assistant-stop", "reject-waiting" };

}

std::string_view HostStackName(HostStack state)
{
    BYTE value = BYTE(state);
    return value < kHostStackNames.size() ? kHostStackNames[value] : "unknown";
}

std::optional<HostStack> ParseHostStack(std::string_view name)
{
    for (BYTE value = 0; value < kHostStackNames.size(); ++value) {
        if (kHostStackNames[value] == name)
            return HostStack(value);
    }
    return std::nullopt;
}

std::string_view ActionName(Action action)
{
    BYTE value = BYTE(action);
    return value >= 1 && value <= kActionNames.size() ? kActionNames[value - 1u] : "unknown";
}

}
