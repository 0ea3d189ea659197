#include "ui/CMyButton.h"

#include "platform/draw/Blit.h"
#include "platform/draw/DrawText.h"
#include "ui/SkinImages.h"
#include "ui/SkinLayout.h"
#include "ui/SkinText.h"
#include "ui/UiSound.h"
#include "platform/win/PaintScope.h"
#include "platform/win/WindowApi.h"

#include <algorithm>

namespace {

constexpr WCHAR kLineFeed = 10;
// A one-line caption sits this far above the bottom edge; a multi-line one starts this far below
// the middle, leaving the upper half to the picture.
constexpr int kCaptionMargin = 10;

}

CMyButton::CMyButton() = default;

CMyButton::~CMyButton() = default;

bool CMyButton::Setup(const skin::place::Control& place, const WString& caption, bool holdLook, bool clickSound)
{
    const RECT& r = place.rect;
    return Setup(SkinStrip(place.image), r.left, r.top, r.Width(), r.Height(), caption, holdLook, clickSound);
}

bool CMyButton::Setup(std::shared_ptr<const Bitmap> strip, int x, int y, int width, int height,
    const WString& caption, bool holdLook, bool clickSound)
{
    m_pStrip = std::move(strip);
    m_nX = x;
    m_nY = y;
    m_nWidth = width;
    m_nHeight = height;
    m_strCaption = caption;
    m_bHoldLook = holdLook;
    m_bClickSound = clickSound;
    m_bSetUp = true;
    MoveWindow(RECT { x, y, x + width, y + height }, true);
    ShowWindow(SW_SHOW);
    return true;
}

void CMyButton::SetLongPress(UINT holdMs, std::function<bool()> onHeld)
{
    m_nHoldMs = holdMs;
    m_onHeld = std::move(onHeld);
}

void CMyButton::OnHoldTimer()
{
    KillTimer(kHoldTimer);
    // Only a finger still on the button holds it; one slid off lets the press go as it would.
    if (!IsPressed() || !m_onHeld || !m_onHeld())
        return;
    // Taken: the press is over here, so the release neither clicks nor sounds.
    m_bMouseDown = false;
    ReleaseCapture();
}

void CMyButton::DrawFrame(HDC dc, int frame)
{
    if (!m_bSetUp || !dc)
        return;
    RECT client;
    GetClientRect(&client);
    // Straight into the context: black wherever the strip's frame does not reach, as on a fresh
    // bitmap, then the frame and the caption.
    const RECT frameRect { frame * m_nWidth, 0, frame * m_nWidth + m_nWidth, m_nHeight };
    const bool covered = m_pStrip && frameRect.Intersect(m_pStrip->Pixels().Bounds()) == frameRect
        && client.Width() <= m_nWidth && client.Height() <= m_nHeight;
    if (!covered)
        dc->FillSolidRect(client, RGB(0, 0, 0));
    if (m_pStrip)
        CopySurface(dc, 0, 0, std::min(m_nWidth, int(client.Width())), std::min(m_nHeight, int(client.Height())),
            m_pStrip->Pixels(), frameRect.left, 0);
    if (!m_strCaption.empty())
        DrawCaption(dc, client);
}

void CMyButton::DrawCaption(HDC dc, const RECT& client)
{
    const Font& font = SkinFont(skin::font::shared::text);
    const Font* oldFont = dc->SelectFont(&font);
    int oldMode = dc->SetBkMode(TRANSPARENT);
    COLORREF oldColor = dc->SetTextColor(skin::font::shared::text.color);
    RECT text = client;
    if (m_strCaption.find(kLineFeed) != WString::npos) {
        text.top = client.Height() / 2 + kCaptionMargin;
        DrawText(dc, m_strCaption, text, DT_CENTER);
    } else {
        text.bottom -= kCaptionMargin;
        DrawText(dc, m_strCaption, text, DT_CENTER | DT_BOTTOM);
    }
    dc->SetTextColor(oldColor);
    dc->SetBkMode(oldMode);
    dc->SelectFont(oldFont);
}

void CMyButton::DrawItem(DRAWITEMSTRUCT* item)
{
    if (!item)
        return;
    if (item->itemState & ODS_SELECTED)
        DrawFrame(item->hDC, kFramePressed);
    else if (item->itemState & ODS_GRAYED)
        DrawFrame(item->hDC, kFrameDisabled);
    else if (m_bHoldLook && !m_bMouseDown)
        return;
    else
        DrawFrame(item->hDC, !m_bHoldLook && m_bLatched ? kFramePressed : kFrameNormal);
}

LRESULT CMyButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        // The erase and owner-draw paths draw; a paint on its own would only repeat them.
        PaintScope paint(*this);
        return 0;
    }
    case WM_ERASEBKGND: {
        int frame = IsWindowEnabled() ? (m_bLatched ? kFramePressed : kFrameNormal) : kFrameDisabled;
        DrawFrame(reinterpret_cast<HDC>(wParam), frame);
        return 1;
    }
    case WM_LBUTTONDOWN:
        m_bMouseDown = true;
        if (m_onHeld)
            SetTimer(kHoldTimer, m_nHoldMs);
        return Button::WindowProc(message, wParam, lParam);
    case WM_TIMER:
        if (wParam == kHoldTimer) {
            OnHoldTimer();
            return 0;
        }
        return Button::WindowProc(message, wParam, lParam);
    case WM_CAPTURECHANGED:
        KillTimer(kHoldTimer);
        return Button::WindowProc(message, wParam, lParam);
    case WM_LBUTTONUP: {
        KillTimer(kHoldTimer);
        // Only the end of a press on this button is a release: the stray up that follows a double
        // tap (already answered with its own down and up) stays silent.
        bool released = m_bMouseDown;
        m_bMouseDown = false;
        if (released && m_bClickSound)
            PlayUiSound(kUiSoundClick);
        return Button::WindowProc(message, wParam, lParam);
    }
    case WM_LBUTTONDBLCLK:
        // A quick second tap counts as a second click.
        SendMessage(WM_LBUTTONDOWN, wParam, lParam);
        SendMessage(WM_LBUTTONUP, wParam, lParam);
        return Button::WindowProc(message, wParam, lParam);
    default:
        return Button::WindowProc(message, wParam, lParam);
    }
}
