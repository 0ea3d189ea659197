#include "ui/SkinScreen.h"

#include "platform/draw/Bitmap.h"
#include "platform/draw/Blit.h"
#include "platform/draw/MemoryDC.h"
#include "ui/Background.h"
#include "ui/SkinLayout.h"
#include "ui/SkinText.h"
#include "ui/UiSound.h"

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
    HDC dc = GetDC();
    LoadBackground(dc, BackgroundPath(), &m_pBackground, full);
    ReleaseDC(dc);
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
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(&ps);
    if (dc) {
        RECT client;
        GetClientRect(&client);
        std::unique_ptr<MemoryDC> memory = CreateCompatibleDC(dc);
        std::unique_ptr<Bitmap> bitmap = CreateCompatibleBitmap(dc, client.Width(), client.Height());
        Bitmap* oldBitmap = memory->SelectBitmap(bitmap.get());
        if (m_pBackground)
            m_pBackground->Draw(memory.get(), client);
        PaintContent(memory.get());
        if (m_statusPainter)
            m_statusPainter(memory.get());
        if (HasHintLine())
            DrawHintText(memory.get(), m_strHint);
        BitBlt(dc, 0, 0, client.Width(), client.Height(), memory.get(), 0, 0, SRCCOPY);
        memory->SelectBitmap(oldBitmap);
    }
    EndPaint(&ps);
    if (!m_bFirstPaintDone) {
        OnFirstPaint();
        m_bFirstPaintDone = true;
    }
}
