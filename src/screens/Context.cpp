#include "screens/Context.h"

#include "controller/MainFrame.h"
#include "platform/controls/Application.h"
#include "ui/SkinScreen.h"

ScreenContext* Context()
{
    Application* app = Application::Current();
    auto* frame = app ? dynamic_cast<CMainFrame*>(app->GetMainWnd()) : nullptr;
    return frame ? frame->Context() : nullptr;
}

ScreenContext* AttachStatusLine(SkinScreen& screen)
{
    ScreenContext* ctx = Context();
    if (ctx)
        screen.SetStatusPainter([ctx](HDC dc) { ctx->DrawStatusText(dc); });
    return ctx;
}
