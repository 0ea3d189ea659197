#include "screens/DlgAssistant.h"

#include "controller/ScreenContext.h"
#include "controller/StatusText.h"
#include "controller/TextKeys.h"
#include "controller/TextTable.h"
#include "platform/draw/DrawText.h"
#include "platform/win/WindowApi.h"
#include "screens/CallDisplay.h"
#include "screens/Context.h"
#include "store/AppFolders.h"
#include "ui/SkinImages.h"

namespace {

namespace place = skin::place::assistant;

constexpr calldisplay::TextStyle kTitleStyle { &skin::font::assistant::title,
    DT_LEFT | DT_VCENTER | DT_SINGLELINE, true };
constexpr calldisplay::TextStyle kListeningStyle { &skin::font::assistant::listening,
    DT_CENTER | DT_VCENTER | DT_SINGLELINE, true };
constexpr calldisplay::TextStyle kHintStyle { &skin::font::assistant::hint,
    DT_CENTER | DT_VCENTER | DT_SINGLELINE, true };

}

CDlgAssistant::CDlgAssistant()
    : SmallPanel(IDD)
{
}

void CDlgAssistant::RegisterTemplate()
{
    const UINT ids[] = { IDC_END };
    RegisterPanel(IDD, ids);
}

void CDlgAssistant::DoDataExchange(DataExchange* dx)
{
    DDX_Control(dx, IDC_END, m_btnEnd);
}

WString CDlgAssistant::BackgroundPath() const
{
    return ImagePath(u"assistant\\bg_assistant.pbg");
}

void CDlgAssistant::SetupButtons()
{
    m_btnEnd.Setup(place::btn_end, WString(TextTable::Text(text::kAssistantEnd)), false, true);
}

void CDlgAssistant::ShowListening(bool listening)
{
    if (!GetSafeHwnd() || listening == m_bListening)
        return;
    m_bListening = listening;
    if (!listening)
        StopHold();
    ShowWindow(listening ? SW_SHOW : SW_HIDE);
    InvalidateRect(nullptr, true);
}

void CDlgAssistant::PaintContent(HDC dc)
{
    ScreenContext* ctx = Context();
    if (!ctx || !m_bListening)
        return;
    std::optional<WString> phone = ctx->LinkedPhoneName();
    const WString listening = phone
        ? FillStatusText(TextTable::Text(text::kAssistantPhoneListening), 0, *phone)
        : WString(TextTable::Text(text::kAssistantListening));
    calldisplay::DrawCallText(dc, TextTable::Text(text::kAssistantTitle), place::title, kTitleStyle);
    calldisplay::DrawCallText(dc, listening, place::listening, kListeningStyle);
    calldisplay::DrawCallText(dc, TextTable::Text(text::kAssistantHint), place::hint, kHintStyle);
}

bool CDlgAssistant::OnCommand(WPARAM wParam, LPARAM)
{
    if (HIWORD(wParam) != BN_CLICKED || LOWORD(wParam) != IDC_END)
        return false;
    EndAssistant();
    return true;
}

void CDlgAssistant::EndAssistant()
{
    if (ScreenContext* ctx = Context())
        (void)ctx->BridgeAction(bridge::Action::AssistantStop);
}

LRESULT CDlgAssistant::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_LBUTTONDOWN:
        // The finger's release is this panel's, wherever it ends.
        m_bHolding = true;
        SetCapture(GetSafeHwnd());
        SetTimer(kHoldTimer, kHoldMs);
        return SkinScreen::WindowProc(message, wParam, lParam);
    case WM_LBUTTONUP:
        StopHold();
        return SkinScreen::WindowProc(message, wParam, lParam);
    case WM_CAPTURECHANGED:
        m_bHolding = false;
        KillTimer(kHoldTimer);
        return 0;
    case WM_TIMER:
        if (wParam != kHoldTimer)
            return SkinScreen::WindowProc(message, wParam, lParam);
        if (m_bHolding) {
            StopHold();
            EndAssistant();
        }
        return 0;
    default:
        return SkinScreen::WindowProc(message, wParam, lParam);
    }
}

void CDlgAssistant::StopHold()
{
    KillTimer(kHoldTimer);
    if (!m_bHolding)
        return;
    m_bHolding = false;
    ReleaseCapture();
}
