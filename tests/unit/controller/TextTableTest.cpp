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

// Texts used as a format: printf with one %d, or a %s and maybe a %d, each at most once.
struct Format {
    std::string_view key;
    size_t names, counts;
};
const Format kFormats[] = { { "CNMS0402", 0, 1 }, { "PMMS0602", 0, 1 }, { "PMMS0604", 0, 1 },
    { "MISS0001", 1, 0 }, { "MISS0002", 1, 1 }, { "LINK0001", 1, 0 }, { "ASST0003", 1, 0 } };
}

TEST(BuiltCatalogs, EveryCatalogHoldsEveryKeyWithATextAndFormatsOnlyWhereMeant)
{
    for (const char* code : kLanguages) {
        SCOPED_TRACE(code);
        const std::filesystem::path path
            = testenv::AppDir() / "lang" / ("lang_" + std::string(code) + ".bin");
        CatalogReader reader;
        ASSERT_TRUE(reader.ReadFile(path));
        // 128 + host stack 7 + saves 2 + missed calls 3 + linked phone 1 + second call 12 + phone
        // book 5 + assistant 5.
        EXPECT_EQ(reader.Count(), 163u);
        auto library = LanguageLibrary::GetInstance();
        ASSERT_TRUE(library->Open(FromUtf8(path.string())));
        for (std::string_view key : TextTable::Keys()) {
            std::array<WCHAR, LanguageLibrary::kMaxTextChars + 1> buffer {};
            library->GetText(key, buffer.data(), LanguageLibrary::kMaxTextChars);
            const std::string text = ToUtf8(WString(buffer.data()));
            EXPECT_FALSE(text.empty()) << key;
            auto format = std::find_if(
                std::begin(kFormats), std::end(kFormats), [&](const Format& f) { return f.key == key; });
            const Format expected = format != std::end(kFormats) ? *format : Format { key, 0, 0 };
            auto occurrences = [&](const std::string& what) {
                size_t n = 0;
                for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
                    ++n;
                return n;
            };
            SCOPED_TRACE(std::string(key) + ": " + text);
            EXPECT_EQ(occurrences("%s"), expected.names);
            EXPECT_EQ(occurrences("%d"), expected.counts);
            EXPECT_EQ(occurrences("%"), expected.names + expected.counts);
        }
    }
}
