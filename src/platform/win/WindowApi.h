#pragma once

// The device's free window functions, over the current window system.

#include "platform/core/Types.h"

// Any thread. False when the handle names no window or no window system runs.
bool PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// UI thread.
LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
bool IsWindow(HWND hwnd);
// Either may be null to match any; the class is the window class name.
HWND FindWindowW(const char* className, const WString* title);
HWND GetForegroundWindow();
bool SetForegroundWindow(HWND hwnd);
void PostQuitMessage(int exitCode);
// The window that gets every mouse message until released.
void SetCapture(HWND hwnd);
void ReleaseCapture();
HWND GetCapture();
