// The main view's messages: the module's reports the main frame forwards, the broadcasts of the
// device's status program, and taps on the view itself.

#include "screens/OstrilanView.h"

#include "controller/MainFrame.h"
#include "controller/PhoneMessages.h"
#include "controller/TextKeys.h"
#include "controller/TextTable.h"
#include "link/ModuleMessages.h"
#include "platform/win/WindowApi.h"
#include "store/RegistrySettings.h"
#include "ui/MasterVolume.h"
#include "ui/UiSound.h"
#include "screens/Context.h"

namespace {

// The launcher's window, found by its title.
constexpr char16_t kLauncherTitle[] = u"Strallo_100";
// The clock's tap area, bounds excluded.
constexpr const RECT& kClockTapBounds = skin::place::main::clock_tap;

constexpr WPARAM kBatteryExternal = 1;
constexpr WPARAM kBatteryLevel = 2;
constexpr int kBatteryUnknown = -99;

}

LRESULT COstrilanView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        // The paint covers the whole view; erasing first would only flicker.
        return 1;
    case WM_DESTROY: {
        if (m_assistant.GetSafeHwnd())
            m_assistant.DestroyWindow();
        FormView::WindowProc(message, wParam, lParam);
        m_pBackground.reset();
        m_pBluetoothIcon.reset();
        if (m_pGauges)
            m_pGauges->ReleaseImages();
        m_phoneGauges.ReleaseImages();
        return 0;
    }
    case WM_LBUTTONDOWN:
        PlayUiSound(kUiSoundTouch);
        return FormView::WindowProc(message, wParam, lParam);
    case WM_LBUTTONUP:
        OnClockTap(lParam);
        OnStatusTap(lParam);
        return FormView::WindowProc(message, wParam, lParam);
    case WM_BT_EV_STATE:
        OnStateReport();
        return 0;
    case WM_BT_EV_LINK:
        OnLinkReport(wParam);
        return 0;
    case WM_BT_EV_INDICATOR:
    case WM_BT_EV_BRIDGE_TEXT: {
        // The phone's facts changed or were forgotten; the paint reads them afresh.
        const RECT area = PhoneGauges::Area();
        InvalidateRect(&area, false);
        RefreshAssistant();
        return 0;
    }
    case WM_BT_SPK_VOLUME:
        OnGainReport(wParam, lParam);
        return 0;
    case WM_PHONE_BATTERY_STATE:
        if (m_pGauges) {
            m_pGauges->m_nBatteryState = wParam == kBatteryExternal ? StatusGauges::kBatteryExternal
                : wParam == kBatteryLevel                           ? int(lParam)
                                                                    : kBatteryUnknown;
            m_pGauges->RefreshBattery();
        }
        return 0;
    case WM_PHONE_CLOCK_TIME:
        if (m_pGauges) {
            m_pGauges->m_nHour = int(wParam);
            m_pGauges->m_nMinute = int(lParam);
            m_pGauges->RefreshClock();
        }
        return 0;
    case WM_PHONE_LOCK_STATE:
        if (m_pGauges) {
            m_pGauges->m_nLock = wParam == 1 ? 1 : 0;
            m_pGauges->RefreshLock();
        }
        return 0;
    case WM_PHONE_VOLUME_CHANGED:
        if (m_pGauges)
            m_pGauges->RefreshVolume();
        RefreshMuteButton();
        return 0;
    default:
        return FormView::WindowProc(message, wParam, lParam);
    }
}

void COstrilanView::OnGainReport(WPARAM status, LPARAM value)
{
    constexpr DWORD kNoValue = 99;
    if (status != 0)
        return;
    ScreenContext* ctx = Context();
    DWORD gain = DWORD(value);
    // The module confirmed without saying the value: it is the one last asked for.
    if (gain == kNoValue)
        gain = DWORD(MicGainValues[size_t(m_nRequestedGain)]);
    if (ctx)
        ctx->status.micGain = gain;
    // A gain that cannot be stored is asked for again at the next start.
    (void)WriteMicGain(gain);
    if (m_pGauges)
        m_pGauges->m_nMicLevel = gain >= 1 && gain < DWORD(kGainLevels) ? int(gain) : 0;
    InvalidateRect(&kTopBar, true);
}

void COstrilanView::OnStateReport()
{
    ScreenContext* ctx = Context();
    if (!ctx)
        return;
    const PhoneStatus& status = ctx->status;
    SetHintText(TextTable::Text(status.audioFlag == 1 ? text::kStatusInCall : text::kStatusNoCall));
    if (status.mainState < PhoneStatus::kStateConnected)
        EnableCallButtons(0);
    InvalidateRect(&kIconArea, false);
    // A ring or a call closes the assistant's panel; the call screens take over.
    RefreshAssistant();
}

void COstrilanView::OnLinkReport(WPARAM kind)
{
    if (kind == 1 || kind == 2)
        EnableCallButtons(int(kind));
    InvalidateRect(&kIconArea, false);
}

void COstrilanView::OnClockTap(LPARAM point)
{
    const int x = GET_X_LPARAM(point);
    const int y = GET_Y_LPARAM(point);
    if (x <= kClockTapBounds.left || x >= kClockTapBounds.right || y <= kClockTapBounds.top
        || y >= kClockTapBounds.bottom)
        return;
    const WString title = kLauncherTitle;
    HWND launcher = FindWindowW(nullptr, &title);
    ScreenContext* ctx = Context();
    if (launcher && ctx)
        PostMessageW(launcher, WM_PHONE_LAUNCHER_HOME, reinterpret_cast<WPARAM>(ctx->ApplicationWindow()), 0);
}
