#include "controller/BridgeIndicators.h"

#include "controller/TextKeys.h"

#include <array>

namespace {

// By host stack value; ready has nothing to say.
constexpr std::array<const char*, bridge::kHostStackValues> kHostStackAdvice { nullptr,
    text::kHostNoSystemBus, text::kHostNoBluetoothd, text::kHostNoAdapter, text::kHostAdapterOff,
    text::kHostAdapterBlocked, text::kHostNoOfono, text::kHostNoHandsFree };

}

bool BridgeIndicators::Set(WPARAM kind, LPARAM value)
{
    if (kind != WPARAM(bridge::IndicatorKind::HostStack) || value < 0 || value >= bridge::kHostStackValues)
        return false;
    auto state = bridge::HostStack(value);
    if (m_hostStack == state)
        return false;
    m_hostStack = state;
    return true;
}

const char* BridgeIndicators::HostStackAdvice() const
{
    return m_hostStack ? kHostStackAdvice[BYTE(*m_hostStack)] : nullptr;
}
