#include "screens/DlgOutgoing.h"

#include "controller/MainFrame.h"
#include "controller/PhoneMessages.h"
#include "controller/TextTable.h"
#include "platform/controls/DialogTemplate.h"
#include "platform/core/Text.h"
#include "platform/draw/DrawText.h"
#include "platform/loop/Clock.h"
#include "screens/CallDisplay.h"
#include "store/AppFolders.h"
#include "ui/AudioDriverRequests.h"
#include "ui/Background.h"
#include "ui/SkinImages.h"
#include "ui/SkinLayout.h"

#include <cstring>

namespace {

constexpr UINT kReturnId = 1;
constexpr UINT kSwitchAudioId = 1036;
constexpr UINT kMuteId = 1037;
constexpr UINT kEndId = 1038;
constexpr UINT kNumId = 1039;

constexpr DWORD kMessageShownMs = 2000;
constexpr DWORD kEndRetryMs = 1000;
constexpr BYTE kNoState = 0xFF;

constexpr calldisplay::TextStyle kMessageStyle { 16, 6, calldisplay::kMessageColor, DT_CENTER | DT_VCENTER };
constexpr calldisplay::TextStyle kNumberStyle { 24, 8, calldisplay::kNumberColor, DT_CENTER };
constexpr calldisplay::TextStyle kCallTimeStyle { 18, 7, calldisplay::kNumberColor, DT_CENTER | DT_VCENTER };

std::shared_ptr<const Bitmap> Strip(const char16_t* name)
{
    return SkinStrip(name);
}

}

CDlgOutgoing::CDlgOutgoing()
    : SkinScreen(IDD)
{
}

void CDlgOutgoing::RegisterTemplate()
{
    DialogTemplate dialogTemplate;
    dialogTemplate.id = IDD;
    dialogTemplate.rect = skin::kFullScreen;
    dialogTemplate.style = WS_CHILD;
    dialogTemplate.controls = {
        { kReturnId, ControlClass::Button, u"Return", 0, RECT { 0, 0, 40, 20 } },
        { kNumId, ControlClass::Button, u"Num", BS_OWNERDRAW, RECT { 0, 0, 10, 10 } },
        { kSwitchAudioId, ControlClass::Button, u"Switch Audio", BS_OWNERDRAW, RECT { 0, 0, 10, 10 } },
        { kMuteId, ControlClass::Button, u"Mute", BS_OWNERDRAW, RECT { 0, 0, 10, 10 } },
        { kEndId, ControlClass::Button, u"End", BS_OWNERDRAW, RECT { 0, 0, 10, 10 } },
    };
    DialogTemplates::Register(std::move(dialogTemplate));
}

void CDlgOutgoing::DoDataExchange(DataExchange* dx)
{
    DDX_Control(dx, int(kReturnId), m_btnReturn);
    DDX_Control(dx, int(kSwitchAudioId), m_btnSwitchAudio);
    DDX_Control(dx, int(kMuteId), m_btnMute);
    DDX_Control(dx, int(kNumId), m_btnNum);
    DDX_Control(dx, int(kEndId), m_btnEnd);
}

WString CDlgOutgoing::BackgroundPath() const
{
    return ImagePath(u"outgoing\\bg_outgoing.pbg");
}

bool CDlgOutgoing::OnInitDialog()
{
    // The skinned screens' common set-up in this screen's own order: it dials before anything
    // else is built, and a dial that fails leaves the screen without keypad, shape or buttons.
    Dialog::OnInitDialog();
    const RECT& full = skin::kFullScreen;
    SetWindowPos(HWND_TOPMOST, full.left, full.top, full.Width(), full.Height(), SWP_SHOWWINDOW);
    CMainFrame* frame = calldisplay::Frame();
    if (frame)
        SetStatusPainter([frame](HDC dc) { frame->DrawStatusText(dc); });
    LoadBackground(*this, BackgroundPath(), &m_pBackground, full);

    PhoneStatus* status = frame ? frame->m_pPhoneStatus.get() : nullptr;
    m_strNumber = status ? status->DialText() : WString();
    m_bFirstKey = true;
    m_bKeypadShown = false;
    m_bInCall = false;

    // The dial string is not terminated when all its slots are used; the module refuses a count
    // of zero.
    const size_t count = status ? strnlen(status->dialString.data(), status->dialString.size()) : 0;
    if (!status || !frame->m_btModule.Dial(status->dialString.data(), count)) {
        SetCallMessage(TextTable::Text("OUTG0002"));
        RepaintNow();
        Sleep(kMessageShownMs);
        CloseSelf();
        return false;
    }
    SetCallMessage(TextTable::Text("OUTG0001"));
    m_nConnectWaitTicks = 0;
    m_bAnswered = false;
    SetTimer(kConnectWaitTimer, kConnectWaitMs);

    if (m_keypad.Create(CDlgNumKeypad::IDD, this))
        m_keypad.ShowWindow(SW_HIDE);
    Region shape = calldisplay::CallScreenShape();
    SetWindowRgn(&shape, true);
    m_btnReturn.ShowWindow(SW_HIDE);
    SetupButtons();
    return true;
}

void CDlgOutgoing::SetupButtons()
{
    m_btnNum.Setup(Strip(u"outgoing\\btn_go_num.bti"), 275, 57, 32, 29, u"", false, true);
    m_btnSwitchAudio.Setup(Strip(u"outgoing\\btn_audio_trans.bti"), 316, 70, 60, 60, u"", false, true);
    m_btnMute.Setup(Strip(u"outgoing\\btn_mic_mute.bti"), 386, 81, 38, 38, u"", true, true);
    m_btnEnd.Setup(Strip(u"outgoing\\btn_end.bti"), 374, 154, 52, 52, u"", false, true);
}

void CDlgOutgoing::SetCallMessage(const WString& text)
{
    m_strMessage = text;
    InvalidateRect(&calldisplay::kMessageRect, true);
}

void CDlgOutgoing::RepaintNow()
{
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

BYTE CDlgOutgoing::MainState() const
{
    CMainFrame* frame = calldisplay::Frame();
    return frame && frame->m_pPhoneStatus ? frame->m_pPhoneStatus->mainState : kNoState;
}

void CDlgOutgoing::PaintContent(HDC dc)
{
    CMainFrame* frame = calldisplay::Frame();
    const int64_t seconds = frame && frame->m_pPhoneStatus ? frame->m_pPhoneStatus->elapsedSeconds : 0;
    const WString callTime = m_bInCall ? calldisplay::FormatCallTime(seconds) : WString();
    calldisplay::DrawCallText(dc, m_strMessage, calldisplay::kMessageRect, kMessageStyle);
    calldisplay::DrawCallText(dc, m_strNumber, calldisplay::kNumberRect, kNumberStyle);
    if (m_bInCall)
        calldisplay::DrawCallText(dc, callTime, calldisplay::kCallTimeRect, kCallTimeStyle);
}

void CDlgOutgoing::OnConnectWait()
{
    if (m_bAnswered) {
        KillTimer(kConnectWaitTimer);
        m_nConnectWaitTicks = 0;
    } else if (m_nConnectWaitTicks > kConnectWaitTicks) {
        // Nobody answered; the screen stays for End.
        SetCallMessage(TextTable::Text("OUTG0401"));
        KillTimer(kConnectWaitTimer);
        m_nConnectWaitTicks = 0;
    } else {
        ++m_nConnectWaitTicks;
    }
}

void CDlgOutgoing::OnStageChange()
{
    if (MainState() == PhoneStatus::kStateInCall) {
        SetCallMessage(TextTable::Text("OUTG0501"));
        m_bInCall = true;
        m_bAnswered = true;
    } else if (m_bInCall) {
        CallOver();
    }
}

void CDlgOutgoing::CallOver()
{
    SetCallMessage(TextTable::Text("OUTG0502"));
    RepaintNow();
    m_bInCall = false;
    m_keypad.ShowKeypad(false);
    Sleep(kMessageShownMs);
    CloseSelf();
}

void CDlgOutgoing::CloseSelf()
{
    if (CMainFrame* frame = calldisplay::Frame())
        frame->PostMessage(WM_PHONE_CLOSE_SCREEN, kScreenOutgoing, 0);
}

void CDlgOutgoing::End()
{
    CMainFrame* frame = calldisplay::Frame();
    if (!frame)
        return;
    if (MainState() == PhoneStatus::kStateInCall) {
        // The screen closes on the state or call status report that follows.
        SetCallMessage(TextTable::Text(frame->m_btModule.EndCall() ? "OUTG0202" : "OUTG0203"));
        return;
    }
    // While the call is being set up the module may not take the command at once: one more try,
    // then time for it to act before anything else is handled.
    if (!frame->m_btModule.EndCall()) {
        Sleep(kEndRetryMs);
        frame->m_btModule.EndCall();
    }
    Sleep(kEndRetryMs);
}

void CDlgOutgoing::SwitchAudio()
{
    CMainFrame* frame = calldisplay::Frame();
    if (frame && MainState() == PhoneStatus::kStateInCall)
        frame->m_btModule.TransferAudio();
    else
        SetCallMessage(TextTable::Text("OUTG0101"));
}

void CDlgOutgoing::ToggleMute()
{
    if (MainState() != PhoneStatus::kStateInCall)
        return;
    SetCallMic(!IsCallMicOn());
    m_btnMute.SetLatched(!IsCallMicOn());
    m_btnMute.Invalidate();
}

void CDlgOutgoing::OnDtmfDigit(char16_t key)
{
    CMainFrame* frame = calldisplay::Frame();
    if (!frame || MainState() != PhoneStatus::kStateInCall) {
        SetCallMessage(TextTable::Text("OUTG0301"));
        return;
    }
    if (!frame->m_btModule.SendDtmf(char(key)))
        return;
    calldisplay::AppendDtmfDigit(m_strNumber, m_bFirstKey, key);
    InvalidateRect(&calldisplay::kNumberRect, true);
}

void CDlgOutgoing::OnOK()
{
    CloseSelf();
}

bool CDlgOutgoing::OnCommand(WPARAM wParam, LPARAM)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return false;
    switch (LOWORD(wParam)) {
    case kNumId:
        m_keypad.ShowKeypad(true);
        m_bKeypadShown = true;
        return true;
    case kSwitchAudioId:
        SwitchAudio();
        return true;
    case kMuteId:
        ToggleMute();
        return true;
    case kEndId:
        End();
        return true;
    default:
        return false;
    }
}

LRESULT CDlgOutgoing::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY: {
        LRESULT result = SkinScreen::WindowProc(message, wParam, lParam);
        if (m_bKeypadShown) {
            m_keypad.DestroyWindow();
            m_bKeypadShown = false;
        }
        return result;
    }
    case WM_TIMER:
        if (wParam == kConnectWaitTimer)
            OnConnectWait();
        return SkinScreen::WindowProc(message, wParam, lParam);
    case WM_BT_EV_STATE:
        OnStageChange();
        return 0;
    case WM_BT_EV_CALL_STATUS: {
        CMainFrame* frame = calldisplay::Frame();
        if (frame && frame->m_pPhoneStatus && frame->m_pPhoneStatus->callStatus[1] == 0
            && frame->m_pPhoneStatus->callStatus[2] == 0)
            CallOver();
        return 0;
    }
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
