#pragma once

// The few system metrics the controls and screens ask for.

constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYHSCROLL = 3;
constexpr int SM_CYVSCROLL = 20;
constexpr int SM_CXHSCROLL = 21;

// Scroll bars are wide enough for a finger on a touch panel.
constexpr int kScrollBarSize = 16;

int GetSystemMetrics(int index);
