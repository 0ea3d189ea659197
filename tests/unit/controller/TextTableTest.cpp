#include "controller/TextTable.h"
#include "platform/core/Text.h"
#include "platform/devices/CatalogReader.h"
#include "platform/devices/LanguageLibrary.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

namespace {

const char* const kLanguages[] = { "cze", "dan", "ger", "gre", "eng", "spa", "fin", "fre", "hun", "ita",
    "dut", "pol", "rom", "rus", "slo", "swe", "euk", "por" };

// Texts used as a printf format with one integer argument.
const std::string_view kFormatKeys[] = { "CNMS0402", "PMMS0602", "PMMS0604" };
// Texts filled with a count (%d) and a name (%s), each at most once, in any order.
struct NamedFormat {
    std::string_view key;
    bool count;
};
const NamedFormat kNamedFormats[] = { { "MISS0001", false }, { "MISS0002", true }, { "LINK0001", false },
    { "ASST0003", false } };
}

// Every key, nothing else, and placeholders only where the text is a format.
TEST(BuiltCatalogs, EveryCatalogHoldsEveryKeyWithATextAndFormatsOnlyWhereMeant)
{
    for (const char* code : kLanguages) {
        SCOPED_TRACE(code);
        const std::filesystem::path path
            = testenv::AppDir() / "lang" / ("lang_" + std::string(code) + ".bin");
        CatalogReader reader;
        ASSERT_TRUE(reader.ReadFile(path));
        // The device's 128, the host stack's seven causes, the two save failures', the missed-call
        // notice's three, the linked phone's, the second call's twelve, the phone book's five (number
        // kinds, empty list) and the voice assistant's five.
        EXPECT_EQ(reader.Count(), 163u);
        auto library = LanguageLibrary::GetInstance();
        ASSERT_TRUE(library->Open(FromUtf8(path.string())));
        for (std::string_view key : TextTable::Keys()) {
            std::array<WCHAR, LanguageLibrary::kMaxTextChars + 1> buffer {};
            library->GetText(key, buffer.data(), LanguageLibrary::kMaxTextChars);
            const std::string text = ToUtf8(WString(buffer.data()));
            EXPECT_FALSE(text.empty()) << key;
            const bool isFormat
                = std::find(std::begin(kFormatKeys), std::end(kFormatKeys), key) != std::end(kFormatKeys);
            auto named = std::find_if(std::begin(kNamedFormats), std::end(kNamedFormats),
                [&](const NamedFormat& format) { return format.key == key; });
            auto occurrences = [&](const std::string& what) {
                size_t n = 0;
                for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
                    ++n;
                return n;
            };
            SCOPED_TRACE(std::string(key) + ": " + text);
            if (named != std::end(kNamedFormats)) {
                EXPECT_EQ(occurrences("%s"), 1u);
                EXPECT_EQ(occurrences("%d"), named->count ? 1u : 0u);
            } else {
                EXPECT_EQ(occurrences("%"), isFormat ? 1u : 0u);
                EXPECT_EQ(occurrences("%d"), isFormat ? 1u : 0u);
            }
        }
    }
}
