#pragma once

// The windows of other programs on the same device, as the free window functions reach them.
// Installed with SetRemoteWindows (WindowApi.h) while the window directory runs.

#include "platform/core/Types.h"

class RemoteWindows {
public:
    // Any thread. False when the owning program cannot be reached.
    virtual bool PostRemote(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // A top-level window of another program; either criterion may be null to match any.
    virtual HWND FindRemote(const char* className, const WString* title) = 0;

protected:
    ~RemoteWindows() = default;
};
