#include "DeviceFiles.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace devicefiles {

namespace {

constexpr size_t kHeaderSize = 32;
constexpr size_t kRecordOffset = 256;
constexpr uint32_t kHeaderWord = 4096;
constexpr size_t kCallSize = 120;
constexpr size_t kListSlots = 20;
constexpr size_t kNumberSize = 32;
constexpr uint32_t kPairMagic = 0x01010101;
constexpr uint32_t kPrefMagic = 0x01010102;
constexpr size_t kPairEntrySize = 518;
constexpr size_t kPairEntries = 100;
constexpr size_t kPairNameChars = 256;
constexpr size_t kPrefSize = 40;

std::optional<std::string> Slurp(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

uint32_t U32(const std::string& b, size_t at)
{
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16
        | uint32_t(uint8_t(b[at + 3])) << 24;
}

int U16(const std::string& b, size_t at)
{
    return int(uint8_t(b[at])) | int(uint8_t(b[at + 1])) << 8;
}

// The common container: magic, 4096, and 256 as the first record's offset.
bool HeaderIs(const std::string& b, uint32_t magic)
{
    return b.size() >= kHeaderSize && U32(b, 0) == magic && U32(b, 4) == kHeaderWord
        && U32(b, 28) == kRecordOffset;
}

std::string Narrow(const std::string& b, size_t at, size_t size)
{
    std::string out = b.substr(at, size);
    return out.substr(0, out.find('\0'));
}

Call CallAt(const std::string& b, size_t at)
{
    Call call;
    call.type = U32(b, at);
    call.year = U16(b, at + 4);
    call.month = U16(b, at + 6);
    call.day = U16(b, at + 10);
    call.hour = U16(b, at + 12);
    call.minute = U16(b, at + 14);
    call.second = U16(b, at + 16);
    call.duration = U32(b, at + 20);
    call.number = Narrow(b, at + 24, kNumberSize);
    return call;
}

void AppendUtf8(std::string& out, uint32_t code)
{
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else {
        out += char(0xF0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3F));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

std::string Lower(std::string text)
{
    std::transform(
        text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

std::string Trim(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t\r");
    size_t last = text.find_last_not_of(" \t\r");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

}

std::optional<std::vector<Call>> ReadHistory(const std::filesystem::path& file, uint32_t magic)
{
    auto b = Slurp(file);
    if (!b || b->size() != kRecordOffset + kListSlots * kCallSize || !HeaderIs(*b, magic))
        return std::nullopt;
    std::vector<Call> calls;
    for (size_t slot = 0; slot < kListSlots; ++slot) {
        Call call = CallAt(*b, kRecordOffset + slot * kCallSize);
        if (call.type != 0)
            calls.push_back(call);
    }
    return calls;
}

std::optional<Call> ReadLastCall(const std::filesystem::path& file)
{
    auto b = Slurp(file);
    if (!b || b->size() != kRecordOffset + kCallSize || !HeaderIs(*b, kLastCallMagic))
        return std::nullopt;
    return CallAt(*b, kRecordOffset);
}

std::optional<std::vector<PairedDevice>> ReadPairs(const std::filesystem::path& file)
{
    auto b = Slurp(file);
    if (!b || b->size() != kRecordOffset + kPairEntries * kPairEntrySize || !HeaderIs(*b, kPairMagic))
        return std::nullopt;
    std::vector<PairedDevice> devices;
    for (size_t i = 0; i < kPairEntries; ++i) {
        size_t at = kRecordOffset + i * kPairEntrySize;
        std::string address;
        bool used = false;
        for (size_t k = 0; k < 6; ++k) {
            char hex[3];
            std::snprintf(hex, sizeof hex, "%02X", unsigned(uint8_t((*b)[at + k])));
            address += hex;
            used = used || (*b)[at + k] != 0;
        }
        if (!used)
            continue;
        PairedDevice device { address, {} };
        for (size_t c = 0; c < kPairNameChars; ++c) {
            uint32_t unit = uint32_t(U16(*b, at + 6 + 2 * c));
            if (unit == 0)
                break;
            if (unit >= 0xD800 && unit < 0xDC00 && c + 1 < kPairNameChars) {
                uint32_t low = uint32_t(U16(*b, at + 6 + 2 * (c + 1)));
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                ++c;
            }
            AppendUtf8(device.name, unit);
        }
        devices.push_back(device);
    }
    return devices;
}

std::optional<Preferences> ReadPreferences(const std::filesystem::path& file)
{
    auto b = Slurp(file);
    if (!b || b->size() < kRecordOffset + kPrefSize || !HeaderIs(*b, kPrefMagic))
        return std::nullopt;
    return Preferences { Narrow(*b, kRecordOffset, kNumberSize), U32(*b, kRecordOffset + 32),
        U32(*b, kRecordOffset + 36) };
}

std::optional<uint32_t> ReadRegistryDword(
    const std::filesystem::path& file, const std::string& key, const std::string& value)
{
    auto text = Slurp(file);
    if (!text)
        return std::nullopt;
    const std::string wantedKey = Lower("[HKEY_LOCAL_MACHINE\\" + key + "]");
    const std::string wantedValue = Lower("\"" + value + "\"");
    std::istringstream lines(*text);
    std::string line;
    bool inKey = false;
    std::optional<uint32_t> found;
    while (std::getline(lines, line)) {
        line = Trim(line);
        if (!line.empty() && line.front() == '[') {
            inKey = Lower(line) == wantedKey;
            continue;
        }
        size_t eq = line.find('=');
        if (!inKey || eq == std::string::npos || Lower(Trim(line.substr(0, eq))) != wantedValue)
            continue;
        std::string data = Lower(Trim(line.substr(eq + 1)));
        if (data.rfind("dword:", 0) != 0 || data.size() != 14
            || data.find_first_not_of("0123456789abcdef", 6) != std::string::npos)
            continue;
        found = uint32_t(std::stoul(data.substr(6), nullptr, 16));
    }
    return found;
}

}
