#include "PhoneIndicatorMap.h"

#include <algorithm>

namespace handsfree {

namespace {

constexpr unsigned kStrengthFull = 100;
constexpr unsigned kStrengthPerBar = 20;

}

BYTE SignalBars(unsigned strength)
{
    unsigned bars = (std::min(strength, kStrengthFull) + kStrengthPerBar - 1) / kStrengthPerBar;
    return BYTE(std::min<unsigned>(bars, bridge::kPhoneLevelMax));
}

void PhoneIndicatorMap::Strength(unsigned strength)
{
    m_core.PhoneIndicator(bridge::IndicatorKind::Signal, SignalBars(strength));
}

void PhoneIndicatorMap::OperatorName(const std::string& name)
{
    m_core.OperatorName(name);
}

void PhoneIndicatorMap::Status(const std::string& status)
{
    bool roaming = status == "roaming";
    bool service = roaming || status == "registered";
    m_core.PhoneIndicator(bridge::IndicatorKind::Service, service ? 1 : 0);
    m_core.PhoneIndicator(bridge::IndicatorKind::Roaming, roaming ? 1 : 0);
}

void PhoneIndicatorMap::InbandRinging(bool inband)
{
    m_core.PhoneIndicator(bridge::IndicatorKind::InbandRinging, inband ? 1 : 0);
}

void PhoneIndicatorMap::Battery(unsigned level)
{
    m_core.PhoneIndicator(
        bridge::IndicatorKind::Battery, BYTE(std::min<unsigned>(level, bridge::kPhoneLevelMax)));
}

void PhoneIndicatorMap::Assistant(bool on)
{
    m_core.PhoneIndicator(bridge::IndicatorKind::Assistant, on ? 1 : 0);
}

}
