#pragma once

// The application's top-level frame. Destroying the application's main frame ends the program's
// loop, as closing the main window did on the device.

#include "platform/win/Window.h"

class FrameWindow : public Window {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
