#include "platform/controls/SystemMetrics.h"

#include "platform/win/WindowSystem.h"

int GetSystemMetrics(int index)
{
    // The screen is the window system's; without one there is none.
    WindowSystem* system = WindowSystem::Current();
    switch (index) {
    case SM_CXSCREEN:
        return system ? int(system->Screen().Width()) : 0;
    case SM_CYSCREEN:
        return system ? int(system->Screen().Height()) : 0;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
        return kScrollBarSize;
    default:
        return 0;
    }
}
