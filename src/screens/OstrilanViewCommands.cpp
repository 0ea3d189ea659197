// The main view's buttons.

#include "screens/OstrilanView.h"

#include "controller/MainFrame.h"
#include "controller/PhoneMessages.h"
#include "controller/TextKeys.h"
#include "controller/TextTable.h"
#include "platform/controls/MessageBox.h"
#include "platform/tooling/Log.h"
#include "screens/DlgPlaceCall.h"
#include "store/CallLogStore.h"
#include "ui/MasterVolume.h"
#include "ui/UiSound.h"
#include "screens/Context.h"

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
    ScreenContext* ctx = Context();
    switch (LOWORD(wParam)) {
    case IDC_HIDE:
        if (ctx)
            ctx->HideApplication();
        return true;
    case IDC_QUIT:
        OnQuit();
        return true;
    case IDC_CALL:
        OnCall();
        return true;
    case IDC_CALLHIST:
        if (ctx)
            ctx->OpenScreen(kScreenCallHist);
        return true;
    case IDC_REDIAL:
        Redial();
        return true;
    case IDC_CONNECT:
        if (ctx)
            ctx->OpenScreen(kScreenConnect);
        return true;
    case IDC_PAIRMODE:
        if (ctx)
            ctx->OpenScreen(kScreenPairMode);
        return true;
    case IDC_PREF:
        if (ctx)
            ctx->OpenScreen(kScreenPref);
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
    ScreenContext* ctx = Context();
    if (!ctx)
        return;
    const PhoneStatus& status = ctx->status;
    if (status.linkKind == kLinkHandsFree) {
        if (status.mainState == PhoneStatus::kStateConnected)
            ctx->OpenScreen(kScreenPlaceCall);
        else
            SetHintText(TextTable::Text(text::kMenuPhoneNotReady));
        return;
    }
    // Without a hands-free link the phone's own call key does what the phone thinks best.
    if (!ctx->link.CallKey())
        SetHintText(TextTable::Text(text::kMenuNotSent));
}

bool COstrilanView::StartAssistant()
{
    ScreenContext* ctx = Context();
    if (!ctx || ctx->status.mainState != PhoneStatus::kStateConnected || ctx->status.linkKind != kLinkHandsFree)
        return false;
    // The panel comes with the phone's report that its assistant listens.
    return ctx->BridgeAction(bridge::Action::AssistantStart);
}

void COstrilanView::RefreshAssistant()
{
    ScreenContext* ctx = Context();
    m_assistant.ShowListening(ctx && ctx->AssistantListening());
}

void COstrilanView::Redial()
{
    ScreenContext* ctx = Context();
    if (!ctx)
        return;
    PhoneStatus& status = ctx->status;
    CallLogStore& log = ctx->callLog;
    if (status.mainState != PhoneStatus::kStateConnected) {
        SetHintText(TextTable::Text(text::kMenuPhoneNotReady));
        return;
    }
    // A file that cannot be read leaves the last call in memory, which is still worth dialling.
    if (!log.LoadLastCall())
        SetHintText(TextTable::Text(text::kMenuNoLastNumber));
    const CallRecord last = log.LastCall();
    if (last.number[0] == '\0')
        SetHintText(TextTable::Text(text::kMenuNoLastNumber));
    status.dialString.fill('\0');
    std::memcpy(status.dialString.data(), last.number, status.dialString.size());
    if (status.dialString[0] == '\0') {
        SetHintText(TextTable::Text(text::kMenuNoLastNumber));
        return;
    }
    CDlgPlaceCall::RecordOutgoingCall(*ctx);
    ctx->OpenScreen(kScreenOutgoing);
}

void COstrilanView::OnQuit()
{
    int answer = MessageBox(
        GetSafeHwnd(), TextTable::Text(text::kQuitQuestion), TextTable::Text(text::kQuitCaption), MB_YESNO);
    if (answer != IDYES)
        return;
    if (ScreenContext* ctx = Context())
        ctx->Quit();
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
    ScreenContext* ctx = Context();
    if (!ctx || !m_pGauges)
        return;
    // The step starts from what the module last reported, not from what was last asked for.
    const int level = m_pGauges->m_nMicLevel;
    if (up && level < kGainLevels - 1) {
        Log::Printf(Log::Priority::Debug, "MIC UP : L:%d, VAL:%d", level, MicGainValues[size_t(level + 1)]);
        // The gauge follows the module's report, not the request.
        (void)ctx->link.SetMicGain(BYTE(MicGainValues[size_t(level + 1)]));
        m_nRequestedGain = level + 1;
    } else if (!up && level > 0 && level < kGainLevels) {
        (void)ctx->link.SetMicGain(BYTE(MicGainValues[size_t(level - 1)]));
        m_nRequestedGain = level - 1;
    }
}

void COstrilanView::OnSpeakerLevel(bool up)
{
    ScreenContext* ctx = Context();
    if (!ctx)
        return;
    int32_t& level = ctx->SpeakerVolume();
    if (up && level < kSpeakerLevelMax) {
        ++level;
        // The level shown follows the module's report.
        (void)ctx->link.SetSpeakerVolume(BYTE(level));
    } else if (!up && level > 0) {
        --level;
        (void)ctx->link.SetSpeakerVolume(BYTE(level));
    }
    Invalidate();
}
