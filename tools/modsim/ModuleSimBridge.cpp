// The simulator's console commands for what only the bridge reports of the linked phone, and the
// phone's side of the bridge's call-waiting actions.

#include "ModuleSim.h"

namespace {

using bridge::IndicatorKind;

std::optional<BYTE> OnOff(const std::string& word)
{
    if (word == "on")
        return 1;
    if (word == "off")
        return 0;
    return std::nullopt;
}

std::optional<BYTE> Level(const std::string& word)
{
    if (word.size() != 1 || word[0] < '0' || word[0] > '0' + bridge::kPhoneLevelMax)
        return std::nullopt;
    return BYTE(word[0] - '0');
}

}

std::string ModuleSim::PlayPhoneFact(const std::vector<std::string>& w)
{
    const std::string& cmd = w[0];
    if (!m_core.LinkedPhone())
        return "error no phone linked";
    if (cmd == "operator") {
        if (w.size() < 2)
            return "error operator NAME";
        std::string name = w[1];
        for (size_t i = 2; i < w.size(); ++i)
            name += " " + w[i];
        m_core.OperatorName(name);
        return "ok operator " + m_core.OperatorNameValue();
    }
    std::string word = w.size() > 1 ? w[1] : std::string();
    bool onOff = cmd == "roaming" || cmd == "service" || cmd == "inband";
    std::optional<BYTE> value = onOff ? OnOff(word) : Level(word);
    if (!value || w.size() != 2)
        return "error " + cmd + (onOff ? " on|off" : " N (0..5)");
    IndicatorKind kind = cmd == "signal" ? IndicatorKind::Signal
        : cmd == "battery"               ? IndicatorKind::Battery
        : cmd == "roaming"               ? IndicatorKind::Roaming
        : cmd == "inband"                ? IndicatorKind::InbandRinging
                                         : IndicatorKind::Service;
    if (!m_core.PhoneIndicator(kind, *value))
        return "error " + cmd + " refused";
    return "ok " + cmd + " " + word;
}

std::string ModuleSim::PlayWaiting(const std::vector<std::string>& w)
{
    if (w.size() != 2)
        return "error waiting NUMBER";
    if (Main() != kInCall || m_core.SecondCallState() != bridge::SecondCall::None)
        return "error waiting needs one call in progress";
    m_secondNumber = w[1];
    (void)m_core.SecondCall(bridge::SecondCall::Waiting, m_secondNumber);
    return "ok waiting " + w[1];
}

std::string ModuleSim::PlayAssistant()
{
    if (!m_core.LinkedPhone())
        return "error no phone linked";
    bool on = m_core.PhoneIndicatorValue(IndicatorKind::Assistant) != BYTE(1);
    (void)m_core.PhoneIndicator(IndicatorKind::Assistant, on ? 1 : 0);
    return on ? "ok assistant on" : "ok assistant off";
}

void ModuleSim::BridgeAction(bridge::Action action)
{
    using bridge::Action;
    using bridge::SecondCall;
    SecondCall now = m_core.SecondCallState();
    std::optional<SecondCall> next;
    switch (action) {
    case Action::HoldAndAnswer:
        next = now == SecondCall::Waiting ? std::optional(SecondCall::SecondActive) : std::nullopt;
        break;
    case Action::ReleaseAndAnswer:
        next = now == SecondCall::Waiting ? std::optional(SecondCall::SecondAlone) : std::nullopt;
        break;
    case Action::RejectWaiting:
        next = now == SecondCall::Waiting ? std::optional(SecondCall::None) : std::nullopt;
        break;
    case Action::SwapCalls:
        if (now == SecondCall::SecondActive || now == SecondCall::FirstActive)
            next = now == SecondCall::SecondActive ? SecondCall::FirstActive : SecondCall::SecondActive;
        break;
    case Action::MergeCalls:
        if (now == SecondCall::SecondActive || now == SecondCall::FirstActive)
            next = SecondCall::Merged;
        break;
    case Action::AssistantStart:
    case Action::AssistantStop:
        // The phone reports its assistant as it starts or ends, as oFono's VoiceRecognition does;
        // the call audio comes with it, which the application routes while it listens.
        (void)m_core.PhoneIndicator(IndicatorKind::Assistant, action == Action::AssistantStart ? 1 : 0);
        break;
    }
    // A phone ignores what makes no sense for its calls, as the actions' answer came already.
    if (next)
        (void)m_core.SecondCall(*next, m_secondNumber);
}

void ModuleSim::Hangup()
{
    using bridge::SecondCall;
    switch (m_core.SecondCallState()) {
    case SecondCall::SecondActive:
        // The held first call is taken back, as the phone's own screen would offer.
        (void)m_core.SecondCall(SecondCall::None);
        return;
    case SecondCall::FirstActive:
        (void)m_core.SecondCall(SecondCall::SecondAlone, m_secondNumber);
        return;
    default:
        // Ringing, a single call, a conference, or a first call with one waiting: all of it ends.
        EndCall();
    }
}

void ModuleSim::RemoteHangup()
{
    // The waiting caller gives up; otherwise it is the active call's other end.
    if (m_core.SecondCallState() == bridge::SecondCall::Waiting)
        (void)m_core.SecondCall(bridge::SecondCall::None);
    else
        Hangup();
}
