#pragma once

// The device's language setting as a Windows language identifier (primary language in the low ten
// bits, sublanguage above: 0x0407 German, 0x0809 British English). OSTRILAN_LANG overrides it;
// otherwise it follows the locale of the environment (LC_ALL, LC_MESSAGES, LANG, the first one
// set wins, as for any Linux program).

#include "platform/core/Types.h"

#include <optional>
#include <string_view>

using LANGID = WORD;

class DeviceLanguage {
public:
    // US English: the answer for the C and POSIX locales and for any locale not known here.
    static constexpr LANGID kDefault = 0x0409;

    static LANGID Current();

    // "1031" or "0x0407" (also "0X"); nullopt for anything else or a value above 0xFFFF, so that
    // a mistyped override falls back to the locale instead of choosing some language.
    static std::optional<LANGID> ParseIdentifier(std::string_view text);

    // "de_DE.UTF-8", "fr_CA", "pt_PT@euro", "sv" -> the identifier; a known language with a region
    // not listed gets that language's default sublanguage.
    static LANGID FromLocale(std::string_view locale);
};
