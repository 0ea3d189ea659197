#pragma once

// A headless window system on the virtual clock, for the tests of windows, input and painting.

#include "platform/win/WindowSystem.h"
#include "support/RecordingWindow.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

using testenv::RecordingWindow;

constexpr RECT kFull { 0, 0, 480, 272 };

class WindowTest : public ::testing::Test {
protected:
    COLORREF At(int x, int y) { return Surface::ToColorRef(system.Screen().Pixel(x, y)); }
    // A finger's tap, handled before it returns.
    void Tap(int x, int y)
    {
        system.InjectMouse(WM_LBUTTONDOWN, x, y);
        system.InjectMouse(WM_LBUTTONUP, x, y);
        system.Idle();
    }

    testenv::ScopedVirtualClock clock;
    WindowSystem system;
};
