// The bridge's indicators: kept, shown in the status line, and passed to the screens that show
// them.

#include "controller/MainFrame.h"

#include "controller/PhoneMessages.h"
#include "controller/TextKeys.h"
#include "controller/TextTable.h"
#include "link/ModuleText.h"
#include "ui/AudioDriverRequests.h"

namespace {

constexpr const char* kStateTextKeys[]
    = { text::kStatusState0, text::kStatusIdle, text::kStatusPairing, text::kStatusConnecting };

}

WString CMainFrame::NoPhoneStatusText(BYTE mainState) const
{
    const char* advice = m_indicators.HostStackAdvice();
    if (advice && mainState <= PhoneStatus::kStateIdle)
        return TextTable::Text(advice);
    return mainState < std::size(kStateTextKeys) ? WString(TextTable::Text(kStateTextKeys[mainState]))
                                                 : WString();
}

void CMainFrame::OnIndicator(WPARAM kind, LPARAM value)
{
    if (kind == WPARAM(bridge::IndicatorKind::SecondCall)) {
        (void)m_indicators.Set(kind, value);
        OnSecondCall(value);
        return;
    }
    if (!m_indicators.Set(kind, value))
        return;
    if (kind == WPARAM(bridge::IndicatorKind::InbandRinging)) {
        // The phone's own ring: nothing of ours is said over it. Nothing is drawn of it.
        if (m_indicators.InbandRinging())
            StopCallerSpeech();
        return;
    }
    if (kind == WPARAM(bridge::IndicatorKind::Assistant))
        FollowAssistant();
    if (kind != WPARAM(bridge::IndicatorKind::HostStack)) {
        // The phone's own facts: only the main view shows them.
        PostToView(WM_BT_EV_INDICATOR, kind, value);
        return;
    }
    BYTE mainState = m_pPhoneStatus->mainState;
    if (mainState <= PhoneStatus::kStateIdle)
        ShowRestingStatus(NoPhoneStatusText(mainState));
    for (UINT screen : { kScreenConnect, kScreenPairMode })
        PostToScreen(screen, WM_BT_EV_INDICATOR, kind, value);
}

void CMainFrame::OnBridgeText(WPARAM kind)
{
    WString text = ModuleText::FromBuffer(m_btModule.TakeMessageData(WM_BT_EV_BRIDGE_TEXT).bridgeText);
    if (kind == WPARAM(bridge::TextKind::SecondNumber)) {
        (void)m_indicators.SetText(kind, text);
        m_secondCall.SetNumber(text);
        return;
    }
    if (m_indicators.SetText(kind, text))
        PostToView(WM_BT_EV_BRIDGE_TEXT, kind, 0);
}

void CMainFrame::ForgetPhoneIndicators()
{
    if (m_indicators.ForgetPhone())
        PostToView(WM_BT_EV_INDICATOR, 0, 0);
}

bool CMainFrame::AssistantListening() const
{
    // A ring or a call takes over: the call screens and the call's audio, as always.
    return m_indicators.Assistant().value_or(false) && m_pPhoneStatus->mainState == PhoneStatus::kStateConnected;
}

void CMainFrame::FollowAssistant()
{
    // With oFono the phone opens the voice link with its assistant, so the car only has to carry
    // it: the phone's route, the speaker and the microphone, as for a call, until it ends.
    const bool listening = AssistantListening();
    if (listening == m_bAssistantAudio)
        return;
    m_bAssistantAudio = listening;
    RouteAudio(listening ? AudioRoute::Phone : AudioRoute::Normal);
    SetCallAudio(listening);
}
