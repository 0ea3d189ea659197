#include "screens/DlgOutgoing.h"

#include "controller/MainFrame.h"
#include "controller/PhoneMessages.h"
#include "controller/TextKeys.h"
#include "controller/TextTable.h"
#include "platform/controls/DialogTemplate.h"
#include "platform/loop/Clock.h"
#include "store/AppFolders.h"
#include "ui/SkinLayout.h"
#include "screens/Context.h"

#include <cstring>

namespace {

constexpr UINT kSwitchAudioId = 1036;
constexpr UINT kNumId = 1039;

constexpr DWORD kMessageShownMs = 2000;
constexpr DWORD kEndRetryMs = 1000;
// Nobody has answered when the 32nd one-second tick comes.
constexpr int kConnectWaitTicks = 31;

const CallScreen::Setup kSetup { CDlgOutgoing::IDD, kScreenOutgoing, kNumId, kSwitchAudioId,
    text::kOutgoingKeypadOutsideCall, { &skin::font::outgoing::message, DT_CENTER | DT_VCENTER },
    &skin::place::outgoing::message, &skin::place::outgoing::number, &skin::place::outgoing::call_time };
}

CDlgOutgoing::CDlgOutgoing()
    : CallScreen(kSetup)
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

WString CDlgOutgoing::BackgroundPath() const
{
    return ImagePath(u"outgoing\\bg_outgoing.pbg");
}

bool CDlgOutgoing::OnInitDialog()
{
    // It dials before anything else is built; a dial that fails leaves the screen without keypad,
    // shape or buttons.
    PrepareWindow();
    ScreenContext* ctx = Context();
    PhoneStatus* status = ctx ? &ctx->status : nullptr;
    m_strNumber = status ? status->DialText() : WString();
    m_bInCall = false;

    // The dial string is not terminated when all its slots are used; the module refuses a count
    // of zero.
    const size_t count = status ? strnlen(status->dialString.data(), status->dialString.size()) : 0;
    if (!status || !ctx->link.Dial(status->dialString.data(), count)) {
        SetCallMessage(TextTable::Text(text::kOutgoingNotDialled));
        RepaintNow();
        Sleep(kMessageShownMs);
        CloseSelf();
        return false;
    }
    SetCallMessage(TextTable::Text(text::kOutgoingDialling));
    // Nobody answered; the screen stays for End.
    m_connectWait.Start(kConnectWaitMs, kConnectWaitTicks, {},
        [this] { SetCallMessage(TextTable::Text(text::kOutgoingNoAnswer)); });
    BuildControls();
    return true;
}

void CDlgOutgoing::SetupButtons()
{
    namespace place = skin::place::outgoing;
    m_btnNum.Setup(place::btn_go_num, u"", false, true);
    m_btnAudio.Setup(place::btn_audio_trans, u"", false, true);
    m_btnMute.Setup(place::btn_mic_mute, u"", true, true);
    m_btnEnd.Setup(place::btn_end, u"", false, true);
}

void CDlgOutgoing::OnStageChange()
{
    if (MainState() == PhoneStatus::kStateInCall) {
        SetCallMessage(TextTable::Text(text::kOutgoingAnswered));
        m_bInCall = true;
        m_connectWait.Stop();
    } else if (m_bInCall) {
        CallOver();
    }
}

void CDlgOutgoing::CallOver()
{
    SetCallMessage(TextTable::Text(text::kOutgoingCallOver));
    RepaintNow();
    m_bInCall = false;
    m_keypad.ShowKeypad(false);
    Sleep(kMessageShownMs);
    CloseSelf();
}

void CDlgOutgoing::End()
{
    ScreenContext* ctx = Context();
    if (!ctx)
        return;
    if (MainState() == PhoneStatus::kStateInCall) {
        // The screen closes on the state or call status report that follows.
        SetCallMessage(TextTable::Text(ctx->link.EndCall() ? text::kOutgoingEndPressed : text::kOutgoingEndNotSent));
        return;
    }
    // While the call is being set up the module may not take the command at once: one more try,
    // then time for it to act before anything else is handled.
    if (!ctx->link.EndCall()) {
        Sleep(kEndRetryMs);
        // The last try: the connect wait and the reports that follow tell what came of it.
        (void)ctx->link.EndCall();
    }
    Sleep(kEndRetryMs);
}

bool CDlgOutgoing::OnCallTimer(UINT id)
{
    return m_connectWait.Handle(id);
}

bool CDlgOutgoing::OnCallMessage(UINT message, WPARAM, LPARAM)
{
    if (message != WM_BT_EV_CALL_STATUS)
        return false;
    ScreenContext* ctx = Context();
    if (ctx && ctx->status.callStatus[1] == 0
        && ctx->status.callStatus[2] == 0)
        CallOver();
    return true;
}
