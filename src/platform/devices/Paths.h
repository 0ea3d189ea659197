#pragma once

// Where things are on disk. The application folder is the folder of the running executable; the
// device root (OSTRILAN_ROOT, by default the application folder) stands for the root of the
// device's file system, under which absolute device paths such as \FileBox\...\btnClick.snd
// resolve case-insensitively, as on the device.

#include "platform/core/Types.h"

#include <filesystem>

// The full path of the running executable (the device's GetModuleFileNameW).
std::filesystem::path ModuleFileName();
// Tests run from another folder than the application's: this makes ModuleFileName answer as if
// the executable lay in the given folder. An empty path restores the real answer.
void OverrideModuleFolder(const std::filesystem::path& folder);

std::filesystem::path DeviceRoot();

// A device path with backslashes, absolute from the device root; each component matches an
// existing entry regardless of case where one exists.
std::filesystem::path ResolveDevicePath(const WString& devicePath);

// A path relative to a folder with backslash separators ("callhist\bg_callhist.pbg"), as a
// Linux path below that folder.
std::filesystem::path JoinBackslashPath(const std::filesystem::path& folder, const WString& relative);
