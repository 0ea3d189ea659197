#include "platform/controls/Application.h"

#include "platform/win/WindowSystem.h"

namespace {

Application* g_current = nullptr;

}

Application::Application() { g_current = this; }

Application::~Application()
{
    if (g_current == this)
        g_current = nullptr;
}

Application* Application::Current() { return g_current; }

int Application::Run(WindowSystem& system)
{
    if (!InitInstance())
        return ExitInstance();
    m_exitCode = system.Run();
    return ExitInstance();
}

void BeginWaitCursor()
{
    if (WindowSystem* system = WindowSystem::Current())
        system->Backend().SetBusy(true);
}

void EndWaitCursor()
{
    if (WindowSystem* system = WindowSystem::Current())
        system->Backend().SetBusy(false);
}
