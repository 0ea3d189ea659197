#pragma once

// What the window directory lists of one top-level window, as the small text file it keeps under
// <root>/run/windows/:
//
//   ostrilan-window 1
//   handle 0x00001A2B00000100
//   pid 6699
//   class QUORVAMUSPLAYER_Win
//   title Strallo_100
//
// The title runs to the end of the file (it may hold anything); the class is one line.

#include "platform/core/Types.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct WindowEntry {
    HWND hwnd = nullptr;
    uint32_t pid = 0;
    std::string className;
    WString title;

    std::string Serialize() const;
    // Empty for anything that is not a whole entry, or whose handle is not of its process.
    static std::optional<WindowEntry> Parse(std::string_view text);
    // The entry's file name: the handle in fixed-width hex, so names sort as handles do.
    static std::string FileName(HWND hwnd);
};
