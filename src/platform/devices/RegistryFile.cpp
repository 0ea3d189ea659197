#include "platform/devices/RegistryFile.h"

#include <algorithm>
#include <cstdio>

namespace {

char Fold(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

bool SameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Fold(x) == Fold(y); });
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// "[HKEY_...\...]" gives the key; the deletion form "[-...]" and anything else is not a key.
std::optional<std::string> ParseKeyLine(std::string_view line)
{
    if (line.size() < 3 || line.front() != '[' || line.back() != ']' || line[1] == '-')
        return std::nullopt;
    std::string_view key = line.substr(1, line.size() - 2);
    if (key.find_first_of("[]") != std::string_view::npos)
        return std::nullopt;
    return std::string(key);
}

// "\"name\"" with \" and \\ escapes; the rest of the line after the closing quote is left in rest.
std::optional<std::string> ParseQuotedName(std::string_view line, std::string_view& rest)
{
    if (line.empty() || line.front() != '"')
        return std::nullopt;
    std::string name;
    for (size_t i = 1; i < line.size(); ++i) {
        char c = line[i];
        if (c == '\\' && i + 1 < line.size()) {
            name += line[++i];
        } else if (c == '"') {
            rest = line.substr(i + 1);
            return name;
        } else {
            name += c;
        }
    }
    return std::nullopt;
}

std::optional<DWORD> ParseDword(std::string_view text)
{
    constexpr std::string_view prefix = "dword:";
    if (text.size() <= prefix.size() || text.size() > prefix.size() + 8
        || !SameName(text.substr(0, prefix.size()), prefix))
        return std::nullopt;
    DWORD value = 0;
    for (char c : text.substr(prefix.size())) {
        int digit = (c >= '0' && c <= '9') ? c - '0'
            : (c >= 'a' && c <= 'f')       ? c - 'a' + 10
            : (c >= 'A' && c <= 'F')       ? c - 'A' + 10
                                           : -1;
        if (digit < 0)
            return std::nullopt;
        value = (value << 4) | DWORD(digit);
    }
    return value;
}

std::string QuoteName(std::string_view name)
{
    std::string quoted = "\"";
    for (char c : name) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + '"';
}

}

RegistryFile RegistryFile::Parse(std::string_view text)
{
    constexpr std::string_view utf8Bom = "\xEF\xBB\xBF";
    if (text.substr(0, utf8Bom.size()) == utf8Bom)
        text.remove_prefix(utf8Bom.size());

    RegistryFile file;
    Section* current = nullptr;
    bool headerSeen = false;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view raw = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        while (!raw.empty() && raw.back() == '\r')
            raw.remove_suffix(1);
        std::string_view line = Trim(raw);
        if (line.empty())
            continue;
        if (!headerSeen && !current && file.m_preamble.empty() && line == kHeader) {
            headerSeen = true;
            continue;
        }
        if (auto key = ParseKeyLine(line)) {
            current = file.FindSection(*key);
            if (!current) {
                file.m_sections.push_back({ *key, {} });
                current = &file.m_sections.back();
            }
            continue;
        }
        std::string_view rest;
        auto name = ParseQuotedName(line, rest);
        std::string_view data = Trim(rest);
        std::optional<DWORD> value;
        if (name && current && !data.empty() && data.front() == '=')
            value = ParseDword(Trim(data.substr(1)));
        if (value) {
            SetIn(*current, *name, *value);
        } else if (current) {
            current->lines.push_back({ std::nullopt, 0, std::string(raw) });
        } else {
            file.m_preamble.emplace_back(raw);
        }
    }
    return file;
}

std::string RegistryFile::Serialize() const
{
    std::string text(kHeader);
    text += "\n\n";
    for (const std::string& line : m_preamble)
        text += line + '\n';
    if (!m_preamble.empty())
        text += '\n';
    for (const Section& section : m_sections) {
        text += '[' + section.key + "]\n";
        for (const Line& line : section.lines) {
            if (line.name) {
                char data[16];
                std::snprintf(data, sizeof data, "%08x", unsigned(line.value));
                text += QuoteName(*line.name) + "=dword:" + data + '\n';
            } else {
                text += line.raw + '\n';
            }
        }
        text += '\n';
    }
    return text;
}

bool RegistryFile::HasKey(std::string_view key) const
{
    return FindSection(key) != nullptr;
}

void RegistryFile::CreateKey(std::string_view key)
{
    if (!FindSection(key))
        m_sections.push_back({ std::string(key), {} });
}

std::optional<DWORD> RegistryFile::QueryDword(std::string_view key, std::string_view name) const
{
    const Section* section = FindSection(key);
    if (!section)
        return std::nullopt;
    for (const Line& line : section->lines) {
        if (line.name && SameName(*line.name, name))
            return line.value;
    }
    return std::nullopt;
}

std::optional<std::string> RegistryFile::QueryString(std::string_view key, std::string_view name) const
{
    const Section* section = FindSection(key);
    if (!section)
        return std::nullopt;
    for (const Line& line : section->lines) {
        std::string_view rest;
        std::optional<std::string> lineName = line.name ? std::nullopt : ParseQuotedName(Trim(line.raw), rest);
        if (!lineName || !SameName(*lineName, name))
            continue;
        rest = Trim(rest);
        if (rest.empty() || rest.front() != '=')
            continue;
        std::string_view text = Trim(rest.substr(1));
        std::string_view after;
        std::optional<std::string> value = ParseQuotedName(text, after);
        if (value && Trim(after).empty())
            return value;
    }
    return std::nullopt;
}

void RegistryFile::SetDword(std::string_view key, std::string_view name, DWORD value)
{
    CreateKey(key);
    SetIn(*FindSection(key), name, value);
}

std::vector<std::string> RegistryFile::UnparsedLines() const
{
    std::vector<std::string> lines = m_preamble;
    for (const Section& section : m_sections) {
        for (const Line& line : section.lines) {
            if (!line.name)
                lines.push_back(line.raw);
        }
    }
    return lines;
}

RegistryFile::Section* RegistryFile::FindSection(std::string_view key)
{
    auto it = std::find_if(
        m_sections.begin(), m_sections.end(), [&](const Section& s) { return SameName(s.key, key); });
    return it == m_sections.end() ? nullptr : &*it;
}

const RegistryFile::Section* RegistryFile::FindSection(std::string_view key) const
{
    return const_cast<RegistryFile*>(this)->FindSection(key);
}

void RegistryFile::SetIn(Section& section, std::string_view name, DWORD value)
{
    for (Line& line : section.lines) {
        if (line.name && SameName(*line.name, name)) {
            line.value = value;
            return;
        }
    }
    section.lines.push_back({ std::string(name), value, {} });
}
