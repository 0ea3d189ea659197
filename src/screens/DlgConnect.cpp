#include "screens/DlgConnect.h"

#include "controller/MainFrame.h"
#include "controller/PhoneMessages.h"
#include "platform/controls/Button.h"
#include "platform/controls/DialogTemplate.h"
#include "platform/draw/DrawText.h"
#include "platform/draw/ScopedTextStyle.h"
#include "platform/loop/Clock.h"
#include "screens/DeviceList.h"
#include "store/AppFolders.h"
#include "ui/SkinLayout.h"
#include "ui/SkinText.h"

using namespace devicelist;

namespace {

namespace place = skin::place::connect;

constexpr int kAddressColumnWidth = 139;

// The list wait shows whole seconds for twelve ticks and gives up on the fourteenth.
constexpr int32_t kListTickLimit = 12;
constexpr int32_t kTicksPerSecond = 4;
// The connect and disconnect waits give up on their twelfth one-second tick.
constexpr int32_t kWaitTickLimit = 10;
// How long the result of a link stays on view before the screen closes.
constexpr DWORD kLinkedPauseMs = 1000;

// A main state the system does not name otherwise: the module is setting up a connection.
constexpr BYTE kStateConnecting = 3;

constexpr WPARAM kLinkFailed = 0;
constexpr WPARAM kLinkHeadset = 1;
constexpr WPARAM kLinkHandsFree = 2;

}

CDlgConnect::CDlgConnect()
    : SkinScreen(IDD)
{
    SetStatusPainter([](HDC dc) {
        if (CMainFrame* frame = MainFrame())
            frame->DrawStatusText(dc);
    });
}

void CDlgConnect::RegisterTemplate()
{
    DialogTemplate dialogTemplate;
    dialogTemplate.id = IDD;
    dialogTemplate.rect = skin::kFullScreen;
    dialogTemplate.style = WS_CHILD;
    dialogTemplate.controls = {
        { IDOK, ControlClass::Button, u"", BS_OWNERDRAW, place::btn_gomain.rect },
        { kIdConnect, ControlClass::Button, u"", BS_OWNERDRAW, place::btn_connect.rect },
        { kIdDisconnect, ControlClass::Button, u"", BS_OWNERDRAW, place::btn_disconnect.rect },
        { kIdList, ControlClass::ListView, u"", LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_NOCOLUMNHEADER,
            place::list },
    };
    DialogTemplates::Register(std::move(dialogTemplate));
}

void CDlgConnect::DoDataExchange(DataExchange* dx)
{
    DDX_Control(dx, kIdList, m_listDevices);
    DDX_Control(dx, IDOK, m_btnReturn);
    DDX_Control(dx, kIdConnect, m_btnConnect);
    DDX_Control(dx, kIdDisconnect, m_btnDisconnect);
}

WString CDlgConnect::BackgroundPath() const
{
    return ImagePath(u"connect\\bg_btconnect.pbg");
}

void CDlgConnect::PrepareList()
{
    m_listDevices.SetExtendedStyle(LVS_EX_FULLROWSELECT);
}

void CDlgConnect::SetupButtons()
{
    const RECT& list = place::list;
    m_listDevices.SetWindowPos(nullptr, list.left, list.top, list.Width(), list.Height(), SWP_NOZORDER);
    m_listDevices.HideScrollBars(0);
    m_listDevices.ShowWindow(SW_SHOW);
    SetupButton(m_btnReturn, place::btn_gomain);
    SetupButton(m_btnConnect, place::btn_connect);
    SetupButton(m_btnDisconnect, place::btn_disconnect);
}

void CDlgConnect::PaintContent(HDC dc)
{
    std::unique_ptr<Font> font = CreateSkinFont(skin::kHeadingHeight);
    ScopedTextStyle style(dc, font.get(), skin::kTextColor);
    DrawText(dc, Text("PMLI0001"), place::address_heading, DT_CENTER | DT_VCENTER);
    DrawText(dc, Text("PMLI0002"), place::name_heading, DT_CENTER | DT_VCENTER);
}

void CDlgConnect::OnFirstPaint()
{
    EnableAll(false);
    RequestPairedList();
}

void CDlgConnect::OnOK()
{
    if (CMainFrame* frame = MainFrame())
        frame->PostMessage(WM_PHONE_CLOSE_SCREEN, kScreenConnect, 0);
}

bool CDlgConnect::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return false;
    switch (LOWORD(wParam)) {
    case kIdConnect:
        OnBnClickedConnect();
        return true;
    case kIdDisconnect:
        OnBnClickedDisconnect();
        return true;
    default:
        return false;
    }
}

LRESULT CDlgConnect::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        OnTimer(UINT(wParam));
        break;
    case WM_BT_PAIRED_LIST:
        OnPairedList(lParam);
        return 0;
    case WM_BT_CONNECT:
        OnConnectAnswer(wParam);
        return 0;
    case WM_BT_DISCONNECT:
        OnDisconnectAnswer(wParam);
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

void CDlgConnect::SetHintText(const WString& text)
{
    SkinScreen::SetHintText(text);
    InvalidateRect(&skin::kHintLine, true);
}

void CDlgConnect::EnableControls(bool returnButton, bool list, bool connect, bool disconnect)
{
    m_btnReturn.EnableWindow(returnButton);
    m_listDevices.EnableWindow(list);
    m_btnConnect.EnableWindow(connect);
    m_btnDisconnect.EnableWindow(disconnect);
}

BYTE CDlgConnect::MainState() const
{
    CMainFrame* frame = MainFrame();
    return frame && frame->m_pPhoneStatus ? frame->m_pPhoneStatus->mainState : 0;
}

void CDlgConnect::RequestPairedList()
{
    SetHintText(Text("CNMS0301"));
    m_bListDone = false;
    if (CMainFrame* frame = MainFrame())
        frame->m_btModule.GetPairedList();
    m_nListTicks = 0;
    SetTimer(kListTimer, kListTimerMs);
    ResetColumns(m_listDevices, kAddressColumnWidth);
}

void CDlgConnect::OnPairedList(LPARAM lParam)
{
    WString text;
    if (lParam == BT_PAIRED_LIST_EMPTY) {
        text = Text("CNMS0501");
    } else if (CMainFrame* frame = MainFrame()) {
        if (FillDeviceList(m_listDevices, *frame) > 0)
            text = Text("CNMS0502");
    }
    EnableAll(true);
    KillTimer(kListTimer);
    m_nListTicks = 0;
    SetHintText(text);
    m_bListDone = true;
}

void CDlgConnect::OnDeviceName()
{
    EnableAll(false);
    CMainFrame* frame = MainFrame();
    if (frame && frame->m_btModule.PairedCount() > 0) {
        m_listDevices.DeleteAllItems();
        FillDeviceList(m_listDevices, *frame);
    }
    EnableAll(true);
}

void CDlgConnect::OnBnClickedConnect()
{
    if (MainState() == PhoneStatus::kStateConnected) {
        SetHintText(Text("CNMS0101"));
        return;
    }
    int row = SelectedFocusedRow(m_listDevices);
    if (row < 0)
        return;
    std::optional<BtAddress> address = ParseAddressText(m_listDevices.GetItemText(row, 0));
    if (!address) {
        SetHintText(Text("CNMS0102"));
        return;
    }
    CMainFrame* frame = MainFrame();
    if (!frame || !frame->m_btModule.Connect(0, *address)) {
        SetHintText(Text("CNMS0104"));
        return;
    }
    m_bConnectDone = false;
    m_nConnectTicks = 0;
    EnableAll(false);
    SetHintText(Text("CNMS0103"));
    SetTimer(kConnectTimer, kConnectTimerMs);
}

void CDlgConnect::OnBnClickedDisconnect()
{
    if (MainState() != PhoneStatus::kStateConnected) {
        SetHintText(Text("CNMS0201"));
        return;
    }
    CMainFrame* frame = MainFrame();
    if (!frame || !frame->m_btModule.Disconnect()) {
        m_bDisconnectDone = false;
        SetHintText(Text("CNMS0203"));
        return;
    }
    m_bDisconnectDone = false;
    m_nDisconnectTicks = 0;
    EnableAll(false);
    SetHintText(Text("CNMS0202"));
    // Without a limit a module that never answers would leave every control, Return included,
    // disabled for good.
    SetTimer(kDisconnectTimer, kDisconnectTimerMs);
}

void CDlgConnect::OnConnectAnswer(WPARAM status)
{
    if (status == 0) {
        // Accepted; the link event ends the wait.
        SetHintText(Text("CNMS0601"));
        return;
    }
    CMainFrame* frame = MainFrame();
    SetHintText(Text("CNMS0602") + (frame ? frame->GetErrorText(UINT(status)) : WString()));
    EnableAll(true);
    m_bConnectDone = true;
}

void CDlgConnect::OnDisconnectAnswer(WPARAM status)
{
    // Success is not final here: the state report that follows ends the wait.
    if (status == 0)
        return;
    SetHintText(Text("CNMS0701"));
    KillTimer(kDisconnectTimer);
    EnableAll(true);
    m_bDisconnectDone = true;
}

void CDlgConnect::OnLink(WPARAM kind)
{
    if (kind == kLinkFailed) {
        KillTimer(kConnectTimer);
        EnableAll(true);
        m_bConnectDone = true;
        SetHintText(Text("CNMS0801"));
        return;
    }
    if (kind != kLinkHeadset && kind != kLinkHandsFree)
        return;
    SetHintText(Text(kind == kLinkHeadset ? "CNMS0903" : "CNMS0904"));
    KillTimer(kConnectTimer);
    EnableAll(true);
    m_bConnectDone = true;
    // The result stays on view while the interface thread pauses before the screen goes.
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(kLinkedPauseMs);
    if (CMainFrame* frame = MainFrame())
        frame->PostMessage(WM_PHONE_CLOSE_SCREEN, kScreenConnect, 0);
}

void CDlgConnect::OnState()
{
    switch (MainState()) {
    case PhoneStatus::kStateIdle:
        SetHintText(Text("CNMS0901"));
        KillTimer(kDisconnectTimer);
        EnableAll(true);
        m_bDisconnectDone = true;
        break;
    case kStateConnecting:
        SetHintText(Text("CNMS0902"));
        break;
    default:
        SetHintText(WString());
        break;
    }
}

void CDlgConnect::OnTimer(UINT id)
{
    switch (id) {
    case kListTimer:
        if (m_bListDone) {
            KillTimer(kListTimer);
            m_nListTicks = 0;
            EnableAll(true);
        }
        if (m_nListTicks <= kListTickLimit) {
            SetHintText(FormatNumber(Text("CNMS0402"), m_nListTicks / kTicksPerSecond));
            ++m_nListTicks;
        } else {
            KillTimer(kListTimer);
            m_nListTicks = 0;
            EnableAll(true);
            SetHintText(Text("CNMS0401"));
        }
        break;
    case kConnectTimer:
        if (m_bConnectDone) {
            KillTimer(kConnectTimer);
            EnableAll(true);
            m_nConnectTicks = 0;
        }
        if (m_nConnectTicks <= kWaitTickLimit) {
            ++m_nConnectTicks;
        } else {
            KillTimer(kConnectTimer);
            m_nConnectTicks = 0;
            EnableAll(true);
            SetHintText(Text("CNMS0403"));
        }
        break;
    case kDisconnectTimer:
        if (m_bDisconnectDone) {
            KillTimer(kDisconnectTimer);
            EnableAll(true);
        }
        if (m_nDisconnectTicks <= kWaitTickLimit) {
            ++m_nDisconnectTicks;
        } else {
            KillTimer(kDisconnectTimer);
            m_nDisconnectTicks = 0;
            EnableAll(true);
            SetHintText(Text("CNMS0404"));
        }
        break;
    default:
        break;
    }
}
