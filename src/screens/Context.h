#pragma once

// The one way screens reach the application: the context the main frame hands out.

#include "controller/ScreenContext.h"

class SkinScreen;

// Null while the application has no main frame (never while a screen is up).
ScreenContext* Context();
// Hands the screen the main frame's status line to paint; the context, null without one.
ScreenContext* AttachStatusLine(SkinScreen& screen);
