#pragma once

// The skin a run shows: the device's own unless one is named, by the command line's
// --skin NAME, else OSTRILAN_SKIN, else the registry's "Skin" value. A named skin is the folder
// skins/NAME/ of the asset folder: its images/ laid out as the device's images folder, and
// skin.layout with every control's place. Chosen once at start, before any screen opens.

#include <string>

namespace skin {

// The name asked for: the command line's (empty when it names none), the environment's, the
// registry's, in that order.
std::string AskedSkin(const std::string& fromCommandLine);

// Makes the named skin current, its images and places; the device's for an empty name. A name
// that is not a plain folder name, a folder without images/, or a skin.layout that cannot be read
// or is not whole leaves the device's skin, with one log line that says why. True when the named
// skin is shown.
bool UseSkin(const std::string& name);

}
