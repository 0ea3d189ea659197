#include "controller/BridgeIndicators.h"

#include "controller/TextKeys.h"

#include <array>

namespace {

// By host stack value; ready has nothing to say.
constexpr std::array<const char*, bridge::kHostStackValues> kHostStackAdvice { nullptr,
    text::kHostNoSystemBus, text::kHostNoBluetoothd, text::kHostNoAdapter, text::kHostAdapterOff,
    text::kHostAdapterBlocked, text::kHostNoOfono, text::kHostNoHandsFree };

template <typename T> bool Keep(std::optional<T>& slot, T value)
{
    if (slot == value)
        return false;
    slot = value;
    return true;
}

}

bool BridgeIndicators::Set(WPARAM kind, LPARAM value)
{
    m_heard = true;
    if (value < 0)
        return false;
    switch (bridge::IndicatorKind(kind)) {
    case bridge::IndicatorKind::HostStack:
        return value < bridge::kHostStackValues && Keep(m_hostStack, bridge::HostStack(value));
    case bridge::IndicatorKind::Signal:
        return value <= bridge::kPhoneLevelMax && Keep(m_signal, BYTE(value));
    case bridge::IndicatorKind::Battery:
        return value <= bridge::kPhoneLevelMax && Keep(m_battery, BYTE(value));
    case bridge::IndicatorKind::Roaming:
        return value <= 1 && Keep(m_roaming, value == 1);
    case bridge::IndicatorKind::Service:
        return value <= 1 && Keep(m_service, value == 1);
    case bridge::IndicatorKind::Assistant:
        return value <= 1 && Keep(m_assistant, value == 1);
    case bridge::IndicatorKind::InbandRinging:
        return value <= 1 && Keep(m_inband, value == 1);
    case bridge::IndicatorKind::SecondCall:
        // The frame's own: a call's, not the phone's.
        break;
    }
    return false;
}

bool BridgeIndicators::SetText(WPARAM kind, const WString& text)
{
    m_heard = true;
    if (kind != WPARAM(bridge::TextKind::Operator) || text == m_operator)
        return false;
    m_operator = text;
    return true;
}

bool BridgeIndicators::ForgetPhone()
{
    bool shown = m_signal || m_battery || m_roaming || m_service || m_assistant || !m_operator.empty();
    m_signal.reset();
    m_battery.reset();
    m_roaming.reset();
    m_service.reset();
    m_assistant.reset();
    // Never drawn, so it does not count as shown.
    m_inband.reset();
    m_operator.clear();
    return shown;
}

const char* BridgeIndicators::HostStackAdvice() const
{
    return m_hostStack ? kHostStackAdvice[BYTE(*m_hostStack)] : nullptr;
}
