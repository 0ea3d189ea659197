#include "ui/SkinScreen.h"

#include "ui/Background.h"
#include "ui/SkinLayout.h"
#include "ui/SkinText.h"
#include "ui/UiSound.h"
#include "platform/win/PaintScope.h"

SkinScreen::SkinScreen(UINT templateId, Window* parent)
    : Dialog(templateId, parent)
{
}

SkinScreen::~SkinScreen() = default;

bool SkinScreen::OnInitDialog()
{
    Dialog::OnInitDialog();
    const RECT& full = skin::kFullScreen;
    SetWindowPos(HWND_TOPMOST, full.left, full.top, full.Width(), full.Height(), SWP_SHOWWINDOW);
    PrepareList();
    LoadBackground(*this, BackgroundPath(), &m_pBackground, full);
    m_bFirstPaintDone = false;
    Shape();
    SetupButtons();
    return true;
}

void SkinScreen::Shape()
{
    Region shape(skin::kFullScreen);
    shape.Subtract(skin::kTitleHole);
    shape.Subtract(skin::kCornerHole);
    SetWindowRgn(&shape, true);
}

LRESULT SkinScreen::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        // The paint covers the whole client area; erasing first would only flicker.
        return 1;
    case WM_LBUTTONDOWN:
        PlayUiSound(kUiSoundTouch);
        return Dialog::WindowProc(message, wParam, lParam);
    case WM_DESTROY: {
        LRESULT result = Dialog::WindowProc(message, wParam, lParam);
        m_pBackground.reset();
        return result;
    }
    default:
        return Dialog::WindowProc(message, wParam, lParam);
    }
}

void SkinScreen::Paint()
{
    // Drawn straight into the paint's context: it is clipped to what was invalidated, and nothing
    // reaches the glass before the round of painting ends, so a memory bitmap would only add a
    // full-screen fill and copy to every paint.
    {
        PaintScope paint(*this);
        if (HDC dc = paint.Dc()) {
            RECT client;
            GetClientRect(&client);
            DrawBackground(dc, m_pBackground.get(), client);
            PaintContent(dc);
            if (m_statusPainter)
                m_statusPainter(dc);
            if (HasHintLine())
                DrawHintText(dc, m_strHint);
        }
    }
    if (!m_bFirstPaintDone) {
        OnFirstPaint();
        m_bFirstPaintDone = true;
    }
}
