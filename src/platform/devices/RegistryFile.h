#pragma once

// The contents of one registry hive file, kept as text in the format of a registry export:
//
//     Windows Registry Editor Version 5.00
//
//     [HKEY_LOCAL_MACHINE\SOFTWARE\Quorva\Ostrilan]
//     "MicGain"=dword:00000004
//
// Key and value names compare without regard to case, as on the device. DWORD values are
// understood, string values ("Skin"="large") only read; every other line (other value types,
// comments, damage) is kept as it stood and written back unchanged, so a damaged file loses
// nothing that a later repair could want.

#include "platform/core/Types.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class RegistryFile {
public:
    static constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";

    // Reads as much as parses; never fails.
    static RegistryFile Parse(std::string_view text);
    std::string Serialize() const;

    // Keys are full paths with their root ("HKEY_LOCAL_MACHINE\SOFTWARE\...").
    bool HasKey(std::string_view key) const;
    void CreateKey(std::string_view key);
    std::optional<DWORD> QueryDword(std::string_view key, std::string_view name) const;
    // A string value, its \" and \\ escapes undone.
    std::optional<std::string> QueryString(std::string_view key, std::string_view name) const;
    // Creates the key when it is missing.
    void SetDword(std::string_view key, std::string_view name, DWORD value);

    // Lines that did not parse, in file order (without their line ends).
    std::vector<std::string> UnparsedLines() const;

private:
    struct Line {
        // A DWORD value when name is set; otherwise the raw text of a line kept as it stood.
        std::optional<std::string> name;
        DWORD value = 0;
        std::string raw;
    };
    struct Section {
        std::string key;
        std::vector<Line> lines;
    };

    Section* FindSection(std::string_view key);
    const Section* FindSection(std::string_view key) const;
    static void SetIn(Section& section, std::string_view name, DWORD value);

    std::vector<std::string> m_preamble;
    std::vector<Section> m_sections;
};
