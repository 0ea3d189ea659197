#include "screens/DlgIncoming.h"

#include "controller/MainFrame.h"
#include "controller/PhoneMessages.h"
#include "controller/TextKeys.h"
#include "controller/TextTable.h"
#include "platform/controls/DialogTemplate.h"
#include "platform/loop/Clock.h"
#include "store/AppFolders.h"
#include "store/CallRecord.h"
#include "store/PrefStore.h"
#include "ui/RingTonePlayer.h"
#include "ui/SkinImages.h"
#include "ui/SkinLayout.h"
#include "screens/Context.h"

namespace {

constexpr UINT kAcceptId = 1039;
constexpr UINT kAudioTransId = 1040;
constexpr UINT kNumId = 1041;

constexpr int kGetStateTries = 3;
constexpr DWORD kGetStateRetryMs = 500;
constexpr DWORD kCallOverShownMs = 2000;

const CallScreen::Setup kSetup { CDlgIncoming::IDD, kScreenIncoming, kNumId, kAudioTransId,
    text::kIncomingKeypadOutsideCall, { &skin::font::incoming::message, DT_CENTER | DT_VCENTER },
    &skin::place::incoming::message, &skin::place::incoming::number, &skin::place::incoming::call_time };
}

CDlgIncoming::CDlgIncoming()
    : CallScreen(kSetup)
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
    CallScreen::DoDataExchange(dx);
    DDX_Control(dx, int(kAcceptId), m_btnAccept);
}

WString CDlgIncoming::BackgroundPath() const
{
    return ImagePath(u"incoming\\bg_incoming.pbg");
}

bool CDlgIncoming::OnInitDialog()
{
    PrepareWindow();
    // The answer makes the frame forward a state report, which sets the first stage message.
    ScreenContext* ctx = Context();
    for (int attempt = 0; ctx && attempt < kGetStateTries; ++attempt) {
        if (ctx->link.GetState())
            break;
        Sleep(kGetStateRetryMs);
    }
    BuildControls();
    m_endWatch.Start(kEndWatchMs, [this](int) {
        const BYTE s = MainState();
        if (s != PhoneStatus::kStateRinging && s != PhoneStatus::kStateInCall) {
            m_endWatch.Stop();
            // Closing from inside the timer message would destroy the window under it.
            CloseSelf();
        }
    });
    return true;
}

void CDlgIncoming::SetupButtons()
{
    namespace place = skin::place::incoming;
    m_btnNum.Setup(place::btn_go_num, u"", false, true);
    m_btnAccept.Setup(place::btn_accept, u"", false, true);
    m_btnEnd.Setup(place::btn_deny, u"", false, true);
    m_btnMute.Setup(place::btn_mic_mute, u"", false, true);
    m_btnAudio.Setup(place::btn_audio_trans, u"", false, true);
}

bool CDlgIncoming::ShowsCallTime() const
{
    return MainState() == PhoneStatus::kStateInCall;
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
        SetCallMessage(TextTable::Text(text::kIncomingRinging));
        ScreenContext* ctx = Context();
        if (ctx && ctx->prefs.Record().autoAnswer == 1)
            m_autoAnswer.Start(kAutoAnswerMs, 0, {}, [this] { Answer(); });
        break;
    }
    case PhoneStatus::kStateInCall:
        SetCallMessage(TextTable::Text(text::kIncomingAnswered));
        break;
    default:
        SetCallMessage(WString());
        if (ScreenContext* ctx = Context(); ctx)
            ctx->ringTone.Stop();
        break;
    }
}

void CDlgIncoming::CallOver()
{
    SetCallMessage(TextTable::Text(text::kIncomingCallOver));
    RepaintNow();
    m_keypad.ShowKeypad(false);
    // The message stays in view while the interface thread waits; what arrives meanwhile is
    // handled afterwards.
    Sleep(kCallOverShownMs);
    CloseSelf();
}

void CDlgIncoming::Answer()
{
    m_autoAnswer.Stop();
    ScreenContext* ctx = Context();
    if (!ctx || MainState() != PhoneStatus::kStateRinging || !ctx->link.CallKey())
        return;
    ctx->ringTone.Stop();
    ctx->status.callType = CallRecord::kIncoming;
}

// Rejects a ringing call, ends one in progress.
void CDlgIncoming::End()
{
    m_autoAnswer.Stop();
    ScreenContext* ctx = Context();
    if (!ctx)
        return;
    bool written = false;
    if (MainState() == PhoneStatus::kStateRinging)
        written = ctx->link.RejectCall();
    else if (MainState() == PhoneStatus::kStateInCall)
        written = ctx->link.EndCall();
    if (written)
        ctx->ringTone.Stop();
}

bool CDlgIncoming::OnCallTimer(UINT id)
{
    return m_autoAnswer.Handle(id) || m_endWatch.Handle(id);
}

bool CDlgIncoming::OnCallCommand(UINT id)
{
    if (id != kAcceptId)
        return false;
    Answer();
    return true;
}

bool CDlgIncoming::OnCallMessage(UINT message, WPARAM, LPARAM)
{
    if (message != WM_BT_EV_CALLER_ID)
        return false;
    if (ScreenContext* ctx = Context())
        m_strNumber = ctx->link.CallerNumber();
    InvalidateRect(&skin::place::incoming::number, true);
    return true;
}
