#pragma once

// How the main frame makes its screens without knowing their classes: the application fills this
// table at start-up, one constructor per screen kind. The frame owns what a constructor returns,
// creates its window, shows it and destroys it.

#include "controller/PhoneMessages.h"

#include <memory>

class Dialog;

struct ScreenConstructor {
    std::unique_ptr<Dialog> (*construct)() = nullptr;
    UINT templateId = 0;
};

void SetScreenConstructor(UINT kind, ScreenConstructor constructor);
// Empty (construct null) for kinds without a screen or not registered.
ScreenConstructor GetScreenConstructor(UINT kind);
