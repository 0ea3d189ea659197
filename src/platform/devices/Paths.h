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
// Counts the overrides, so that what is derived from the folders can be kept until the next one.
uint64_t ModuleFolderChanges();

// The folder of the read-only files the program ships (images/, lang/, ringtone/, fonts/, the
// sounds under FileBox/) for an executable in exeFolder: that folder itself when images/ lies
// beside the executable (the build's application folder, a copy of it); for an installed copy
// (exeFolder /usr/bin) the data folder of its prefix, ../share/ostrilan, when that exists.
std::filesystem::path AssetFolderFor(const std::filesystem::path& exeFolder);
// AssetFolderFor the running executable's folder; once found with its images, kept until the
// module folder is overridden again.
std::filesystem::path AssetFolder();

// Whether the program keeps what it writes beside itself, as on the device: only in an application
// folder this user may write into (the build folder, a copy in the home folder). An installed copy
// never does, even for root: its files belong to the package.
bool WritesBesideProgram();

// Where an installed copy keeps what it writes: $XDG_DATA_HOME/ostrilan, by default
// ~/.local/share/ostrilan. Empty when neither variable is set.
std::filesystem::path UserDataFolder();

// OSTRILAN_ROOT when set; otherwise the application folder, or the user's data folder when the
// program does not write beside itself (registry and named objects are written under the root).
std::filesystem::path DeviceRoot();

// The folder of the data files: the application folder's data/ as on the device; for a copy that
// does not write beside itself, data/ under the device root.
std::filesystem::path DataFolder();

// A device path with backslashes, absolute from the device root; each component matches an
// existing entry regardless of case where one exists. Under the user's data folder, a path that is
// not there resolves in the asset folder, which holds the installed files (the sounds).
std::filesystem::path ResolveDevicePath(const WString& devicePath);

// A path relative to a folder with backslash separators ("callhist\bg_callhist.pbg"), as a
// Linux path below that folder.
std::filesystem::path JoinBackslashPath(const std::filesystem::path& folder, const WString& relative);
