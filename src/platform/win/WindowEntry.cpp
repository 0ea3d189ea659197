#include "platform/win/WindowEntry.h"

#include "platform/core/Text.h"
#include "platform/win/WindowSystem.h"

#include <charconv>
#include <cstdio>

namespace {

constexpr std::string_view kHeader = "ostrilan-window 1\n";

// Takes "<key> <value>\n" off the front of the text.
std::optional<std::string_view> TakeLine(std::string_view& text, std::string_view key)
{
    if (text.size() <= key.size() || text.substr(0, key.size()) != key || text[key.size()] != ' ')
        return std::nullopt;
    size_t end = text.find('\n');
    if (end == std::string_view::npos)
        return std::nullopt;
    std::string_view value = text.substr(key.size() + 1, end - key.size() - 1);
    text.remove_prefix(end + 1);
    return value;
}

template <typename T> std::optional<T> Number(std::string_view text, int base)
{
    if (base == 16) {
        if (text.size() < 3 || text.substr(0, 2) != "0x")
            return std::nullopt;
        text.remove_prefix(2);
    }
    T value {};
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

}

std::string WindowEntry::FileName(HWND hwnd)
{
    char name[32];
    std::snprintf(
        name, sizeof name, "%016llX.win", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(hwnd)));
    return name;
}

std::string WindowEntry::Serialize() const
{
    char numbers[96];
    std::snprintf(numbers, sizeof numbers, "handle 0x%016llX\npid %u\n",
        static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(hwnd)), pid);
    std::string oneLineClass = className;
    for (char& c : oneLineClass) {
        if (c == '\n')
            c = ' ';
    }
    return std::string(kHeader) + numbers + "class " + oneLineClass + "\ntitle " + ToUtf8(title) + "\n";
}

std::optional<WindowEntry> WindowEntry::Parse(std::string_view text)
{
    if (text.substr(0, kHeader.size()) != kHeader)
        return std::nullopt;
    text.remove_prefix(kHeader.size());
    auto handle = TakeLine(text, "handle");
    auto pid = TakeLine(text, "pid");
    auto className = TakeLine(text, "class");
    if (!handle || !pid || !className || text.substr(0, 6) != "title " || text.back() != '\n')
        return std::nullopt;
    auto handleValue = Number<uint64_t>(*handle, 16);
    auto pidValue = Number<uint32_t>(*pid, 10);
    if (!handleValue || !pidValue || *pidValue == 0)
        return std::nullopt;
    WindowEntry entry;
    entry.hwnd = reinterpret_cast<HWND>(uintptr_t(*handleValue));
    entry.pid = *pidValue;
    if (WindowSystem::ProcessOfHandle(entry.hwnd) != entry.pid)
        return std::nullopt;
    entry.className = std::string(*className);
    entry.title = FromUtf8(text.substr(6, text.size() - 7));
    return entry;
}
