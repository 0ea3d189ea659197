#include "controller/SaveNotice.h"

#include "platform/devices/LanguageLibrary.h"
#include "platform/tooling/Log.h"

#include <array>

namespace {

constexpr size_t kTextChars = 128;

}

std::optional<WString> SaveNotice::Report(bool saved, std::string_view what, const LanguageLibrary* language)
{
    if (saved) {
        if (m_failing)
            Log::Write(Log::Priority::Notice, std::string(what) + " saved again");
        m_failing = false;
        return std::nullopt;
    }
    if (m_failing)
        return std::nullopt;
    m_failing = true;
    Log::Write(Log::Priority::Error,
        std::string(what) + " could not be saved: kept in memory, tried again at the next save");
    std::array<WCHAR, kTextChars + 1> text {};
    if (language && language->GetText(kTextKey, text.data(), kTextChars) && text[0] != 0)
        return WString(text.data());
    return WString(kEnglish);
}
