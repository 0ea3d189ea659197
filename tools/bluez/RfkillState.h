#pragma once

// The kernel's radio switches as /sys/class/rfkill shows them: one folder per switch with its
// "type", "soft" and "hard" files. BlueZ reports a blocked adapter as merely off on older
// versions, so the switches are read to tell the two apart. The folder is an option, so tests
// can lay out switches of their own.

#include <filesystem>

namespace rfkill {

inline constexpr const char* kDefaultFolder = "/sys/class/rfkill";

// A Bluetooth switch is blocked, soft or hard; false when there is none or it cannot be read.
bool BluetoothBlocked(const std::filesystem::path& folder);

}
