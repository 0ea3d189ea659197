// Call control: the frame's handlers of module messages, the state machine they form, the
// timer actions and the forwarding to the screens that are up.

#include "controller/MainFrame.h"

#include "contacts/ContactBook.h"
#include "controller/CallerSpeech.h"
#include "controller/MediaPlayers.h"
#include "controller/PhoneMessages.h"
#include "controller/TextKeys.h"
#include "controller/TextTable.h"
#include "link/ModuleText.h"
#include "platform/controls/Dialog.h"
#include "platform/controls/MessageBox.h"
#include "platform/core/Text.h"
#include "platform/loop/Clock.h"
#include "platform/win/WindowApi.h"
#include "store/CallLogStore.h"
#include "store/PairStore.h"
#include "store/PrefStore.h"
#include "ui/AudioDriverRequests.h"
#include "ui/RingTonePlayer.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr BYTE kLinkHeadset = 1;
constexpr BYTE kLinkHandsFree = 2;

bool IsConnectedState(BYTE mainState)
{
    return mainState >= 4 && mainState <= 6;
}

}

void CMainFrame::PostToScreen(UINT kind, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (IsScreenUp(kind))
        ScreenWindow(kind)->PostMessage(message, wParam, lParam);
}

void CMainFrame::PostToView(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pActiveView && m_pActiveView->GetSafeHwnd() && m_pActiveView->IsWindowEnabled())
        m_pActiveView->PostMessage(message, wParam, lParam);
}

void CMainFrame::ForwardToPairingScreen(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (ScreenWindow(kScreenPairMode))
        PostToScreen(kScreenPairMode, message, wParam, lParam);
    else
        PostToScreen(kScreenConnect, message, wParam, lParam);
}

void CMainFrame::ShowAndForeground()
{
    ShowWindow(SW_SHOW);
    ::SetForegroundWindow(GetSafeHwnd());
}

void CMainFrame::ShowModuleBox(const WString& text)
{
    MessageBox(GetSafeHwnd(), text, u"Ostrilan", MB_OK);
}

LRESULT CMainFrame::OnModuleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled)
{
    handled = true;
    switch (message) {
    case WM_BT_FW_VERSION:
        ShowModuleBox(u"Bluetooth Module Firmware version :\r\n[" + m_btModule.FirmwareVersion() + u"]");
        return 0;
    case WM_BT_LOCAL_ADDR: {
        BtAddress a = m_btModule.LocalAddress();
        char text[64];
        std::snprintf(text, sizeof text, "Bluetooth Module Addr :\r\n[(%02X %02X %02X) - %02X %02X %02X]",
            a[0], a[1], a[2], a[3], a[4], a[5]);
        ShowModuleBox(FromUtf8(text));
        return 0;
    }
    case WM_BT_STATE:
        if (wParam == 0)
            OnStateReport(BYTE(lParam & 0xFF));
        return 0;
    case WM_BT_EV_STATE:
        OnStateReport(BYTE(wParam & 0xFF));
        return 0;
    case WM_BT_EV_LINK:
        OnLinkUpdate(wParam, lParam);
        return 0;
    case WM_BT_EV_RING:
        OnIncomingRing();
        return 0;
    case WM_BT_EV_CALLER_ID:
        OnCallerNumber(wParam, lParam);
        return 0;
    case WM_BT_EV_CALL_STATUS:
        OnCallStatus(wParam, lParam);
        return 0;
    case WM_BT_PAIRED_LIST:
        OnPairedList(wParam, lParam);
        return 0;
    case WM_BT_EV_DEVICE_NAME:
        OnDeviceName(wParam, lParam);
        return 0;
    case WM_BT_EV_INDICATOR:
        OnIndicator(wParam, lParam);
        return 0;
    case WM_BT_EV_BRIDGE_TEXT:
        OnBridgeText(wParam);
        return 0;
    case WM_BT_PAIR_MODE:
    case WM_BT_PAIR_CANCEL:
    case WM_BT_PAIR_DELETE:
    case WM_BT_EV_02:
        PostToScreen(kScreenPairMode, message, wParam, lParam);
        return 0;
    case WM_BT_CONNECT:
    case WM_BT_DISCONNECT:
        PostToScreen(kScreenConnect, message, wParam, lParam);
        return 0;
    case WM_BT_SPK_VOLUME:
    case WM_BT_MIC_GAIN:
        PostToView(WM_BT_SPK_VOLUME, wParam, lParam);
        return 0;
    case WM_BT_EV_SPK_VOLUME:
        PostToView(WM_BT_SPK_VOLUME, 0, LPARAM(wParam));
        return 0;
    case WM_PHONE_CLOCK_TIME:
    case WM_PHONE_LOCK_STATE:
    case WM_PHONE_BATTERY_STATE:
    case WM_PHONE_VOLUME_CHANGED:
        // The gauges follow the broadcasts even while a screen covers the view.
        if (m_pActiveView && m_pActiveView->GetSafeHwnd())
            m_pActiveView->PostMessage(message, wParam, lParam);
        return 0;
    default:
        handled = false;
        return 0;
    }
}

void CMainFrame::OnStateReport(BYTE s)
{
    PhoneStatus& status = *m_pPhoneStatus;
    status.rawState = s;
    status.stateFieldA = PhoneStatus::FieldA(s);
    status.prevMainState = status.mainState;
    status.mainState = PhoneStatus::MainState(s);
    status.prevStateFieldB = status.stateFieldB;
    status.stateFieldB = PhoneStatus::FieldB(s);
    status.prevAudioFlag = status.audioFlag;
    status.audioFlag = PhoneStatus::AudioFlag(s);
    if (!IsConnectedState(status.mainState)) {
        status.prevLinkKind = status.linkKind;
        status.linkKind = 0;
    }

    const BYTE p = status.prevMainState;
    switch (status.mainState) {
    case 0:
    case 1:
    case 2:
    case 3:
        RouteAudio(AudioRoute::Normal);
        ShowRestingStatus(NoPhoneStatusText(status.mainState));
        ForgetPhoneIndicators();
        if (p == PhoneStatus::kStateRinging || p == PhoneStatus::kStateInCall || m_bUnansweredPending) {
            // The phone went away during the call, or before timer 2 decided a ring that had
            // stopped. The call ends now with the link it had, not the one cleared above:
            // otherwise the ring would outlive the connection, the call timer would run on and
            // the call would be missing from the history.
            StopUnansweredTimer();
            const BYTE cleared = status.linkKind;
            status.linkKind = status.prevLinkKind;
            EndCall(p != PhoneStatus::kStateInCall, true);
            status.linkKind = cleared;
        }
        break;
    case PhoneStatus::kStateConnected:
        // The phone's assistant speaks and listens through the car as a call does.
        RouteAudio(AssistantListening() ? AudioRoute::Phone : AudioRoute::Normal);
        ShowAndForeground();
        ShowRestingStatus(ConnectedStatusText());
        if (status.linkKind == kLinkHandsFree) {
            // Answered or not is decided a second later: 5 -> 4 -> 6 within it counts as answered.
            if (p == PhoneStatus::kStateRinging) {
                SetTimer(kUnansweredTimer, kUnansweredTimerMs);
                m_bUnansweredPending = true;
            }
            else if (p == PhoneStatus::kStateInCall)
                EndCall(false, true);
        }
        break;
    case PhoneStatus::kStateRinging:
        if (status.linkKind == kLinkHandsFree) {
            RouteAudio(AudioRoute::Phone);
            if (p == PhoneStatus::kStateInCall)
                EndCall(false, true);
            RingOfCall(p == PhoneStatus::kStateRinging);
        }
        SetStatusLine(TextTable::Text(text::kStatusRinging));
        break;
    case PhoneStatus::kStateInCall:
        m_bCallTalked = true;
        if (status.linkKind == kLinkHandsFree) {
            RouteAudio(AudioRoute::Phone);
            m_pRingTone->Stop();
            if (p != PhoneStatus::kStateInCall) {
                GetSystemTime(&status.callStart);
                status.elapsedSeconds = 0;
                SetTimer(kCallTimer, kCallTimerMs);
                m_bCallClockRunning = true;
            }
        }
        SetStatusLine(TextTable::Text(text::kStatusInCall));
        break;
    default:
        break;
    }
    if (status.mainState != PhoneStatus::kStateRinging || status.audioFlag != 0)
        StopCallerSpeech();

    if (status.audioFlag == 0 && !AssistantListening()) {
        SetCallAudio(false);
        if (status.linkKind == kLinkHeadset)
            RouteAudio(AudioRoute::Normal);
    } else {
        m_pRingTone->Stop();
        SetCallAudio(true);
        if (status.linkKind == kLinkHeadset)
            RouteAudio(AudioRoute::Phone);
    }

    m_bAssistantAudio = AssistantListening();
    PostToView(WM_BT_EV_STATE, s, 0);
    PostToScreen(kScreenPairMode, WM_BT_EV_STATE, s, 0);
    PostToScreen(kScreenConnect, WM_BT_EV_STATE, s, 0);
    PostToScreen(kScreenOutgoing, WM_BT_EV_STATE, s, 0);
    // Timer 2 tells the incoming call screen about 5 -> 4 once the second has passed.
    if (!(p == PhoneStatus::kStateRinging && status.mainState == PhoneStatus::kStateConnected))
        PostToScreen(kScreenIncoming, WM_BT_EV_STATE, s, 0);
}

void CMainFrame::OnIncomingRing()
{
    // A ring event belongs to the call already ringing when the main state says so. The previous
    // main state cannot tell: after a missed call it stays 5 until the next report, so the next
    // call's first ring would start no record, and the report of 5 that follows would start one,
    // wiping the caller number written in between.
    RingOfCall(m_pPhoneStatus->mainState == PhoneStatus::kStateRinging);
}

void CMainFrame::RingOfCall(bool alreadyRinging)
{
    PhoneStatus& status = *m_pPhoneStatus;
    PauseMediaPlayers();
    m_pRingTone->Start(m_pPrefStore->Record().ringTone);
    if (status.linkKind != kLinkHandsFree)
        return;
    if (!alreadyRinging) {
        CallRecord record;
        record.type = CallRecord::kMissed;
        GetLocalTime(&record.time);
        m_pCallLog->CurrentCall() = record;
        status.callType = CallRecord::kMissed;
        m_bCallTalked = false;
        // Only an answered call has a call time: a missed or rejected one is logged with none,
        // not with the time of the call before it.
        status.elapsedSeconds = 0;
        status.prevMainState = status.mainState;
        status.mainState = PhoneStatus::kStateRinging;
        StartCallerSpeech();
    }
    if (!ScreenWindow(kScreenIncoming)) {
        ShowAndForeground();
        CloseScreen(kScreenAll);
        OpenScreen(kScreenIncoming);
    }
}

void CMainFrame::StartCallerSpeech()
{
    if (!m_pCallerSpeech || m_indicators.InbandRinging())
        return;
    m_pCallerSpeech->RingStarted();
    // Without a tone nothing is waited for.
    SetTimer(kSpeechTimer, std::max<DWORD>(m_pRingTone->ToneLengthMs(), 1));
}

void CMainFrame::StopCallerSpeech()
{
    if (!m_pCallerSpeech || !m_pCallerSpeech->Ringing())
        return;
    KillTimer(kSpeechTimer);
    m_pCallerSpeech->RingEnded();
}

void CMainFrame::OnSpeechReady(WPARAM ticket)
{
    if (m_pCallerSpeech)
        m_pCallerSpeech->Ready(ticket);
}

void CMainFrame::EndCall(bool keepTimer, bool log)
{
    PhoneStatus& status = *m_pPhoneStatus;
    ResumeMediaPlayers();
    if (status.linkKind != kLinkHandsFree)
        return;
    if (!keepTimer)
        StopCallClock();
    m_pRingTone->Stop();
    ShowRestingStatus(TextTable::Text(text::kStatusNoCall));
    if (status.linkKind == kLinkHandsFree && log) {
        // A second call the bridge did not end first ends with this one.
        if (m_secondCall.EndWithFirst())
            LogCall(m_secondCall.Record(), false);
        CallRecord record = m_pCallLog->CurrentCall();
        record.type = status.callType;
        record.duration = DWORD(uint64_t(status.elapsedSeconds) & 0xFFFFFFFFu);
        LogCall(record, m_bCallTalked);
    }
}

void CMainFrame::LogCall(const CallRecord& record, bool talked)
{
    int list = int(record.type);
    m_pCallLog->LoadList(list);
    // A call of no known kind (a screen opened without a dial or a ring) has no list to go to,
    // and no save to report.
    if (!m_pCallLog->AddRecord(list, record))
        return;
    if (record.type == CallRecord::kMissed && !talked)
        OnCallMissed(record.Number());
    // A list that cannot be written keeps the call in memory; the next save writes it too. The
    // failure is said after the missed-call notice, so the driver sees it once.
    ReportSave(m_pCallLog->SaveList(list), ToUtf8(CallLogStore::FileName(list)));
}

void CMainFrame::ReportSave(bool saved, std::string_view what)
{
    if (std::optional<WString> text = m_saveNotice.Report(saved, what, m_pLanguage.get()))
        SetStatusLine(*text);
}

void CMainFrame::ReportSettingsSave(bool saved, std::string_view what)
{
    if (std::optional<WString> text = m_settingsNotice.Report(saved, what, m_pLanguage.get()))
        SetStatusLine(*text);
}

void CMainFrame::OnCallerNumber(WPARAM wParam, LPARAM lParam)
{
    CallRecord record = m_pCallLog->CurrentCall();
    WString number = ModuleText::FromBuffer(m_btModule.TakeMessageData(WM_BT_EV_CALLER_ID).callerNumber);
    std::string bytes;
    for (char16_t c : number) {
        char low = char(c & 0xFF);
        if (low == 0 || bytes.size() == CallRecord::kNumberSize)
            break;
        bytes += low;
    }
    record.SetNumber(bytes);
    m_pCallLog->CurrentCall() = record;
    if (m_pCallerSpeech && m_pCallerSpeech->Ringing()) {
        std::optional<WString> name = m_pContacts ? m_pContacts->NameFor(bytes) : std::nullopt;
        m_pCallerSpeech->CallerKnown(CallerSpeech::TextFor(name, bytes), m_speechVoice);
    }
    m_pCallLog->LastCall() = record;
    // Redial falls back to the number in memory. Only logged: the status line tells of a failed
    // save once the call has ended and its list was saved.
    (void)m_lastCallNotice.Report(m_pCallLog->SaveLastCall(), "LastCall.dat", nullptr);
    PostToScreen(kScreenIncoming, WM_BT_EV_CALLER_ID, wParam, lParam);
}

void CMainFrame::OnLinkUpdate(WPARAM wParam, LPARAM lParam)
{
    PhoneStatus& status = *m_pPhoneStatus;
    status.prevLinkKind = status.linkKind;
    status.linkKind = wParam == kLinkHeadset ? kLinkHeadset : wParam == kLinkHandsFree ? kLinkHandsFree : 0;
    PostToView(WM_BT_EV_LINK, wParam, lParam);
    ForwardToPairingScreen(WM_BT_EV_LINK, wParam, lParam);
}

void CMainFrame::OnCallStatus(WPARAM wParam, LPARAM lParam)
{
    PhoneStatus& status = *m_pPhoneStatus;
    const BYTE values[3] = { BYTE((wParam >> 8) & 0xFF), BYTE(wParam & 0xFF), BYTE(lParam & 0xFF) };
    for (size_t i = 0; i < 3; ++i) {
        status.prevCallStatus[i] = status.callStatus[i];
        status.callStatus[i] = values[i];
    }
    if (!IsScreenUp(kScreenOutgoing))
        return;
    PostToScreen(kScreenOutgoing, WM_BT_EV_CALL_STATUS, wParam, lParam);
    if (status.callStatus[1] == 0 && status.callStatus[2] == 0) {
        // The call is over now, though the state report that logs it may come only after the
        // screen's two seconds of "call ended": those are not call time.
        if (status.mainState == PhoneStatus::kStateInCall)
            StopCallClock();
        EndCall(true, false);
    }
}

void CMainFrame::StopCallClock()
{
    // The elapsed time moves only on the timer's ticks; the call's end is the last moment.
    if (m_bCallClockRunning)
        m_pPhoneStatus->UpdateElapsed();
    m_bCallClockRunning = false;
    KillTimer(kCallTimer);
}

void CMainFrame::StopUnansweredTimer()
{
    m_bUnansweredPending = false;
    KillTimer(kUnansweredTimer);
}

void CMainFrame::OnPairedList(WPARAM wParam, LPARAM lParam)
{
    const ModuleBuffers data = m_btModule.TakeMessageData(WM_BT_PAIRED_LIST);
    m_pPairStore->Load();
    if (lParam == 0) {
        const int32_t count = std::min(data.pairedCount, int32_t(ModuleBuffers::kMaxPaired));
        for (int32_t i = 0; i < count; ++i)
            m_pPairStore->Add(data.pairedAddresses[size_t(i)].data());
        // A list that cannot be stored is read from the module again when a screen asks.
        ReportSettingsSave(m_pPairStore->Save(), "PairData.dat");
    }
    ForwardToPairingScreen(WM_BT_PAIRED_LIST, wParam, lParam);
}

void CMainFrame::OnDeviceName(WPARAM wParam, LPARAM lParam)
{
    const ModuleBuffers data = m_btModule.TakeMessageData(WM_BT_EV_DEVICE_NAME);
    if (m_pPairStore->Load()) {
        m_pPairStore->Add(data.deviceAddress.data());
        if (m_pPairStore->SetName(data.deviceAddress.data(), ModuleText::FromBuffer(data.deviceName)))
            // As above; the name comes again with the next list.
            ReportSettingsSave(m_pPairStore->Save(), "PairData.dat");
    }
    ForwardToPairingScreen(WM_BT_EV_DEVICE_NAME, wParam, lParam);
}

void CMainFrame::OnTimer(UINT id)
{
    PhoneStatus* status = m_pPhoneStatus.get();
    if (!status)
        return;
    switch (id) {
    case kCallTimer:
        status->UpdateElapsed();
        PostToScreen(kScreenOutgoing, WM_PHONE_CALL_TICK, 0, 0);
        PostToScreen(kScreenIncoming, WM_PHONE_CALL_TICK, 0, 0);
        break;
    case kSpeechTimer:
        KillTimer(kSpeechTimer);
        if (m_pCallerSpeech)
            m_pCallerSpeech->ToneDone();
        break;
    case kUnansweredTimer:
        StopUnansweredTimer();
        if (status->mainState == PhoneStatus::kStateInCall)
            break;
        EndCall(true, true);
        PostToScreen(kScreenIncoming, WM_BT_EV_STATE, status->rawState, 0);
        break;
    case kReconnectTimer: {
        constexpr UINT kOrder[] = { kScreenConnect, kScreenPairMode, kScreenOutgoing, kScreenIncoming,
            kScreenPlaceCall, kScreenCallHist, kScreenPref };
        if (status->mainState != PhoneStatus::kStateIdle)
            break;
        for (UINT kind : kOrder) {
            if (IsScreenUp(kind))
                return;
        }
        constexpr BtAddress kAnyPhone {};
        // The next tick tries again.
        (void)m_btModule.Connect(0, kAnyPhone);
        break;
    }
    default:
        break;
    }
}
