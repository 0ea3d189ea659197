#pragma once

// How the main frame makes its screens without knowing their classes: the application fills this
// table at start-up, one constructor per screen kind. A constructor builds the screen object,
// stores it in the frame's typed pointer for its kind and returns it as a dialog; the frame
// creates, shows, destroys and deletes it.

#include "controller/PhoneMessages.h"

class CMainFrame;
class Dialog;

struct ScreenConstructor {
    Dialog* (*construct)(CMainFrame& frame) = nullptr;
    UINT templateId = 0;
};

void SetScreenConstructor(UINT kind, ScreenConstructor constructor);
// Empty (construct null) for kinds without a screen or not registered.
ScreenConstructor GetScreenConstructor(UINT kind);
