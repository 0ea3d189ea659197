#pragma once

// The program's texts: one buffer per text key (the device's 128, then those this system added:
// the host stack's causes that only the bridge reports, the failed save, the missed-call notice
// and the linked phone's name), filled once from the language file while the main frame is created
// and read directly by every screen afterwards.

#include "controller/TextKeys.h"
#include "platform/core/Types.h"

#include <array>
#include <string_view>

class LanguageLibrary;
using LANGID = WORD;

class TextTable {
public:
    // The device's 128 texts and those this system added after them, as the catalog lists them.
    static constexpr size_t kKeys = text::kAll.size();
    static constexpr size_t kTextSize = 256;

    // The keys in the order they are loaded.
    static const std::array<std::string_view, kKeys>& Keys();
    // The text of a key; an unknown key gives an empty text.
    static const WCHAR* Text(std::string_view key);
    // Fills every buffer from the library's open file.
    static void Load(const LanguageLibrary& library);
    // Empties every buffer (a new frame in the same process, tests).
    static void Clear();
    // "lang_ger.bin" for 0x0407; unlisted identifiers give "lang_eng.bin".
    static const char16_t* LanguageFile(LANGID language);
};
