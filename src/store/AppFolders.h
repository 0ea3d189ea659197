#pragma once

// The application's folders beside its executable. Paths are wide texts, as the rest of the system
// keeps them; on Linux the separators are slashes.

#include "platform/core/Types.h"

WString AppFolder();
WString RingtonePath(const WString& name);
WString ImagePath(const WString& name);
WString LangPath(const WString& name);
WString DataPath(const WString& name);
