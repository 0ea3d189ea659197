// The main view's buttons.

#include "screens/OstrilanView.h"

#include "controller/MainFrame.h"
#include "controller/PhoneMessages.h"
#include "controller/TextTable.h"
#include "platform/controls/MessageBox.h"
#include "platform/tooling/Log.h"
#include "screens/DlgPlaceCall.h"
#include "store/CallLogStore.h"
#include "ui/MasterVolume.h"
#include "ui/UiSound.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr BYTE kLinkHandsFree = 2;
constexpr int32_t kSpeakerLevelMax = 14;

}

bool COstrilanView::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return false;
    CMainFrame* frame = Frame();
    switch (LOWORD(wParam)) {
    case IDC_HIDE:
        if (frame)
            frame->ShowWindow(SW_HIDE);
        return true;
    case IDC_QUIT:
        OnQuit();
        return true;
    case IDC_CALL:
        OnCall();
        return true;
    case IDC_CALLHIST:
        if (frame)
            frame->PostMessage(WM_PHONE_OPEN_SCREEN, kScreenCallHist, 0);
        return true;
    case IDC_REDIAL:
        Redial();
        return true;
    case IDC_CONNECT:
        if (frame)
            frame->PostMessage(WM_PHONE_OPEN_SCREEN, kScreenConnect, 0);
        return true;
    case IDC_PAIRMODE:
        if (frame)
            frame->PostMessage(WM_PHONE_OPEN_SCREEN, kScreenPairMode, 0);
        return true;
    case IDC_PREF:
        if (frame)
            frame->PostMessage(WM_PHONE_OPEN_SCREEN, kScreenPref, 0);
        return true;
    case IDC_VOL_UP:
    case IDC_VOL_DN:
        OnVolume(LOWORD(wParam) == IDC_VOL_UP);
        return true;
    case IDC_MUTE:
        OnMute();
        return true;
    case IDC_MIC_GAIN_UP:
    case IDC_MIC_GAIN_DN:
        OnMicGain(LOWORD(wParam) == IDC_MIC_GAIN_UP);
        return true;
    case IDC_LEVEL_UP:
    case IDC_LEVEL_DN:
        OnSpeakerLevel(LOWORD(wParam) == IDC_LEVEL_UP);
        return true;
    default:
        return false;
    }
}

void COstrilanView::OnCall()
{
    CMainFrame* frame = Frame();
    if (!frame || !frame->m_pPhoneStatus)
        return;
    const PhoneStatus& status = *frame->m_pPhoneStatus;
    if (status.linkKind == kLinkHandsFree) {
        if (status.mainState == PhoneStatus::kStateConnected)
            frame->PostMessage(WM_PHONE_OPEN_SCREEN, kScreenPlaceCall, 0);
        else
            SetHintText(TextTable::Text("VIEW0001"));
        return;
    }
    // Without a hands-free link the phone's own call key does what the phone thinks best.
    if (!frame->m_btModule.CallKey())
        SetHintText(TextTable::Text("VIEW0102"));
}

void COstrilanView::Redial()
{
    CMainFrame* frame = Frame();
    if (!frame || !frame->m_pPhoneStatus || !frame->m_pCallLog)
        return;
    PhoneStatus& status = *frame->m_pPhoneStatus;
    CallLogStore& log = *frame->m_pCallLog;
    if (status.mainState != PhoneStatus::kStateConnected) {
        SetHintText(TextTable::Text("VIEW0001"));
        return;
    }
    // A file that cannot be read leaves the last call in memory, which is still worth dialling.
    if (!log.LoadLastCall())
        SetHintText(TextTable::Text("VIEW0002"));
    const CallRecord last = log.LastCall();
    if (last.number[0] == '\0')
        SetHintText(TextTable::Text("VIEW0002"));
    status.dialString.fill('\0');
    std::memcpy(status.dialString.data(), last.number, status.dialString.size());
    if (status.dialString[0] == '\0') {
        SetHintText(TextTable::Text("VIEW0002"));
        return;
    }
    CDlgPlaceCall::RecordOutgoingCall(*frame);
    frame->PostMessage(WM_PHONE_OPEN_SCREEN, kScreenOutgoing, 0);
}

void COstrilanView::OnQuit()
{
    int answer
        = MessageBox(GetSafeHwnd(), TextTable::Text("VIEW0100"), TextTable::Text("VIEW0101"), MB_YESNO);
    if (answer != IDYES)
        return;
    if (CMainFrame* frame = Frame())
        frame->PostMessage(WM_CLOSE, 0, 0);
}

void COstrilanView::OnVolume(bool up)
{
    if (!m_pGauges)
        return;
    up ? VolumeUp() : VolumeDown();
    InvalidateRect(&StatusGauges::kVolumeRect, true);
    RefreshMuteButton();
    PlayUiSound(kUiSoundClick);
}

void COstrilanView::OnMute()
{
    if (IsMuted()) {
        SetMute(false);
        m_btnMute.SetLatched(false);
        PlayUiSound(kUiSoundClick);
    } else {
        // Muted, a click would not be heard anyway.
        SetMute(true);
        m_btnMute.SetLatched(true);
    }
    m_btnMute.Invalidate();
}

void COstrilanView::OnMicGain(bool up)
{
    CMainFrame* frame = Frame();
    if (!frame || !m_pGauges)
        return;
    // The step starts from what the module last reported, not from what was last asked for.
    const int level = m_pGauges->m_nMicLevel;
    if (up && level < kGainLevels - 1) {
        Log::Printf(Log::Priority::Debug, "MIC UP : L:%d, VAL:%d", level, MicGainValues[size_t(level + 1)]);
        frame->m_btModule.SetMicGain(BYTE(MicGainValues[size_t(level + 1)]));
        m_nRequestedGain = level + 1;
    } else if (!up && level > 0 && level < kGainLevels) {
        frame->m_btModule.SetMicGain(BYTE(MicGainValues[size_t(level - 1)]));
        m_nRequestedGain = level - 1;
    }
}

void COstrilanView::OnSpeakerLevel(bool up)
{
    CMainFrame* frame = Frame();
    if (!frame)
        return;
    int32_t& level = frame->m_nSpeakerVolume;
    if (up && level < kSpeakerLevelMax) {
        ++level;
        frame->m_btModule.SetSpeakerVolume(BYTE(level));
    } else if (!up && level > 0) {
        --level;
        frame->m_btModule.SetSpeakerVolume(BYTE(level));
    }
    Invalidate();
}
