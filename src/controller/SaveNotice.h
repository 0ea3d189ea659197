#pragma once

// Tells the driver once that calls, or the settings (preferences, the paired phones' names), are
// not being saved (a read-only or full data folder): the first failed save after a good one logs a
// line and gives the status-line text; further failures stay quiet until a save succeeds again.
// What was not saved stays in memory and the next save retries.

#include "platform/core/Types.h"

#include <optional>
#include <string_view>

class LanguageLibrary;

class SaveNotice {
public:
    enum class Kind { Calls, Settings };

    explicit SaveNotice(Kind kind = Kind::Calls) : m_kind(kind) { }

    // One save's result: the text to show when this is the first failure in a row.
    std::optional<WString> Report(bool saved, std::string_view what, const LanguageLibrary* language);
    bool Failing() const { return m_failing; }

private:
    Kind m_kind;
    bool m_failing = false;
};
