#include "screens/DeviceListScreen.h"

#include "controller/MainFrame.h"
#include "controller/PhoneMessages.h"
#include "controller/TextKeys.h"
#include "platform/controls/DialogTemplate.h"
#include "platform/draw/DrawText.h"
#include "platform/draw/ScopedTextStyle.h"
#include "platform/loop/Clock.h"
#include "screens/DeviceList.h"
#include "ui/SkinLayout.h"
#include "ui/SkinText.h"
#include "screens/Context.h"

using namespace devicelist;

namespace {

// The list wait shows whole seconds of its 250 ms ticks for 13 ticks and gives up on the 14th.
constexpr int kListTickLimit = 13;
constexpr int kTicksPerSecond = 4;
constexpr DWORD kLinkedPauseMs = 1000;
// A main state the system does not name otherwise: the module is setting up a connection.
constexpr BYTE kStateConnecting = 3;
constexpr WPARAM kLinkHeadset = 1;
constexpr WPARAM kLinkHandsFree = 2;

}

DeviceListScreen::DeviceListScreen(
    UINT templateId, UINT screenKind, int listId, const Texts& texts, const Layout& layout)
    : SkinScreen(templateId)
    , m_kind(screenKind)
    , m_listId(listId)
    , m_texts(texts)
    , m_layout(layout)
{
    SetStatusPainter([](HDC dc) {
        if (ScreenContext* ctx = Context())
            ctx->DrawStatusText(dc);
    });
}

ControlTemplate DeviceListScreen::ListControl(int id, const RECT& rect)
{
    return { UINT(id), ControlClass::ListView, u"", LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_NOCOLUMNHEADER, rect };
}

void DeviceListScreen::DoDataExchange(DataExchange* dx)
{
    DDX_Control(dx, m_listId, m_listDevices);
    DDX_Control(dx, IDOK, m_btnReturn);
}

void DeviceListScreen::PrepareList()
{
    m_listDevices.SetExtendedStyle(LVS_EX_FULLROWSELECT);
}

void DeviceListScreen::PlaceList()
{
    const RECT& list = m_layout.list;
    m_listDevices.SetWindowPos(nullptr, list.left, list.top, list.Width(), list.Height(), SWP_NOZORDER);
    m_listDevices.HideScrollBars(0);
    m_listDevices.ShowWindow(SW_SHOW);
}

void DeviceListScreen::PaintContent(HDC dc)
{
    const skin::place::TextFont& heading = skin::font::shared::heading;
    const Font& font = SkinFont(heading);
    ScopedTextStyle style(dc, &font, heading.color);
    DrawText(dc, Text(text::kPairListAddress), m_layout.addressHeading, DT_CENTER | DT_VCENTER);
    DrawText(dc, Text(text::kPairListName), m_layout.nameHeading, DT_CENTER | DT_VCENTER);
}

void DeviceListScreen::OnFirstPaint()
{
    EnableAll(false);
    RequestPairedList();
}

void DeviceListScreen::OnOK()
{
    if (ScreenContext* ctx = Context())
        ctx->CloseScreen(m_kind);
}

LRESULT DeviceListScreen::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        if (!m_listWait.Handle(UINT(wParam)))
            OnScreenMessage(message, wParam, lParam);
        break;
    case WM_BT_PAIRED_LIST:
        OnPairedList(lParam);
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
    case WM_BT_EV_INDICATOR:
        OnHostStack();
        return 0;
    default:
        if (OnScreenMessage(message, wParam, lParam))
            return 0;
        break;
    }
    return SkinScreen::WindowProc(message, wParam, lParam);
}

void DeviceListScreen::SetHintText(const WString& text)
{
    SkinScreen::SetHintText(text);
    InvalidateRect(&skin::kHintLine, true);
}

WString DeviceListScreen::AdviceOr(const char* key) const
{
    ScreenContext* ctx = Context();
    WString advice = ctx ? ctx->HostStackAdvice() : WString();
    return advice.empty() ? WString(Text(key)) : advice;
}

BYTE DeviceListScreen::MainState() const
{
    ScreenContext* ctx = Context();
    return ctx ? ctx->status.mainState : 0;
}

void DeviceListScreen::RequestPairedList()
{
    SetHintText(Text(m_texts.listWait));
    if (ScreenContext* ctx = Context())
        // The wait's time limit covers a request that did not go out.
        (void)ctx->link.GetPairedList();
    m_listWait.Start(
        kListTimerMs, kListTickLimit,
        [this](int tick) { SetHintText(FormatNumber(Text(m_texts.listSeconds), (tick - 1) / kTicksPerSecond)); },
        [this] {
            EnableAll(true);
            SetHintText(Text(m_texts.listGaveUp));
        });
    ResetColumns(m_listDevices, m_layout.addressColumnWidth);
}

void DeviceListScreen::OnPairedList(LPARAM lParam)
{
    WString text;
    if (lParam == BT_PAIRED_LIST_EMPTY) {
        text = AdviceOr(m_texts.listEmpty);
    } else if (lParam != 0 && m_texts.listFailed) {
        // A failed answer, or more devices than the module's table holds.
        text = Text(m_texts.listFailed);
    } else if (ScreenContext* ctx = Context()) {
        if (FillDeviceList(m_listDevices, *ctx) > 0)
            text = AdviceOr(m_texts.listShown);
    }
    EnableAll(true);
    m_listWait.Stop();
    SetHintText(text);
}

void DeviceListScreen::OnDeviceName()
{
    EnableAll(false);
    ScreenContext* ctx = Context();
    if (ctx && ctx->link.PairedCount() > 0) {
        m_listDevices.DeleteAllItems();
        FillDeviceList(m_listDevices, *ctx);
    }
    EnableAll(true);
}

void DeviceListScreen::OnState()
{
    switch (MainState()) {
    case PhoneStatus::kStateIdle:
        SetHintText(AdviceOr(m_texts.stateIdle));
        OnIdle();
        break;
    case kStateConnecting:
        SetHintText(Text(m_texts.stateConnecting));
        break;
    default:
        SetHintText(WString());
        break;
    }
}

// The host stack changed (an adapter came, a daemon went): the list is read again, which also
// shows the new cause, unless one of the screen's waits is running.
void DeviceListScreen::OnHostStack()
{
    if (!m_btnReturn.IsWindowEnabled())
        return;
    EnableAll(false);
    RequestPairedList();
}

void DeviceListScreen::OnLink(WPARAM kind)
{
    if (kind == kLinkHeadset || kind == kLinkHandsFree)
        ShowLinkedAndClose(kind);
}

void DeviceListScreen::ShowLinkedAndClose(WPARAM kind)
{
    SetHintText(Text(kind == kLinkHeadset ? text::kConnectHeadsetLinked : text::kConnectHandsFreeLinked));
    // The result stays on view while the interface thread pauses before the screen goes.
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(kLinkedPauseMs);
    if (ScreenContext* ctx = Context())
        ctx->CloseScreen(m_kind);
}
