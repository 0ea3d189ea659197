#pragma once

// A data file that exists but cannot be read, or fails its checks, is never overwritten: before
// a new one is written it is renamed to "<name>.unreadable-<YYYYMMDD-HHMMSS>" (local time, a
// "-2", "-3" ... added when that name is taken) in the same folder, and one line says so in the
// log. Whatever it still holds can then be looked at or restored by hand.

#include <filesystem>
#include <optional>

class KeptAside {
public:
    // Renames what is at the path aside: the new path, or nothing when nothing is there or the
    // rename failed (the reason is logged then).
    static std::optional<std::filesystem::path> Move(const std::filesystem::path& path);
};
