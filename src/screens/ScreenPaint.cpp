#include "screens/ScreenPaint.h"

#include "controller/MainFrame.h"
#include "platform/controls/Application.h"

void PaintStatusLine(Window& screen)
{
    PAINTSTRUCT ps;
    HDC dc = screen.BeginPaint(&ps);
    Application* app = Application::Current();
    if (auto* frame = app ? dynamic_cast<CMainFrame*>(app->GetMainWnd()) : nullptr; frame && dc)
        frame->DrawStatusText(dc);
    screen.EndPaint(&ps);
}
