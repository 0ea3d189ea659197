#pragma once

// The device's free window functions, over the current window system.

#include "platform/core/Types.h"

class RemoteWindows;

// Any thread. False when the handle names no window or no window system runs. A handle of another
// program's window goes to that program while remote windows are installed.
bool PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// UI thread.
LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
bool IsWindow(HWND hwnd);
// Either may be null to match any; the class is the window class name. This program's windows
// first, then those of the other programs, while remote windows are installed.
HWND FindWindowW(const char* className, const WString* title);
HWND GetForegroundWindow();
// These three also reach another program's window (carried out there in order with its
// messages), as a second launch of a program shows the running instance.
bool SetForegroundWindow(HWND hwnd);
bool ShowWindow(HWND hwnd, int command);
bool SetFocus(HWND hwnd);
void PostQuitMessage(int exitCode);
// The window that gets every mouse message until released.
void SetCapture(HWND hwnd);
void ReleaseCapture();
HWND GetCapture();

// Installs the way to other programs' windows (the window directory does); null removes it. Removal
// waits for remote calls in progress, so the object may go once this returns.
void SetRemoteWindows(RemoteWindows* remote);
