#include "platform/controls/FrameWindow.h"

#include "platform/controls/Application.h"
#include "platform/win/WindowApi.h"

LRESULT FrameWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = Window::WindowProc(message, wParam, lParam);
    if (message == WM_DESTROY) {
        Application* app = Application::Current();
        if (app && app->GetMainWnd() == this) {
            app->SetMainWnd(nullptr);
            PostQuitMessage(0);
        }
    }
    return result;
}
