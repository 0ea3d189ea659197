#pragma once

// A static text control: its window text, drawn left-aligned in white on what lies beneath.

#include "platform/win/Window.h"

class Static : public Window {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
