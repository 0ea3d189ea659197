#pragma once

// Told about the top-level windows of the process as they appear, change their title and go, so
// that something outside the window system (the window directory) can list them for other
// programs. Called on the UI thread.

#include "platform/core/Types.h"

#include <string>

class TopLevelObserver {
public:
    virtual void TopLevelChanged(HWND hwnd, const std::string& className, const WString& title) = 0;
    virtual void TopLevelGone(HWND hwnd) = 0;

protected:
    ~TopLevelObserver() = default;
};
