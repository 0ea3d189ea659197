#pragma once

// The application's folders: the read-only ones in the asset folder (beside the executable, or an
// installed copy's share folder), data/ where the program keeps what it writes. Paths are wide
// texts, as the rest of the system keeps them; on Linux the separators are slashes.

#include "platform/core/Types.h"

// The asset folder, ending with a separator.
WString AppFolder();
WString RingtonePath(const WString& name);
// Below the images of the skin in use: images/, or skins/<skin>/images/ once UseSkinImages named
// another skin (an empty name is the device's again).
WString ImagePath(const WString& name);
void UseSkinImages(const WString& skin);
// The folder of a skin other than the device's, ending with a separator.
WString SkinFolder(const WString& skin);
WString LangPath(const WString& name);
WString DataPath(const WString& name);
