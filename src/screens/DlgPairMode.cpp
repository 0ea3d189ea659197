#include "screens/DlgPairMode.h"

#include "controller/MainFrame.h"
#include "controller/PhoneMessages.h"
#include "controller/TextKeys.h"
#include "platform/controls/Application.h"
#include "platform/controls/DialogTemplate.h"
#include "platform/controls/MessageBox.h"
#include "platform/win/WindowApi.h"
#include "screens/DeviceList.h"
#include "store/AppFolders.h"
#include "ui/SkinLayout.h"
#include "screens/Context.h"

#include <array>

using namespace devicelist;

namespace {

namespace place = skin::place::pairmode;

const DeviceListScreen::Texts kTexts { text::kPairReadingList, text::kPairReadingListSeconds,
    text::kPairListNotSent, text::kPairListEmpty, text::kPairListShown, text::kPairListFailed,
    text::kPairStateIdle, text::kPairStateConnecting };
const DeviceListScreen::Layout kLayout { place::list, place::address_heading, place::name_heading,
    place::address_column };

// StartPairing's selector: the module is told nothing of it, but the two buttons keep it apart.
constexpr int kSelectorHandsFree = 1;
constexpr int kSelectorHeadset = 0;

// The module stays pairable for 240 seconds of 250 ms ticks; the tick after them cancels pairing.
constexpr int kPairSeconds = 240;
constexpr int kTicksPerSecond = 4;
constexpr int kPairTickLimit = kPairSeconds * kTicksPerSecond + 1;
// The delete wait gives up on its fifth one-second tick and reads the list again.
constexpr int kDeleteTickLimit = 4;

constexpr WPARAM kPairingDone = 1;
// Main states above this one are not the module's known states; they do not stop pairing.
constexpr BYTE kLastKnownState = 6;

// Why pairing and deleting wait, by main state; state 1 allows them.
constexpr std::array<const char*, kLastKnownState + 1> kRefusals { text::kPairRefusedState0, nullptr,
    text::kPairRefusedPairing, text::kPairRefusedConnecting, text::kPairRefusedConnected,
    text::kPairRefusedRinging, text::kPairRefusedInCall };
}

CDlgPairMode::CDlgPairMode()
    : DeviceListScreen(IDD, kScreenPairMode, kIdList, kTexts, kLayout)
{
}

void CDlgPairMode::RegisterTemplate()
{
    DialogTemplate dialogTemplate;
    dialogTemplate.id = IDD;
    dialogTemplate.rect = skin::kFullScreen;
    dialogTemplate.style = WS_CHILD;
    dialogTemplate.controls = {
        { IDOK, ControlClass::Button, u"", BS_OWNERDRAW, place::btn_gomain.rect },
        { kIdPairHandsFree, ControlClass::Button, u"", BS_OWNERDRAW, place::btn_pairinghf.rect },
        { kIdPairHeadset, ControlClass::Button, u"", BS_OWNERDRAW, place::btn_pairinghs.rect },
        { kIdCancel, ControlClass::Button, u"", BS_OWNERDRAW, place::btn_cancelpair.rect },
        { kIdDelete, ControlClass::Button, u"", BS_OWNERDRAW, place::btn_delpair.rect },
        ListControl(kIdList, place::list),
    };
    DialogTemplates::Register(std::move(dialogTemplate));
}

void CDlgPairMode::DoDataExchange(DataExchange* dx)
{
    DeviceListScreen::DoDataExchange(dx);
    DDX_Control(dx, kIdPairHandsFree, m_btnPairHandsFree);
    DDX_Control(dx, kIdCancel, m_btnCancel);
    DDX_Control(dx, kIdDelete, m_btnDelete);
    DDX_Control(dx, kIdPairHeadset, m_btnPairHeadset);
}

WString CDlgPairMode::BackgroundPath() const
{
    return ImagePath(u"pairmode\\bg_pairmode.pbg");
}

void CDlgPairMode::SetupButtons()
{
    SetupButton(m_btnReturn, place::btn_gomain);
    SetupButton(m_btnPairHandsFree, place::btn_pairinghf);
    SetupButton(m_btnPairHeadset, place::btn_pairinghs);
    SetupButton(m_btnCancel, place::btn_cancelpair);
    SetupButton(m_btnDelete, place::btn_delpair);
    PlaceList();
}

bool CDlgPairMode::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return false;
    switch (LOWORD(wParam)) {
    case kIdPairHandsFree:
        StartPairingWait(kSelectorHandsFree, text::kPairHandsFreeRequested, text::kPairHandsFreeNotSent);
        return true;
    case kIdPairHeadset:
        StartPairingWait(kSelectorHeadset, text::kPairHeadsetRequested, text::kPairHeadsetNotSent);
        return true;
    case kIdCancel:
        OnBnClickedCancelPairing();
        return true;
    case kIdDelete:
        OnBnClickedDeletePairing();
        return true;
    default:
        return false;
    }
}

bool CDlgPairMode::OnScreenMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        return m_pairCountdown.Handle(UINT(wParam)) || m_deleteWait.Handle(UINT(wParam));
    case WM_BT_PAIR_MODE:
        OnPairModeAnswer(wParam);
        return true;
    case WM_BT_PAIR_CANCEL:
        OnPairCancelAnswer(wParam);
        return true;
    case WM_BT_PAIR_DELETE:
        OnPairDeleteAnswer(wParam);
        return true;
    case WM_BT_EV_02:
        OnPaired(wParam);
        return true;
    default:
        return false;
    }
}

void CDlgPairMode::EnableControls(
    bool returnButton, bool list, bool pairHandsFree, bool pairHeadset, bool cancel, bool deleteButton)
{
    m_btnReturn.EnableWindow(returnButton);
    m_listDevices.EnableWindow(list);
    m_btnPairHandsFree.EnableWindow(pairHandsFree);
    m_btnPairHeadset.EnableWindow(pairHeadset);
    m_btnCancel.EnableWindow(cancel);
    m_btnDelete.EnableWindow(deleteButton);
}

void CDlgPairMode::EnableAll(bool enable)
{
    EnableControls(enable, enable, enable, enable, enable, enable);
}

bool CDlgPairMode::RefuseByState()
{
    BYTE state = MainState();
    if (state >= kRefusals.size() || !kRefusals[state])
        return false;
    SetHintText(state == 0 ? AdviceOr(kRefusals[state]) : Text(kRefusals[state]));
    return true;
}

void CDlgPairMode::StartPairingWait(int selector, const char* waitText, const char* failText)
{
    if (RefuseByState())
        return;
    EnableControls(false, false, false, false, true, false);
    SetHintText(Text(waitText));
    ScreenContext* ctx = Context();
    if (!ctx || !ctx->link.StartPairing(selector)) {
        // Nothing is pairing, so Cancel could not end the wait: the screen stays usable, to
        // leave or to try again.
        m_pairCountdown.Stop();
        EnableAll(true);
        SetHintText(Text(failText));
        return;
    }
    m_pairCountdown.Start(
        kPairTimerMs, kPairTickLimit,
        [this](int tick) {
            SetHintText(FormatNumber(Text(text::kPairPairableSeconds), kPairSeconds - (tick - 1) / kTicksPerSecond));
        },
        [this] {
            EnableAll(true);
            SetHintText(Text(text::kPairTimeUp));
            if (ScreenContext* ctx = Context())
                // The module's own answer to the cancel is handled like any other.
                (void)ctx->link.CancelPairing();
        });
}

void CDlgPairMode::OnBnClickedCancelPairing()
{
    if (MainState() != PhoneStatus::kStatePairing) {
        SetHintText(Text(text::kPairCancelNotPairing));
        return;
    }
    ScreenContext* ctx = Context();
    if (!ctx || !ctx->link.CancelPairing()) {
        SetHintText(Text(text::kPairCancelNotSent));
        return;
    }
    SetHintText(Text(text::kPairCancelling));
    EnableAll(true);
    m_pairCountdown.Stop();
}

void CDlgPairMode::OnBnClickedDeletePairing()
{
    if (RefuseByState())
        return;
    int row = SelectedFocusedRow(m_listDevices);
    if (row < 0)
        return;
    std::optional<BtAddress> address = ParseAddressText(m_listDevices.GetItemText(row, 0));
    if (!address) {
        SetHintText(Text(text::kPairInvalidAddress));
        return;
    }
    WString question = u"[" + FormatAddress(*address) + u"]\r\n" + Text(text::kDeleteQuestion);
    // The box runs its own loop, in which a link event can close this screen and delete it.
    HWND self = GetSafeHwnd();
    int answer = MessageBox(self, question, Text(text::kDeleteCaption), MB_YESNO);
    if (!IsWindow(self) || answer != IDYES)
        return;
    BeginWaitCursor();
    ScreenContext* ctx = Context();
    if (!ctx || !ctx->link.DeletePairing(*address)) {
        SetHintText(Text(text::kPairDeleteNotSent));
    } else {
        EnableAll(false);
        SetHintText(Text(text::kPairDeleting));
        // Without a limit a module that never answers would leave every control, Return
        // included, disabled for good. Giving up, the list is read again to show what is left.
        m_deleteWait.Start(kDeleteTimerMs, kDeleteTickLimit, {}, [this] {
            EnableAll(true);
            SetHintText(Text(text::kPairDeleteNoAnswer));
            EnableAll(false);
            RequestPairedList();
        });
    }
    EndWaitCursor();
}

void CDlgPairMode::OnPairModeAnswer(WPARAM status)
{
    if (status == 0) {
        // The module is pairable; the countdown goes on.
        SetHintText(Text(text::kPairPairable));
        return;
    }
    ScreenContext* ctx = Context();
    SetHintText(Text(text::kPairRefused) + (ctx ? ctx->ErrorText(UINT(status)) : WString()));
    m_pairCountdown.Stop();
    EnableAll(true);
}

void CDlgPairMode::OnPairCancelAnswer(WPARAM status)
{
    ScreenContext* ctx = Context();
    if (status == 0)
        SetHintText(Text(text::kPairCancelled));
    else
        SetHintText(Text(text::kPairCancelRefused) + (ctx ? ctx->ErrorText(UINT(status)) : WString()));
    EnableAll(true);
    m_pairCountdown.Stop();
}

void CDlgPairMode::OnPairDeleteAnswer(WPARAM status)
{
    // The answer ends the delete wait, so its time limit no longer applies.
    m_deleteWait.Stop();
    m_pairCountdown.Stop();
    if (status == 0) {
        EnableAll(false);
        RequestPairedList();
        // Shown until the list wait's first tick.
        SetHintText(Text(text::kPairDeleted));
    } else {
        EnableAll(true);
        SetHintText(Text(text::kPairDeleteRefused));
    }
}

void CDlgPairMode::OnPaired(WPARAM value)
{
    if (value != kPairingDone)
        return;
    m_pairCountdown.Stop();
    SetHintText(Text(text::kPairPaired));
    EnableAll(false);
    RequestPairedList();
}
