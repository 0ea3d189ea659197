// ostrilan-demo: a 480 x 272 window with four panels. A tap on a panel toggles its colour and
// prints "click <id>"; F10 prints "key F10"; closing the window ends the program.

#include "platform/backends/BackendFactory.h"
#include "platform/tooling/AutomationEndpoint.h"
#include "platform/tooling/AutomationServer.h"
#include "platform/win/Window.h"
#include "platform/win/WindowApi.h"
#include "platform/win/WindowSystem.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr COLORREF kBackground = RGB(16, 24, 40);
constexpr COLORREF kPanel = RGB(40, 90, 160);
constexpr COLORREF kPanelOn = RGB(240, 170, 40);

class Panel : public Window {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(&ps);
            RECT r;
            GetClientRect(&r);
            if (dc)
                dc->FillSolidRect(r, m_on ? kPanelOn : kPanel);
            EndPaint(&ps);
            return 0;
        }
        case WM_LBUTTONUP:
            m_on = !m_on;
            std::printf("click %d\n", GetDlgCtrlID());
            std::fflush(stdout);
            Invalidate(false);
            return 0;
        default:
            return Window::WindowProc(message, wParam, lParam);
        }
    }

private:
    bool m_on = false;
};

class Frame : public Window {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_KEYUP) {
            std::printf("key F%u\n", unsigned(wParam - VK_F1 + 1));
            std::fflush(stdout);
            return 0;
        }
        if (message == WM_DESTROY)
            PostQuitMessage(0);
        return Window::WindowProc(message, wParam, lParam);
    }
};

}

int main()
{
    WindowSystem system(CreateDisplayBackend(480, 272));
    Frame frame;
    frame.SetBackgroundColor(kBackground);
    frame.Create(nullptr, RECT { 0, 0, 480, 272 }, WS_POPUP | WS_VISIBLE, 0, u"ostrilan-demo");
    std::vector<std::unique_ptr<Panel>> panels;
    for (int i = 0; i < 4; ++i) {
        auto panel = std::make_unique<Panel>();
        int x = 20 + (i % 2) * 230;
        int y = 20 + (i / 2) * 120;
        panel->Create(&frame, RECT { x, y, x + 210, y + 100 }, WS_CHILD | WS_VISIBLE, UINT(1001 + i));
        panels.push_back(std::move(panel));
    }
    std::unique_ptr<AutomationServer> automation;
    if (const char* value = std::getenv("OSTRILAN_AUTOMATION")) {
        auto path = AutomationEndpoint::Resolve(value);
        if (path.index() == 0)
            automation = std::make_unique<AutomationServer>(system, std::get<0>(path));
        if (!automation || !automation->Start()) {
            std::fprintf(stderr, "ostrilan-demo: automation socket: %s\n",
                automation ? automation->Error().c_str() : std::get<1>(path).c_str());
            return 3;
        }
    }
    std::printf("ready\n");
    std::fflush(stdout);
    int code = system.Run();
    if (automation)
        automation->Stop();
    return code;
}
