#include "screens/Context.h"

#include "controller/MainFrame.h"
#include "platform/controls/Application.h"

ScreenContext* Context()
{
    Application* app = Application::Current();
    auto* frame = app ? dynamic_cast<CMainFrame*>(app->GetMainWnd()) : nullptr;
    return frame ? frame->Context() : nullptr;
}
