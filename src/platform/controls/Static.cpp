#include "platform/controls/Static.h"

#include "platform/draw/DrawText.h"
#include "platform/draw/Font.h"
#include "platform/draw/ScopedTextStyle.h"

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
        ScopedTextStyle style(dc, font.get(), RGB(255, 255, 255));
        DrawText(dc, GetWindowText(), client, DT_LEFT);
    }
    EndPaint(&ps);
    return 0;
}
