#pragma once

// The system's private window messages and the numbers that name its screens.

#include "platform/core/Types.h"

constexpr UINT WM_PHONE_OPEN_SCREEN = 0x9101;
constexpr UINT WM_PHONE_CLOSE_SCREEN = 0x9102;
constexpr UINT WM_PHONE_HIDE_KEYPAD = 0x9201;
constexpr UINT WM_PHONE_KEYPAD_DIGIT = 0x9202;
constexpr UINT WM_PHONE_CALL_TICK = 0x9301;
// The contact book has new names: the frame tells the screens that show callers or list and offer
// contacts.
constexpr UINT WM_PHONE_CONTACTS_CHANGED = 0x9302;
// To the frame: open the call history on its missed list. To the history: show that list.
constexpr UINT WM_PHONE_SHOW_MISSED = 0x9303;
// To the frame, from the speech worker: the ringing caller's speech is ready (wParam its ticket).
constexpr UINT WM_PHONE_SPEECH_READY = 0x9304;
constexpr UINT WM_PHONE_CLOCK_TIME = 0x8F00;
constexpr UINT WM_PHONE_LOCK_STATE = 0x8F02;
constexpr UINT WM_PHONE_BATTERY_STATE = 0x8F3A;
constexpr UINT WM_PHONE_VOLUME_CHANGED = 0xA3E8;
constexpr UINT WM_PHONE_LAUNCHER_HOME = 0x8F0A;
constexpr UINT WM_PHONE_MEDIA_PAUSE = 0x82FC;

// wParam of the open and close messages. 0 closes every screen; 3 names no screen.
enum ScreenKind : UINT {
    kScreenAll = 0,
    kScreenPlaceCall = 1,
    kScreenCallHist = 2,
    kScreenNone = 3,
    kScreenConnect = 4,
    kScreenPairMode = 5,
    kScreenIncoming = 6,
    kScreenOutgoing = 7,
    kScreenPref = 8,
    // The phone book, opened from the dial pad and the call history.
    kScreenContacts = 9,
};
constexpr UINT kScreenKindCount = 10;
