#pragma once

// Filling the status line's texts from the language file. The file is outside data, so only the
// first %d (the count) and the first %s (a name) are taken as placeholders and %% as a percent
// sign; anything else, a second placeholder included, is shown as written.

#include "platform/core/Types.h"

WString FillStatusText(const WString& format, int count, const WString& name);
