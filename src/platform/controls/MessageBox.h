#pragma once

// The device's message box: a modal, centred box with a caption, a text (lines split at line
// feeds) and OK or Yes and No. The owner's top-level window takes no input while it is up, but
// everything else goes on: posted messages, timers and painting keep running in its loop.

#include "platform/core/Messages.h"

// Returns IDOK, IDYES or IDNO (IDCANCEL when the program is closing underneath it).
int MessageBox(HWND owner, const WString& text, const WString& caption, UINT type);
