#pragma once

// The windows of other programs on the same device, as the free window functions reach them.
// Installed with SetRemoteWindows (WindowApi.h) while the window directory runs.

#include "platform/core/Types.h"

// What one program may do to another's window besides posting to it: what a second launch does
// to the running instance (show it, bring it to the front, give it the focus).
enum class RemoteCommand : uint32_t {
    Show = 1, // argument: the show command (SW_SHOW, SW_HIDE, ...)
    Foreground = 2,
    Focus = 3,
};

class RemoteWindows {
public:
    // Any thread. False when the owning program cannot be reached.
    virtual bool PostRemote(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // Any thread. Carried out in the owning program in order with its messages.
    virtual bool CommandRemote(HWND hwnd, RemoteCommand command, int argument) = 0;
    // A top-level window of another program; either criterion may be null to match any.
    virtual HWND FindRemote(const char* className, const WString* title) = 0;

protected:
    ~RemoteWindows() = default;
};
