#include "platform/controls/SystemMetrics.h"

#include "platform/win/WindowSystem.h"

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN:
        return WindowSystem::Current() ? WindowSystem::Current()->Screen().Width() : WindowSystem::kScreenSize.cx;
    case SM_CYSCREEN:
        return WindowSystem::Current() ? WindowSystem::Current()->Screen().Height() : WindowSystem::kScreenSize.cy;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
        return kScrollBarSize;
    default:
        return 0;
    }
}
