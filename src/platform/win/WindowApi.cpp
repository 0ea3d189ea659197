#include "platform/win/WindowApi.h"

#include "platform/win/RemoteWindows.h"
#include "platform/win/Window.h"
#include "platform/win/WindowSystem.h"

#include <shared_mutex>
#include <unistd.h>

namespace {

std::shared_mutex g_remoteMutex;
RemoteWindows* g_remote = nullptr;

bool IsOfOtherProcess(HWND hwnd)
{
    return hwnd && WindowSystem::ProcessOfHandle(hwnd) != uint32_t(::getpid());
}

bool Command(HWND hwnd, RemoteCommand command, int argument)
{
    std::shared_lock lock(g_remoteMutex);
    return g_remote && g_remote->CommandRemote(hwnd, command, argument);
}

}

void SetRemoteWindows(RemoteWindows* remote)
{
    std::unique_lock lock(g_remoteMutex);
    g_remote = remote;
}

bool PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (IsOfOtherProcess(hwnd)) {
        std::shared_lock lock(g_remoteMutex);
        return g_remote && g_remote->PostRemote(hwnd, message, wParam, lParam);
    }
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
    if (HWND local = system ? system->FindWindow(className, title) : nullptr)
        return local;
    std::shared_lock lock(g_remoteMutex);
    return g_remote ? g_remote->FindRemote(className, title) : nullptr;
}

HWND GetForegroundWindow()
{
    WindowSystem* system = WindowSystem::Current();
    return system ? system->GetForegroundWindow() : nullptr;
}

bool SetForegroundWindow(HWND hwnd)
{
    if (IsOfOtherProcess(hwnd))
        return Command(hwnd, RemoteCommand::Foreground, 0);
    WindowSystem* system = WindowSystem::Current();
    return system && system->SetForegroundWindow(hwnd);
}

bool ShowWindow(HWND hwnd, int command)
{
    if (IsOfOtherProcess(hwnd))
        return Command(hwnd, RemoteCommand::Show, command);
    WindowSystem* system = WindowSystem::Current();
    Window* window = system ? system->FromHandle(hwnd) : nullptr;
    return window && window->ShowWindow(command);
}

bool SetFocus(HWND hwnd)
{
    if (IsOfOtherProcess(hwnd))
        return Command(hwnd, RemoteCommand::Focus, 0);
    WindowSystem* system = WindowSystem::Current();
    if (!system || (hwnd && !system->IsWindow(hwnd)))
        return false;
    system->SetFocus(hwnd);
    return true;
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
