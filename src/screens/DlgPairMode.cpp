#include "screens/DlgPairMode.h"

#include "controller/MainFrame.h"
#include "controller/PhoneMessages.h"
#include "platform/controls/Application.h"
#include "platform/controls/Button.h"
#include "platform/controls/DialogTemplate.h"
#include "platform/controls/MessageBox.h"
#include "platform/draw/DrawText.h"
#include "platform/draw/ScopedTextStyle.h"
#include "platform/loop/Clock.h"
#include "platform/win/WindowApi.h"
#include "screens/DeviceList.h"
#include "store/AppFolders.h"
#include "ui/SkinLayout.h"
#include "ui/SkinText.h"

#include <array>

using namespace devicelist;

namespace {

namespace place = skin::place::pairmode;

constexpr int kAddressColumnWidth = 133;

// StartPairing's selector: the module is told nothing of it, but the two buttons keep it apart.
constexpr int kSelectorHandsFree = 1;
constexpr int kSelectorHeadset = 0;

// The list wait shows whole seconds for twelve ticks and gives up on the fourteenth.
constexpr int32_t kListTickLimit = 12;
constexpr int32_t kTicksPerSecond = 4;
// The module stays pairable for 240 seconds of 250 ms ticks; one tick later pairing is cancelled.
constexpr int32_t kPairSeconds = 240;
constexpr int32_t kPairTickLimit = kPairSeconds * kTicksPerSecond;
// The delete wait gives up on its fifth one-second tick and reads the list again.
constexpr int32_t kDeleteTickLimit = 3;
constexpr DWORD kLinkedPauseMs = 1000;

constexpr WPARAM kPairingDone = 1;
constexpr WPARAM kLinkHeadset = 1;
constexpr WPARAM kLinkHandsFree = 2;
constexpr BYTE kStateConnecting = 3;
// Main states above this one are not the module's known states; they do not stop pairing.
constexpr BYTE kLastKnownState = 6;

// Why pairing and deleting wait, by main state; state 1 allows them.
constexpr std::array<const char*, kLastKnownState + 1> kRefusals { "PMMS0001", nullptr, "PMMS0002",
    "PMMS0003", "PMMS0004", "PMMS0005", "PMMS0006" };

}

CDlgPairMode::CDlgPairMode()
    : SkinScreen(IDD)
{
    SetStatusPainter([](HDC dc) {
        if (CMainFrame* frame = MainFrame())
            frame->DrawStatusText(dc);
    });
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
        { kIdList, ControlClass::ListView, u"", LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_NOCOLUMNHEADER,
            place::list },
    };
    DialogTemplates::Register(std::move(dialogTemplate));
}

void CDlgPairMode::DoDataExchange(DataExchange* dx)
{
    DDX_Control(dx, kIdList, m_listDevices);
    DDX_Control(dx, IDOK, m_btnReturn);
    DDX_Control(dx, kIdPairHandsFree, m_btnPairHandsFree);
    DDX_Control(dx, kIdCancel, m_btnCancel);
    DDX_Control(dx, kIdDelete, m_btnDelete);
    DDX_Control(dx, kIdPairHeadset, m_btnPairHeadset);
}

WString CDlgPairMode::BackgroundPath() const
{
    return ImagePath(u"pairmode\\bg_pairmode.pbg");
}

void CDlgPairMode::PrepareList()
{
    m_listDevices.SetExtendedStyle(LVS_EX_FULLROWSELECT);
}

void CDlgPairMode::SetupButtons()
{
    SetupButton(m_btnReturn, place::btn_gomain);
    SetupButton(m_btnPairHandsFree, place::btn_pairinghf);
    SetupButton(m_btnPairHeadset, place::btn_pairinghs);
    SetupButton(m_btnCancel, place::btn_cancelpair);
    SetupButton(m_btnDelete, place::btn_delpair);
    const RECT& list = place::list;
    m_listDevices.SetWindowPos(nullptr, list.left, list.top, list.Width(), list.Height(), SWP_NOZORDER);
    m_listDevices.HideScrollBars(0);
    m_listDevices.ShowWindow(SW_SHOW);
}

void CDlgPairMode::PaintContent(HDC dc)
{
    std::unique_ptr<Font> font = CreateSkinFont(skin::kHeadingHeight);
    ScopedTextStyle style(dc, font.get(), skin::kTextColor);
    DrawText(dc, Text("PMLI0001"), place::address_heading, DT_CENTER | DT_VCENTER);
    DrawText(dc, Text("PMLI0002"), place::name_heading, DT_CENTER | DT_VCENTER);
}

void CDlgPairMode::OnFirstPaint()
{
    EnableAll(false);
    RequestPairedList();
}

void CDlgPairMode::OnOK()
{
    if (CMainFrame* frame = MainFrame())
        frame->PostMessage(WM_PHONE_CLOSE_SCREEN, kScreenPairMode, 0);
}

bool CDlgPairMode::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return false;
    switch (LOWORD(wParam)) {
    case kIdPairHandsFree:
        StartPairingWait(kSelectorHandsFree, "PMMS0101", "PMMS0102");
        return true;
    case kIdPairHeadset:
        StartPairingWait(kSelectorHeadset, "PMMS0201", "PMMS0202");
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

LRESULT CDlgPairMode::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        OnTimer(UINT(wParam));
        break;
    case WM_BT_PAIRED_LIST:
        OnPairedList(lParam);
        return 0;
    case WM_BT_PAIR_MODE:
        OnPairModeAnswer(wParam);
        return 0;
    case WM_BT_PAIR_CANCEL:
        OnPairCancelAnswer(wParam);
        return 0;
    case WM_BT_PAIR_DELETE:
        OnPairDeleteAnswer(wParam);
        return 0;
    case WM_BT_EV_02:
        OnPaired(wParam);
        return 0;
    case WM_BT_EV_LINK:
        OnLink(wParam);
        return 0;
    case WM_BT_EV_STATE:
        OnState();
        return 0;
    case WM_BT_EV_DEVICE_NAME:
        OnDeviceName();
        return 0;
    default:
        break;
    }
    return SkinScreen::WindowProc(message, wParam, lParam);
}

void CDlgPairMode::SetHintText(const WString& text)
{
    SkinScreen::SetHintText(text);
    InvalidateRect(&skin::kHintLine, true);
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

BYTE CDlgPairMode::MainState() const
{
    CMainFrame* frame = MainFrame();
    return frame && frame->m_pPhoneStatus ? frame->m_pPhoneStatus->mainState : 0;
}

bool CDlgPairMode::RefuseByState()
{
    BYTE state = MainState();
    if (state >= kRefusals.size() || !kRefusals[state])
        return false;
    SetHintText(Text(kRefusals[state]));
    return true;
}

void CDlgPairMode::RequestPairedList()
{
    SetHintText(Text("PMMS0501"));
    m_bListDone = false;
    if (CMainFrame* frame = MainFrame())
        frame->m_btModule.GetPairedList();
    m_nListTicks = 0;
    SetTimer(kListTimer, kListTimerMs);
    ResetColumns(m_listDevices, kAddressColumnWidth);
}

void CDlgPairMode::OnPairedList(LPARAM lParam)
{
    WString text;
    if (lParam == BT_PAIRED_LIST_EMPTY) {
        text = Text("PMMS0701");
    } else if (lParam == 0) {
        CMainFrame* frame = MainFrame();
        if (frame && FillDeviceList(m_listDevices, *frame) > 0)
            text = Text("PMMS0702");
    } else {
        // A failed answer, or more devices than the module's table holds.
        text = Text("PMMS0703");
    }
    EnableAll(true);
    KillTimer(kListTimer);
    m_nListTicks = 0;
    SetHintText(text);
    m_bListDone = true;
}

void CDlgPairMode::OnDeviceName()
{
    EnableAll(false);
    CMainFrame* frame = MainFrame();
    if (frame && frame->m_btModule.PairedCount() > 0) {
        m_listDevices.DeleteAllItems();
        FillDeviceList(m_listDevices, *frame);
    }
    EnableAll(true);
}

void CDlgPairMode::StartPairingWait(int selector, const char* waitText, const char* failText)
{
    if (RefuseByState())
        return;
    EnableControls(false, false, false, false, true, false);
    SetHintText(Text(waitText));
    m_bPairing = true;
    m_nPairTicks = 0;
    CMainFrame* frame = MainFrame();
    if (!frame || !frame->m_btModule.StartPairing(selector)) {
        // Nothing is pairing, so Cancel could not end the wait: the screen stays usable, to
        // leave or to try again.
        m_bPairing = false;
        EnableAll(true);
        SetHintText(Text(failText));
        return;
    }
    SetTimer(kPairTimer, kPairTimerMs);
}

void CDlgPairMode::StopPairingWait()
{
    KillTimer(kPairTimer);
    m_bPairing = false;
}

void CDlgPairMode::OnBnClickedCancelPairing()
{
    if (MainState() != PhoneStatus::kStatePairing) {
        SetHintText(Text("PMMS0301"));
        return;
    }
    CMainFrame* frame = MainFrame();
    if (!frame || !frame->m_btModule.CancelPairing()) {
        SetHintText(Text("PMMS0303"));
        return;
    }
    SetHintText(Text("PMMS0302"));
    EnableAll(true);
    // The countdown stops; the timer itself runs until the module answers.
    m_bPairing = false;
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
        SetHintText(Text("PMMS0401"));
        return;
    }
    WString question = u"[" + FormatAddress(*address) + u"]\r\n" + Text("PMMS0402");
    // The box runs its own loop, in which a link event can close this screen and delete it.
    HWND self = GetSafeHwnd();
    int answer = MessageBox(self, question, Text("PMMS0403"), MB_YESNO);
    if (!IsWindow(self) || answer != IDYES)
        return;
    BeginWaitCursor();
    m_bDeleteDone = false;
    m_nDeleteTicks = 0;
    CMainFrame* frame = MainFrame();
    if (!frame || !frame->m_btModule.DeletePairing(*address)) {
        SetHintText(Text("PMMS0405"));
    } else {
        EnableAll(false);
        SetHintText(Text("PMMS0404"));
        // Without a limit a module that never answers would leave every control, Return
        // included, disabled for good.
        SetTimer(kDeleteTimer, kDeleteTimerMs);
    }
    EndWaitCursor();
}

void CDlgPairMode::OnPairModeAnswer(WPARAM status)
{
    if (status == 0) {
        // The module is pairable; the countdown goes on.
        SetHintText(Text("PMMS0801"));
        return;
    }
    CMainFrame* frame = MainFrame();
    SetHintText(Text("PMMS0802") + (frame ? frame->GetErrorText(UINT(status)) : WString()));
    StopPairingWait();
    EnableAll(true);
}

void CDlgPairMode::OnPairCancelAnswer(WPARAM status)
{
    CMainFrame* frame = MainFrame();
    if (status == 0)
        SetHintText(Text("PMMS1001"));
    else
        SetHintText(Text("PMMS1002") + (frame ? frame->GetErrorText(UINT(status)) : WString()));
    EnableAll(true);
    StopPairingWait();
}

void CDlgPairMode::OnPairDeleteAnswer(WPARAM status)
{
    // The answer ends the delete wait, so its time limit no longer applies.
    m_bDeleteDone = true;
    KillTimer(kDeleteTimer);
    if (status == 0) {
        EnableAll(false);
        RequestPairedList();
        StopPairingWait();
        // Shown until the list wait's first tick.
        SetHintText(Text("PMMS1101"));
    } else {
        EnableAll(true);
        StopPairingWait();
        SetHintText(Text("PMMS1102"));
    }
}

void CDlgPairMode::OnPaired(WPARAM value)
{
    if (value != kPairingDone)
        return;
    StopPairingWait();
    SetHintText(Text("PMMS0901"));
    EnableAll(false);
    RequestPairedList();
}

void CDlgPairMode::OnLink(WPARAM kind)
{
    if (kind != kLinkHeadset && kind != kLinkHandsFree)
        return;
    SetHintText(Text(kind == kLinkHeadset ? "CNMS0903" : "CNMS0904"));
    // The result stays on view while the interface thread pauses before the screen goes.
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(kLinkedPauseMs);
    if (CMainFrame* frame = MainFrame())
        frame->PostMessage(WM_PHONE_CLOSE_SCREEN, kScreenPairMode, 0);
}

void CDlgPairMode::OnState()
{
    switch (MainState()) {
    case PhoneStatus::kStateIdle:
        SetHintText(Text("PMMS1201"));
        break;
    case kStateConnecting:
        SetHintText(Text("PMMS1202"));
        break;
    default:
        SetHintText(WString());
        break;
    }
}

void CDlgPairMode::OnTimer(UINT id)
{
    switch (id) {
    case kListTimer:
        if (m_bListDone) {
            KillTimer(kListTimer);
            m_nListTicks = 0;
            EnableAll(true);
        }
        if (m_nListTicks <= kListTickLimit) {
            SetHintText(FormatNumber(Text("PMMS0602"), m_nListTicks / kTicksPerSecond));
            ++m_nListTicks;
        } else {
            KillTimer(kListTimer);
            m_nListTicks = 0;
            EnableAll(true);
            SetHintText(Text("PMMS0601"));
        }
        break;
    case kPairTimer:
        if (m_bPairing) {
            if (m_nPairTicks <= kPairTickLimit) {
                SetHintText(FormatNumber(Text("PMMS0604"), kPairSeconds - m_nPairTicks / kTicksPerSecond));
            } else {
                m_nPairTicks = 0;
                StopPairingWait();
                EnableAll(true);
                SetHintText(Text("PMMS0603"));
                if (CMainFrame* frame = MainFrame())
                    frame->m_btModule.CancelPairing();
            }
        }
        ++m_nPairTicks;
        break;
    case kDeleteTimer:
        if (m_bDeleteDone) {
            KillTimer(kDeleteTimer);
            break;
        }
        if (m_nDeleteTicks > kDeleteTickLimit) {
            m_nDeleteTicks = 0;
            m_bDeleteDone = true;
            KillTimer(kDeleteTimer);
            EnableAll(true);
            SetHintText(Text("PMMS0605"));
            EnableAll(false);
            RequestPairedList();
        }
        ++m_nDeleteTicks;
        break;
    default:
        break;
    }
}
