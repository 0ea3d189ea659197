#pragma once

// The one way screens reach the application: the context the main frame hands out.

#include "controller/ScreenContext.h"

// Null while the application has no main frame (never while a screen is up).
ScreenContext* Context();
