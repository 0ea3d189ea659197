#include "platform/controls/Button.h"

#include "platform/draw/DrawText.h"
#include "platform/draw/Font.h"
#include "platform/draw/ScopedTextStyle.h"
#include "platform/win/WindowApi.h"
#include "platform/win/WindowSystem.h"

namespace {

constexpr COLORREF kPlainFace = RGB(60, 72, 92);
constexpr COLORREF kPlainPressed = RGB(110, 140, 180);
constexpr COLORREF kPlainBorder = RGB(170, 185, 205);
constexpr COLORREF kPlainText = RGB(255, 255, 255);
constexpr COLORREF kPlainDisabledText = RGB(130, 140, 150);

}

LRESULT Button::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_LBUTTONDBLCLK:
        // An owner-drawn button reports a quick second tap instead of pressing again.
        if (IsOwnerDraw()) {
            Notify(BN_DOUBLECLICKED);
            return 0;
        }
        [[fallthrough]];
    case WM_LBUTTONDOWN:
        m_tracking = true;
        SetCapture(GetSafeHwnd());
        SetPressed(true);
        return 0;
    case WM_MOUSEMOVE:
        if (m_tracking) {
            RECT client;
            GetClientRect(&client);
            SetPressed(client.Contains({ GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) }));
        }
        return 0;
    case WM_LBUTTONUP: {
        if (!m_tracking)
            return 0;
        m_tracking = false;
        bool clicked = m_pressed;
        ReleaseCapture();
        SetPressed(false);
        if (clicked)
            Notify(BN_CLICKED);
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (m_tracking) {
            m_tracking = false;
            SetPressed(false);
        }
        return 0;
    case WM_ENABLE:
        Invalidate(true);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(&ps);
        if (dc) {
            if (IsOwnerDraw()) {
                DRAWITEMSTRUCT item = DrawInfo(dc, ODA_DRAWENTIRE);
                SendDrawItem(item);
            } else {
                PaintPlain(dc);
            }
        }
        EndPaint(&ps);
        return 0;
    }
    default:
        return Window::WindowProc(message, wParam, lParam);
    }
}

bool Button::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message != WM_DRAWITEM)
        return false;
    DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    *result = 1;
    return true;
}

void Button::SetPressed(bool pressed)
{
    if (pressed == m_pressed)
        return;
    m_pressed = pressed;
    if (!IsOwnerDraw()) {
        Invalidate(false);
        return;
    }
    HDC dc = GetDC();
    DRAWITEMSTRUCT item = DrawInfo(dc, ODA_SELECT);
    SendDrawItem(item);
    ReleaseDC(dc);
}

DRAWITEMSTRUCT Button::DrawInfo(HDC dc, UINT action) const
{
    DRAWITEMSTRUCT item;
    item.CtlType = ODT_BUTTON;
    item.CtlID = UINT(GetDlgCtrlID());
    item.itemAction = action;
    item.itemState = (m_pressed ? ODS_SELECTED : 0) | (IsWindowEnabled() ? 0 : ODS_GRAYED);
    item.hwndItem = GetSafeHwnd();
    item.hDC = dc;
    GetClientRect(&item.rcItem);
    return item;
}

void Button::SendDrawItem(DRAWITEMSTRUCT& item)
{
    Window* parent = GetParent();
    if (parent)
        parent->SendMessage(WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
    else
        DrawItem(&item);
}

void Button::Notify(UINT code)
{
    if (Window* parent = GetParent())
        parent->SendMessage(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), code), reinterpret_cast<LPARAM>(GetSafeHwnd()));
}

void Button::PaintPlain(HDC dc)
{
    RECT r;
    GetClientRect(&r);
    dc->FillSolidRect(r, kPlainBorder);
    RECT face { r.left + 2, r.top + 2, r.right - 2, r.bottom - 2 };
    dc->FillSolidRect(face, m_pressed ? kPlainPressed : kPlainFace);
    static const std::unique_ptr<Font> font = CreateFont(16, 0, FW_BOLD, DEFAULT_CHARSET, FF_SWISS, u"Tahoma");
    ScopedTextStyle style(dc, font.get(), IsWindowEnabled() ? kPlainText : kPlainDisabledText);
    DrawText(dc, GetWindowText(), face, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}
