#include "screens/DlgIncoming.h"

#include "controller/MainFrame.h"
#include "controller/PhoneMessages.h"
#include "controller/TextTable.h"
#include "platform/controls/DialogTemplate.h"
#include "platform/core/Text.h"
#include "platform/draw/DrawText.h"
#include "platform/loop/Clock.h"
#include "screens/CallDisplay.h"
#include "store/AppFolders.h"
#include "store/CallRecord.h"
#include "store/PrefStore.h"
#include "ui/AudioDriverRequests.h"
#include "ui/Background.h"
#include "ui/RingTonePlayer.h"
#include "ui/SkinImages.h"
#include "ui/SkinLayout.h"

namespace {

constexpr UINT kReturnId = 1;
constexpr UINT kMuteId = 1037;
constexpr UINT kEndId = 1038;
constexpr UINT kAcceptId = 1039;
constexpr UINT kAudioTransId = 1040;
constexpr UINT kNumId = 1041;

constexpr int kGetStateTries = 3;
constexpr DWORD kGetStateRetryMs = 500;
constexpr DWORD kCallOverShownMs = 2000;
constexpr BYTE kNoState = 0xFF;

constexpr calldisplay::TextStyle kMessageStyle { 18, 7, calldisplay::kMessageColor, DT_CENTER | DT_VCENTER };
constexpr calldisplay::TextStyle kNumberStyle { 24, 8, calldisplay::kNumberColor, DT_CENTER };
constexpr calldisplay::TextStyle kCallTimeStyle { 18, 7, calldisplay::kNumberColor, DT_CENTER | DT_VCENTER };

std::shared_ptr<const Bitmap> Strip(const char16_t* name)
{
    return SkinStrip(name);
}

}

CDlgIncoming::CDlgIncoming()
    : SkinScreen(IDD)
{
}

void CDlgIncoming::RegisterTemplate()
{
    DialogTemplate dialogTemplate;
    dialogTemplate.id = IDD;
    dialogTemplate.rect = skin::kFullScreen;
    dialogTemplate.style = WS_CHILD;
    dialogTemplate.controls = {
        { kReturnId, ControlClass::Button, u"Return", 0, RECT { 0, 0, 40, 20 } },
        { kNumId, ControlClass::Button, u"Num", BS_OWNERDRAW, RECT { 0, 0, 10, 10 } },
        { kAcceptId, ControlClass::Button, u"Accept", BS_OWNERDRAW, RECT { 0, 0, 10, 10 } },
        { kEndId, ControlClass::Button, u"End", BS_OWNERDRAW, RECT { 0, 0, 10, 10 } },
        { kMuteId, ControlClass::Button, u"Mute", BS_OWNERDRAW, RECT { 0, 0, 10, 10 } },
        { kAudioTransId, ControlClass::Button, u"Audio Trans", BS_OWNERDRAW, RECT { 0, 0, 10, 10 } },
    };
    DialogTemplates::Register(std::move(dialogTemplate));
}

void CDlgIncoming::DoDataExchange(DataExchange* dx)
{
    DDX_Control(dx, int(kReturnId), m_btnReturn);
    DDX_Control(dx, int(kNumId), m_btnNum);
    DDX_Control(dx, int(kAcceptId), m_btnAccept);
    DDX_Control(dx, int(kEndId), m_btnEnd);
    DDX_Control(dx, int(kMuteId), m_btnMute);
    DDX_Control(dx, int(kAudioTransId), m_btnAudioTrans);
}

WString CDlgIncoming::BackgroundPath() const
{
    return ImagePath(u"incoming\\bg_incoming.pbg");
}

bool CDlgIncoming::OnInitDialog()
{
    // The skinned screens' common set-up in this screen's own order: the state is asked for and
    // the keypad made before the window is shaped.
    Dialog::OnInitDialog();
    const RECT& full = skin::kFullScreen;
    SetWindowPos(HWND_TOPMOST, full.left, full.top, full.Width(), full.Height(), SWP_SHOWWINDOW);
    CMainFrame* frame = calldisplay::Frame();
    if (frame)
        SetStatusPainter([frame](HDC dc) { frame->DrawStatusText(dc); });
    LoadBackground(*this, BackgroundPath(), &m_pBackground, full);

    // The answer makes the frame forward a state report, which sets the first stage message.
    for (int attempt = 0; frame && attempt < kGetStateTries; ++attempt) {
        if (frame->m_btModule.GetState())
            break;
        Sleep(kGetStateRetryMs);
    }

    m_bKeypadShown = false;
    m_bFirstKey = true;
    if (m_keypad.Create(CDlgNumKeypad::IDD, this))
        m_keypad.ShowWindow(SW_HIDE);

    Region shape = calldisplay::CallScreenShape();
    SetWindowRgn(&shape, true);
    m_btnReturn.ShowWindow(SW_HIDE);
    SetupButtons();
    SetTimer(kEndWatchTimer, kEndWatchMs);
    return true;
}

void CDlgIncoming::SetupButtons()
{
    m_btnNum.Setup(Strip(u"incoming\\btn_go_num.bti"), 275, 57, 32, 29, u"", false, true);
    m_btnAccept.Setup(Strip(u"incoming\\btn_accept.bti"), 314, 56, 60, 60, u"", false, true);
    m_btnEnd.Setup(Strip(u"incoming\\btn_deny.bti"), 382, 84, 43, 44, u"", false, true);
    m_btnMute.Setup(Strip(u"incoming\\btn_mic_mute.bti"), 386, 144, 38, 38, u"", false, true);
    m_btnAudioTrans.Setup(Strip(u"incoming\\btn_audio_trans.bti"), 314, 149, 60, 60, u"", false, true);
}

void CDlgIncoming::SetCallMessage(const WString& text)
{
    m_strMessage = text;
    InvalidateRect(&calldisplay::kMessageRect, true);
}

BYTE CDlgIncoming::MainState() const
{
    CMainFrame* frame = calldisplay::Frame();
    return frame && frame->m_pPhoneStatus ? frame->m_pPhoneStatus->mainState : kNoState;
}

void CDlgIncoming::PaintContent(HDC dc)
{
    CMainFrame* frame = calldisplay::Frame();
    const bool inCall = MainState() == PhoneStatus::kStateInCall;
    const WString callTime
        = inCall ? calldisplay::FormatCallTime(frame->m_pPhoneStatus->elapsedSeconds) : WString();
    calldisplay::DrawCallText(dc, m_strMessage, calldisplay::kMessageRect, kMessageStyle);
    calldisplay::DrawCallText(dc, m_strNumber, calldisplay::kNumberRect, kNumberStyle);
    if (inCall)
        calldisplay::DrawCallText(dc, callTime, calldisplay::kCallTimeRect, kCallTimeStyle);
}

void CDlgIncoming::OnStageChange()
{
    const BYTE s = MainState();
    const int32_t p = m_nLastState;
    m_nLastState = s;
    switch (s) {
    case 0:
    case 1:
    case 2:
    case 3:
    case PhoneStatus::kStateConnected:
        if (s != PhoneStatus::kStateConnected)
            SetCallMessage(WString());
        if (p == PhoneStatus::kStateRinging || p == PhoneStatus::kStateInCall)
            CallOver();
        break;
    case PhoneStatus::kStateRinging: {
        SetCallMessage(TextTable::Text("INCO0002"));
        CMainFrame* frame = calldisplay::Frame();
        if (frame && frame->m_pPrefStore && frame->m_pPrefStore->Record().autoAnswer == 1)
            SetTimer(kAutoAnswerTimer, kAutoAnswerMs);
        break;
    }
    case PhoneStatus::kStateInCall:
        SetCallMessage(TextTable::Text("INCO0003"));
        break;
    default:
        SetCallMessage(WString());
        if (CMainFrame* frame = calldisplay::Frame(); frame && frame->m_pRingTone)
            frame->m_pRingTone->Stop();
        break;
    }
}

void CDlgIncoming::CallOver()
{
    SetCallMessage(TextTable::Text("INCO0001"));
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    m_keypad.ShowKeypad(false);
    // The message stays in view while the interface thread waits; what arrives meanwhile is
    // handled afterwards.
    Sleep(kCallOverShownMs);
    CloseSelf();
}

void CDlgIncoming::CloseSelf()
{
    if (CMainFrame* frame = calldisplay::Frame())
        frame->PostMessage(WM_PHONE_CLOSE_SCREEN, kScreenIncoming, 0);
}

void CDlgIncoming::Answer()
{
    KillTimer(kAutoAnswerTimer);
    CMainFrame* frame = calldisplay::Frame();
    if (!frame || MainState() != PhoneStatus::kStateRinging || !frame->m_btModule.CallKey())
        return;
    frame->m_pRingTone->Stop();
    frame->m_pPhoneStatus->callType = CallRecord::kIncoming;
}

void CDlgIncoming::RejectOrEnd()
{
    KillTimer(kAutoAnswerTimer);
    CMainFrame* frame = calldisplay::Frame();
    if (!frame)
        return;
    bool written = false;
    if (MainState() == PhoneStatus::kStateRinging)
        written = frame->m_btModule.RejectCall();
    else if (MainState() == PhoneStatus::kStateInCall)
        written = frame->m_btModule.EndCall();
    if (written)
        frame->m_pRingTone->Stop();
}

void CDlgIncoming::ToggleMute()
{
    if (MainState() != PhoneStatus::kStateInCall)
        return;
    SetCallMic(!IsCallMicOn());
    m_btnMute.SetLatched(!IsCallMicOn());
    m_btnMute.Invalidate();
}

void CDlgIncoming::TransferAudio()
{
    CMainFrame* frame = calldisplay::Frame();
    if (frame && MainState() == PhoneStatus::kStateInCall)
        frame->m_btModule.TransferAudio();
    else
        SetCallMessage(TextTable::Text("OUTG0101"));
}

void CDlgIncoming::OnDtmfDigit(char16_t key)
{
    CMainFrame* frame = calldisplay::Frame();
    if (!frame || MainState() != PhoneStatus::kStateInCall) {
        SetCallMessage(TextTable::Text("INCO0101"));
        return;
    }
    if (!frame->m_btModule.SendDtmf(char(key)))
        return;
    calldisplay::AppendDtmfDigit(m_strNumber, m_bFirstKey, key);
    InvalidateRect(&calldisplay::kNumberRect, true);
}

void CDlgIncoming::OnOK()
{
    CloseSelf();
}

bool CDlgIncoming::OnCommand(WPARAM wParam, LPARAM)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return false;
    switch (LOWORD(wParam)) {
    case kNumId:
        m_keypad.ShowKeypad(true);
        m_bKeypadShown = true;
        return true;
    case kAcceptId:
        Answer();
        return true;
    case kEndId:
        RejectOrEnd();
        return true;
    case kMuteId:
        ToggleMute();
        return true;
    case kAudioTransId:
        TransferAudio();
        return true;
    default:
        return false;
    }
}

LRESULT CDlgIncoming::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY: {
        LRESULT result = SkinScreen::WindowProc(message, wParam, lParam);
        KillTimer(kEndWatchTimer);
        if (m_bKeypadShown) {
            m_keypad.DestroyWindow();
            m_bKeypadShown = false;
        }
        return result;
    }
    case WM_TIMER:
        if (wParam == kAutoAnswerTimer) {
            Answer();
        } else if (wParam == kEndWatchTimer) {
            const BYTE s = MainState();
            if (s != PhoneStatus::kStateRinging && s != PhoneStatus::kStateInCall) {
                KillTimer(kEndWatchTimer);
                // Closing from inside the timer message would destroy the window under it.
                CloseSelf();
            }
        }
        return SkinScreen::WindowProc(message, wParam, lParam);
    case WM_BT_EV_STATE:
        OnStageChange();
        return 0;
    case WM_BT_EV_CALLER_ID:
        if (CMainFrame* frame = calldisplay::Frame())
            m_strNumber = frame->m_btModule.CallerNumber();
        InvalidateRect(&calldisplay::kNumberRect, true);
        return 0;
    case WM_PHONE_KEYPAD_DIGIT:
        OnDtmfDigit(char16_t(wParam));
        return 0;
    case WM_PHONE_HIDE_KEYPAD:
        m_keypad.ShowKeypad(false);
        return 0;
    case WM_PHONE_CALL_TICK:
        InvalidateRect(&calldisplay::kCallTimeRect, true);
        return 0;
    default:
        return SkinScreen::WindowProc(message, wParam, lParam);
    }
}
