#include "screens/DlgConnect.h"

#include "controller/MainFrame.h"
#include "controller/PhoneMessages.h"
#include "controller/TextKeys.h"
#include "platform/controls/DialogTemplate.h"
#include "screens/DeviceList.h"
#include "store/AppFolders.h"
#include "ui/SkinLayout.h"
#include "screens/Context.h"

using namespace devicelist;

namespace {

namespace place = skin::place::connect;

const DeviceListScreen::Texts kTexts { text::kConnectReadingList, text::kConnectReadingListSeconds,
    text::kConnectListNotSent, text::kConnectListEmpty, text::kConnectListShown, nullptr,
    text::kConnectStateIdle, text::kConnectStateConnecting };
const DeviceListScreen::Layout kLayout { place::list, place::address_heading, place::name_heading,
    place::address_column };

// The connect and disconnect waits give up on their twelfth one-second tick.
constexpr int kWaitTickLimit = 11;
constexpr WPARAM kLinkFailed = 0;
constexpr WPARAM kLinkHeadset = 1;
constexpr WPARAM kLinkHandsFree = 2;

}

CDlgConnect::CDlgConnect()
    : DeviceListScreen(IDD, kScreenConnect, kIdList, kTexts, kLayout)
{
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
        ListControl(kIdList, place::list),
    };
    DialogTemplates::Register(std::move(dialogTemplate));
}

void CDlgConnect::DoDataExchange(DataExchange* dx)
{
    DeviceListScreen::DoDataExchange(dx);
    DDX_Control(dx, kIdConnect, m_btnConnect);
    DDX_Control(dx, kIdDisconnect, m_btnDisconnect);
}

WString CDlgConnect::BackgroundPath() const
{
    return ImagePath(u"connect\\bg_btconnect.pbg");
}

void CDlgConnect::SetupButtons()
{
    PlaceList();
    SetupButton(m_btnReturn, place::btn_gomain);
    SetupButton(m_btnConnect, place::btn_connect);
    SetupButton(m_btnDisconnect, place::btn_disconnect);
}

void CDlgConnect::EnableAll(bool enable)
{
    m_btnReturn.EnableWindow(enable);
    m_listDevices.EnableWindow(enable);
    m_btnConnect.EnableWindow(enable);
    m_btnDisconnect.EnableWindow(enable);
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

bool CDlgConnect::OnScreenMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        return m_connectWait.Handle(UINT(wParam)) || m_disconnectWait.Handle(UINT(wParam));
    case WM_BT_CONNECT:
        OnConnectAnswer(wParam);
        return true;
    case WM_BT_DISCONNECT:
        OnDisconnectAnswer(wParam);
        return true;
    default:
        return false;
    }
}

void CDlgConnect::OnBnClickedConnect()
{
    if (MainState() == PhoneStatus::kStateConnected) {
        SetHintText(Text(text::kConnectAlreadyConnected));
        return;
    }
    int row = SelectedFocusedRow(m_listDevices);
    if (row < 0)
        return;
    std::optional<BtAddress> address = ParseAddressText(m_listDevices.GetItemText(row, 0));
    if (!address) {
        SetHintText(Text(text::kConnectInvalidAddress));
        return;
    }
    ScreenContext* ctx = Context();
    if (!ctx || !ctx->link.Connect(0, *address)) {
        SetHintText(Text(text::kConnectNotSent));
        return;
    }
    ctx->PhoneChosen(*address);
    EnableAll(false);
    SetHintText(Text(text::kConnecting));
    m_connectWait.Start(kConnectTimerMs, kWaitTickLimit, {}, [this] {
        EnableAll(true);
        SetHintText(Text(text::kConnectNoAnswer));
    });
}

void CDlgConnect::OnBnClickedDisconnect()
{
    if (MainState() != PhoneStatus::kStateConnected) {
        SetHintText(Text(text::kDisconnectNotConnected));
        return;
    }
    ScreenContext* ctx = Context();
    if (!ctx || !ctx->link.Disconnect()) {
        SetHintText(Text(text::kDisconnectNotSent));
        return;
    }
    EnableAll(false);
    SetHintText(Text(text::kDisconnecting));
    // Without a limit a module that never answers would leave every control, Return included,
    // disabled for good.
    m_disconnectWait.Start(kDisconnectTimerMs, kWaitTickLimit, {}, [this] {
        EnableAll(true);
        SetHintText(Text(text::kDisconnectNoAnswer));
    });
}

void CDlgConnect::OnConnectAnswer(WPARAM status)
{
    if (status == 0) {
        // Accepted; the link event ends the wait.
        SetHintText(Text(text::kConnectAccepted));
        return;
    }
    ScreenContext* ctx = Context();
    SetHintText(Text(text::kConnectRefused) + (ctx ? ctx->ErrorText(UINT(status)) : WString()));
    EnableAll(true);
    m_connectWait.Stop();
}

void CDlgConnect::OnDisconnectAnswer(WPARAM status)
{
    // Success is not final here: the state report that follows ends the wait.
    if (status == 0)
        return;
    SetHintText(Text(text::kDisconnectRefused));
    m_disconnectWait.Stop();
    EnableAll(true);
}

void CDlgConnect::OnIdle()
{
    m_disconnectWait.Stop();
    EnableAll(true);
}

void CDlgConnect::OnLink(WPARAM kind)
{
    if (kind == kLinkFailed) {
        m_connectWait.Stop();
        EnableAll(true);
        SetHintText(Text(text::kConnectNotLinked));
        return;
    }
    if (kind != kLinkHeadset && kind != kLinkHandsFree)
        return;
    m_connectWait.Stop();
    EnableAll(true);
    ShowLinkedAndClose(kind);
}
