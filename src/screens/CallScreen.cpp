#include "screens/CallScreen.h"

#include "controller/MainFrame.h"
#include "controller/PhoneMessages.h"
#include "controller/SecondCall.h"
#include "controller/TextKeys.h"
#include "controller/TextTable.h"
#include "ui/AudioDriverRequests.h"
#include "ui/Background.h"
#include "ui/SkinLayout.h"
#include "screens/Context.h"

namespace {

constexpr BYTE kNoState = 0xFF;
constexpr calldisplay::TextStyle kNumberStyle { &skin::font::shared::call_number, DT_CENTER };
constexpr calldisplay::TextStyle kCallTimeStyle { &skin::font::shared::call_time, DT_CENTER | DT_VCENTER };

}

CallScreen::CallScreen(const Setup& setup)
    : SkinScreen(setup.templateId)
    , m_setup(setup)
{
}

void CallScreen::DoDataExchange(DataExchange* dx)
{
    DDX_Control(dx, int(kReturnId), m_btnReturn);
    DDX_Control(dx, int(m_setup.audioId), m_btnAudio);
    DDX_Control(dx, int(kMuteId), m_btnMute);
    DDX_Control(dx, int(m_setup.numId), m_btnNum);
    DDX_Control(dx, int(kEndId), m_btnEnd);
}

void CallScreen::PrepareWindow()
{
    Dialog::OnInitDialog();
    const RECT& full = skin::kFullScreen;
    SetWindowPos(HWND_TOPMOST, full.left, full.top, full.Width(), full.Height(), SWP_SHOWWINDOW);
    AttachStatusLine(*this);
    LoadBackground(*this, BackgroundPath(), &m_pBackground, full);
    m_bFirstKey = true;
    m_bKeypadShown = false;
}

void CallScreen::BuildControls()
{
    if (m_keypad.Create(CDlgNumKeypad::IDD, this))
        m_keypad.ShowWindow(SW_HIDE);
    if (m_callWaiting.Create(CDlgCallWaiting::IDD, this)) {
        // A screen opened while a second call goes on shows it at once.
        if (ScreenContext* ctx = Context())
            m_callWaiting.ShowCalls(ctx->SecondCallNow().State());
    }
    Region shape = calldisplay::CallScreenShape();
    SetWindowRgn(&shape, true);
    m_btnReturn.ShowWindow(SW_HIDE);
    SetupButtons();
}

void CallScreen::SetCallMessage(const WString& text)
{
    m_strMessage = text;
    InvalidateRect(m_setup.messageRect, true);
}

BYTE CallScreen::MainState() const
{
    ScreenContext* ctx = Context();
    return ctx ? ctx->status.mainState : kNoState;
}

void CallScreen::RepaintNow()
{
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void CallScreen::PaintContent(HDC dc)
{
    ScreenContext* ctx = Context();
    calldisplay::DrawCallText(dc, m_strMessage, *m_setup.messageRect, m_setup.messageStyle);
    // The digits of a DTMF tone take the number's place; a name goes with the caller's number.
    const std::optional<WString> name = m_bFirstKey && ctx ? ctx->CallerName(m_strNumber) : std::nullopt;
    if (name)
        calldisplay::DrawNamedCaller(dc, *name, m_strNumber, *m_setup.numberRect);
    else
        calldisplay::DrawCallText(dc, m_strNumber, *m_setup.numberRect, kNumberStyle);
    if (ShowsCallTime()) {
        const int64_t seconds = ctx ? ctx->status.elapsedSeconds : 0;
        calldisplay::DrawCallText(dc, calldisplay::FormatCallTime(seconds), *m_setup.callTimeRect, kCallTimeStyle);
    }
}

void CallScreen::CloseSelf()
{
    if (ScreenContext* ctx = Context())
        ctx->CloseScreen(m_setup.screenKind);
}

void CallScreen::OnOK()
{
    CloseSelf();
}

void CallScreen::ToggleMute()
{
    if (MainState() != PhoneStatus::kStateInCall)
        return;
    SetCallMic(!IsCallMicOn());
    m_btnMute.SetLatched(!IsCallMicOn());
    m_btnMute.Invalidate();
}

void CallScreen::TransferAudio()
{
    ScreenContext* ctx = Context();
    if (ctx && MainState() == PhoneStatus::kStateInCall)
        // Whether the audio moved shows in the state report that follows.
        (void)ctx->link.TransferAudio();
    else
        SetCallMessage(TextTable::Text(text::kCallAudioOutsideCall));
}

void CallScreen::OnDtmfDigit(char16_t key)
{
    ScreenContext* ctx = Context();
    if (!ctx || MainState() != PhoneStatus::kStateInCall) {
        SetCallMessage(TextTable::Text(m_setup.dtmfRefused));
        return;
    }
    if (!ctx->link.SendDtmf(char(key)))
        return;
    calldisplay::AppendDtmfDigit(m_strNumber, m_bFirstKey, key);
    InvalidateRect(m_setup.numberRect, true);
}

void CallScreen::OnSecondCall(LPARAM value)
{
    ScreenContext* ctx = Context();
    if (!ctx || value < 0 || value >= bridge::kSecondCallValues)
        return;
    const auto state = bridge::SecondCall(value);
    if (state == bridge::SecondCall::SecondAlone) {
        // The first call ended: the second is this screen's call now.
        m_strNumber = ctx->SecondCallNow().Number();
        m_bFirstKey = true;
        InvalidateRect(m_setup.numberRect, true);
        InvalidateRect(m_setup.callTimeRect, true);
    }
    if (state != bridge::SecondCall::None && m_bKeypadShown)
        m_keypad.ShowKeypad(false);
    m_callWaiting.ShowCalls(state);
}

bool CallScreen::OnCommand(WPARAM wParam, LPARAM)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return false;
    const UINT id = LOWORD(wParam);
    if (id == m_setup.numId) {
        m_keypad.ShowKeypad(true);
        m_bKeypadShown = true;
    } else if (id == m_setup.audioId) {
        TransferAudio();
    } else if (id == kMuteId) {
        ToggleMute();
    } else if (id == kEndId) {
        End();
    } else {
        return OnCallCommand(id);
    }
    return true;
}

LRESULT CallScreen::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY: {
        LRESULT result = SkinScreen::WindowProc(message, wParam, lParam);
        if (m_bKeypadShown) {
            m_keypad.DestroyWindow();
            m_bKeypadShown = false;
        }
        if (m_callWaiting.GetSafeHwnd())
            m_callWaiting.DestroyWindow();
        return result;
    }
    case WM_TIMER:
        OnCallTimer(UINT(wParam));
        return SkinScreen::WindowProc(message, wParam, lParam);
    case WM_BT_EV_STATE:
        OnStageChange();
        return 0;
    case WM_PHONE_KEYPAD_DIGIT:
        OnDtmfDigit(char16_t(wParam));
        return 0;
    case WM_PHONE_HIDE_KEYPAD:
        m_keypad.ShowKeypad(false);
        return 0;
    case WM_PHONE_CALL_TICK:
        InvalidateRect(m_setup.callTimeRect, true);
        return 0;
    case WM_PHONE_CONTACTS_CHANGED:
        InvalidateRect(m_setup.numberRect, true);
        if (m_callWaiting.Shown())
            m_callWaiting.InvalidateRect(nullptr, true);
        return 0;
    case WM_BT_EV_INDICATOR:
        if (wParam == WPARAM(bridge::IndicatorKind::SecondCall))
            OnSecondCall(lParam);
        return 0;
    default:
        if (OnCallMessage(message, wParam, lParam))
            return 0;
        return SkinScreen::WindowProc(message, wParam, lParam);
    }
}
