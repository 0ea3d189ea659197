#include "platform/win/WindowApi.h"

#include "platform/win/WindowSystem.h"

bool PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowSystem* system = WindowSystem::Current();
    return system && system->Post(hwnd, message, wParam, lParam);
}

LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowSystem* system = WindowSystem::Current();
    return system ? system->Send(hwnd, message, wParam, lParam) : 0;
}

bool IsWindow(HWND hwnd)
{
    WindowSystem* system = WindowSystem::Current();
    return system && system->IsWindow(hwnd);
}

HWND FindWindowW(const char* className, const WString* title)
{
    WindowSystem* system = WindowSystem::Current();
    return system ? system->FindWindow(className, title) : nullptr;
}

HWND GetForegroundWindow()
{
    WindowSystem* system = WindowSystem::Current();
    return system ? system->GetForegroundWindow() : nullptr;
}

bool SetForegroundWindow(HWND hwnd)
{
    WindowSystem* system = WindowSystem::Current();
    return system && system->SetForegroundWindow(hwnd);
}

void PostQuitMessage(int exitCode)
{
    if (WindowSystem* system = WindowSystem::Current())
        system->PostQuitMessage(exitCode);
}

void SetCapture(HWND hwnd)
{
    if (WindowSystem* system = WindowSystem::Current())
        system->SetCapture(hwnd);
}

void ReleaseCapture()
{
    if (WindowSystem* system = WindowSystem::Current())
        system->ReleaseCapture();
}

HWND GetCapture()
{
    WindowSystem* system = WindowSystem::Current();
    return system ? system->GetCapture() : nullptr;
}
