#include "screens/ScreenPaint.h"

#include "platform/win/Window.h"
#include "screens/Context.h"
#include "platform/win/PaintScope.h"

void PaintStatusLine(Window& screen)
{
    PaintScope paint(screen);
    if (ScreenContext* ctx = Context(); ctx && paint.Dc())
        ctx->DrawStatusText(paint.Dc());
}
