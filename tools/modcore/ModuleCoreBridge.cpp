// What only the bridge adds to the module: the linked phone's indicators and operator name
// (events 0x60 and 0x61) and its one command (0x62). A serial module has none of it, so nothing
// here is sent until a phone fact is reported.

#include "ModuleCore.h"

#include "link/ModuleFrame.h"

namespace {

constexpr BYTE kEvIndicator = 0x60;
constexpr BYTE kEvText = 0x61;
constexpr BYTE kCmdBridgeAction = 0x62;

constexpr bridge::IndicatorKind kPhoneKinds[] = { bridge::IndicatorKind::Signal,
    bridge::IndicatorKind::Battery, bridge::IndicatorKind::Roaming, bridge::IndicatorKind::Service,
    bridge::IndicatorKind::Assistant, bridge::IndicatorKind::InbandRinging };

// The highest value of a phone indicator; 0 for a kind that is not the phone's.
BYTE MaxValue(bridge::IndicatorKind kind)
{
    switch (kind) {
    case bridge::IndicatorKind::Signal:
    case bridge::IndicatorKind::Battery:
        return bridge::kPhoneLevelMax;
    case bridge::IndicatorKind::Roaming:
    case bridge::IndicatorKind::Service:
    case bridge::IndicatorKind::Assistant:
    case bridge::IndicatorKind::InbandRinging:
        return 1;
    case bridge::IndicatorKind::HostStack:
    case bridge::IndicatorKind::SecondCall:
        break;
    }
    return 0;
}

// At most `chars` characters, never cutting one of UTF-8's sequences.
std::string CutUtf8(const std::string& text, size_t chars)
{
    size_t count = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        bool starts = (BYTE(text[i]) & 0xC0) != 0x80;
        if (starts && count++ == chars)
            return text.substr(0, i);
    }
    return text;
}

}

bool ModuleCore::PhoneIndicator(bridge::IndicatorKind kind, BYTE value)
{
    BYTE max = MaxValue(kind);
    if (max == 0 || value > max)
        return false;
    auto& slot = m_phoneIndicators[BYTE(kind)];
    if (slot == value)
        return true;
    slot = value;
    // Kept until the phone links when it comes first, as the host stack's properties may.
    if (m_linked)
        Event(kEvIndicator, { BYTE(kind), value });
    return true;
}

std::optional<BYTE> ModuleCore::PhoneIndicatorValue(bridge::IndicatorKind kind) const
{
    return MaxValue(kind) == 0 ? std::nullopt : m_phoneIndicators[BYTE(kind)];
}

void ModuleCore::OperatorName(const std::string& name)
{
    std::string cut = CutUtf8(name, bridge::kMaxTextChars);
    if (cut == m_operator)
        return;
    m_operator = cut;
    if (m_linked)
        SendOperator();
}

void ModuleCore::SendOperator()
{
    std::vector<BYTE> data { BYTE(bridge::TextKind::Operator) };
    data.insert(data.end(), m_operator.begin(), m_operator.end());
    Event(kEvText, data);
}

void ModuleCore::SendPhoneIndicators()
{
    if (!m_linked)
        return;
    for (bridge::IndicatorKind kind : kPhoneKinds) {
        if (auto value = m_phoneIndicators[BYTE(kind)])
            Event(kEvIndicator, { BYTE(kind), *value });
    }
    if (!m_operator.empty())
        SendOperator();
}

void ModuleCore::ForgetPhoneIndicators()
{
    // The application forgets them on its own when the link ends; nothing is sent.
    m_phoneIndicators = {};
    m_operator.clear();
}

bool ModuleCore::SecondCall(bridge::SecondCall state, const std::string& number)
{
    using bridge::SecondCall;
    if (m_main != kInCall || BYTE(state) >= bridge::kSecondCallValues)
        return false;
    if (state == SecondCall::SecondAlone && m_second == SecondCall::None)
        return false;
    if (state == m_second)
        return true;
    if (m_second == SecondCall::None && state != SecondCall::None) {
        std::vector<BYTE> data { BYTE(bridge::TextKind::SecondNumber) };
        std::string cut = CutUtf8(number, bridge::kMaxTextChars);
        data.insert(data.end(), cut.begin(), cut.end());
        Event(kEvText, data);
    }
    Event(kEvIndicator, { BYTE(bridge::IndicatorKind::SecondCall), BYTE(state) });
    // Alone, the second call is the one the main state follows from now on.
    m_second = state == SecondCall::SecondAlone ? SecondCall::None : state;
    return true;
}

void ModuleCore::EndSecondCall()
{
    if (m_second != bridge::SecondCall::None)
        SecondCall(bridge::SecondCall::None);
}

void ModuleCore::DoBridgeAction(std::span<const BYTE> bytes)
{
    ModuleFrame frame(bytes);
    BYTE action = frame.At(ModuleFrame::kOffsetBody);
    if (frame.Length() != 2 || action < 1 || action > bridge::kActionCount)
        return Reply(kCmdBridgeAction, kStatusBadParameter);
    auto which = bridge::Action(action);
    bool assistant = which == bridge::Action::AssistantStart || which == bridge::Action::AssistantStop;
    bool allowed = assistant ? m_main >= kConnected && m_main <= kInCall : m_main == kInCall;
    if (!allowed)
        return Reply(kCmdBridgeAction, kStatusWrongState);
    Reply(kCmdBridgeAction, kStatusOk);
    m_line.LogNote("bridge action " + std::string(bridge::ActionName(which)));
    m_phones.BridgeAction(which);
}
