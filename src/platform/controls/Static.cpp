#include "platform/controls/Static.h"

#include "platform/draw/DrawText.h"
#include "platform/draw/Font.h"

LRESULT Static::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTEXT) {
        Invalidate(true);
        return 0;
    }
    if (message != WM_PAINT)
        return Window::WindowProc(message, wParam, lParam);
    PAINTSTRUCT ps;
    if (HDC dc = BeginPaint(&ps)) {
        static const std::unique_ptr<Font> font = CreateFont(14, 0, FW_BOLD, DEFAULT_CHARSET, FF_SWISS, u"Tahoma");
        RECT client;
        GetClientRect(&client);
        const Font* old = dc->SelectFont(font.get());
        COLORREF oldColor = dc->SetTextColor(RGB(255, 255, 255));
        int oldMode = dc->SetBkMode(TRANSPARENT);
        DrawText(dc, GetWindowText(), client, DT_LEFT);
        dc->SetBkMode(oldMode);
        dc->SetTextColor(oldColor);
        dc->SelectFont(old);
    }
    EndPaint(&ps);
    return 0;
}
