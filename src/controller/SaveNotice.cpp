#include "controller/SaveNotice.h"

#include "platform/devices/LanguageLibrary.h"
#include "platform/tooling/Log.h"

#include <array>

namespace {

constexpr size_t kTextChars = 128;

// Each kind's text key in the language files, and its English when a file lacks it.
struct NoticeText {
    std::string_view key;
    const char16_t* english;
};
constexpr NoticeText kCalls { "MFRM0901", u"Calls could not be saved" };
constexpr NoticeText kSettings { "MFRM0902", u"Settings could not be saved" };

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
    const NoticeText& notice = m_kind == Kind::Calls ? kCalls : kSettings;
    std::array<WCHAR, kTextChars + 1> text {};
    if (language && language->GetText(notice.key, text.data(), kTextChars) && text[0] != 0)
        return WString(text.data());
    return WString(notice.english);
}
