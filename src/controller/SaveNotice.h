#pragma once

// Tells the driver once that calls are not being saved (a read-only or full data folder): the
// first failed save after a good one logs a line and gives the status-line text; further failures
// stay quiet until a save succeeds again. The calls stay in memory and the next save retries.

#include "platform/core/Types.h"

#include <optional>
#include <string_view>

class LanguageLibrary;

class SaveNotice {
public:
    // The text's key in the language files; English when a file lacks it.
    static constexpr std::string_view kTextKey = "MFRM0901";
    static constexpr const char16_t* kEnglish = u"Calls could not be saved";

    // One save's result: the text to show when this is the first failure in a row.
    std::optional<WString> Report(bool saved, std::string_view what, const LanguageLibrary* language);
    bool Failing() const { return m_failing; }

private:
    bool m_failing = false;
};
