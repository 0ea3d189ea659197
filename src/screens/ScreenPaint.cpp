#include "screens/ScreenPaint.h"

#include "platform/win/Window.h"
#include "screens/Context.h"

void PaintStatusLine(Window& screen)
{
    PAINTSTRUCT ps;
    HDC dc = screen.BeginPaint(&ps);
    if (ScreenContext* ctx = Context(); ctx && dc)
        ctx->DrawStatusText(dc);
    screen.EndPaint(&ps);
}
