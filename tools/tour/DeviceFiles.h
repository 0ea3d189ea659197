#pragma once

// Reads what the application leaves on disk, from the outside: the call history files, the
// paired devices, the preferences and the registry file. Written against the file layouts alone,
// without the application's own readers, so a fault in those cannot hide itself.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace devicefiles {

constexpr uint32_t kLastCallMagic = 0x01010102;
constexpr uint32_t kIncomingMagic = 0x01010103;
constexpr uint32_t kOutgoingMagic = 0x01010104;
constexpr uint32_t kMissedMagic = 0x01010105;

struct Call {
    uint32_t type = 0; // 1 incoming answered, 2 outgoing, 3 missed
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    uint32_t duration = 0;
    std::string number;
};

struct PairedDevice {
    std::string address; // twelve hex digits, byte 0 first
    std::string name; // UTF-8
};

struct Preferences {
    std::string homeNumber;
    uint32_t autoAnswer = 0;
    uint32_t ringTone = 0;
};

// The used slots of a history list file, newest first; empty when the file is missing, has the
// wrong size or header (a written list file is exactly 2656 bytes).
std::optional<std::vector<Call>> ReadHistory(const std::filesystem::path& file, uint32_t magic);
std::optional<Call> ReadLastCall(const std::filesystem::path& file);
std::optional<std::vector<PairedDevice>> ReadPairs(const std::filesystem::path& file);
std::optional<Preferences> ReadPreferences(const std::filesystem::path& file);
// A dword value of the registry file; key and value names compare without regard to case.
std::optional<uint32_t> ReadRegistryDword(
    const std::filesystem::path& file, const std::string& key, const std::string& value);

}
