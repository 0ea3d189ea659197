#include "controller/TextTable.h"
#include "platform/core/Text.h"
#include "platform/devices/CatalogReader.h"
#include "platform/devices/LanguageLibrary.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <string>

TEST(TextTable, HoldsOneBufferPerDistinctKeyInLoadOrder)
{
    const auto& keys = TextTable::Keys();
    std::set<std::string_view> distinct(keys.begin(), keys.end());
    EXPECT_EQ(distinct.size(), 128u);
    for (std::string_view key : keys)
        EXPECT_EQ(key.size(), 8u) << key;
    // Error texts first, in code order, since GetErrorText indexes them by status code.
    EXPECT_EQ(keys[0], "CERR0001");
    EXPECT_EQ(keys[16], "CERR0017");
}

namespace {

const char* const kLanguages[] = { "cze", "dan", "ger", "gre", "eng", "spa", "fin", "fre", "hun", "ita",
    "dut", "pol", "rom", "rus", "slo", "swe", "euk", "por" };

// Texts used as a printf format with one integer argument.
const std::string_view kFormatKeys[] = { "CNMS0402", "PMMS0602", "PMMS0604" };
// Texts followed at once by the error text of a module status code.
const std::string_view kErrorPrefixKeys[] = { "CNMS0602", "PMMS0802", "PMMS1002" };

// Widest text in characters that each kind of rectangle holds: status and hint lines are 380
// pixels at about 6 pixels a character, the call message 212 pixels at 7, menu buttons 93 at 6,
// tabs 89 at 6, list headings about 130 at 6.
size_t WidthLimit(std::string_view key)
{
    std::string_view prefix = key.substr(0, 4);
    if (prefix == "MNBT")
        return 14;
    if (prefix == "HITB")
        return 12;
    if (prefix == "INCO" || prefix == "OUTG")
        return 30;
    if (prefix == "PMLI" || prefix == "CNLI")
        return 20;
    if (prefix == "VIEW" || key == "PMMS0402" || key == "PMMS0403")
        return 60; // message boxes wrap
    return 55;
}

WString Text(const LanguageLibrary& library, std::string_view key)
{
    std::array<WCHAR, LanguageLibrary::kMaxTextChars + 1> buffer {};
    library.GetText(key, buffer.data(), LanguageLibrary::kMaxTextChars);
    return WString(buffer.data());
}

std::unique_ptr<LanguageLibrary> OpenBuilt(const std::string& code)
{
    auto library = LanguageLibrary::GetInstance();
    std::filesystem::path path = testenv::AppDir() / "lang" / ("lang_" + code + ".bin");
    EXPECT_TRUE(library->Open(FromUtf8(path.string()))) << path;
    return library;
}

}

// Every key, nothing else, each text fits its rectangle, and placeholders only where the text is
// a format.
TEST(BuiltCatalogs, EveryCatalogHoldsEveryKeyWithATextThatFitsAndFormatsOnlyWhereMeant)
{
    for (const char* code : kLanguages) {
        SCOPED_TRACE(code);
        CatalogReader reader;
        ASSERT_TRUE(reader.ReadFile(testenv::AppDir() / "lang" / ("lang_" + std::string(code) + ".bin")));
        EXPECT_EQ(reader.Count(), 128u);
        auto library = OpenBuilt(code);
        for (std::string_view key : TextTable::Keys()) {
            std::string text = ToUtf8(Text(*library, key));
            EXPECT_FALSE(text.empty()) << key;
            EXPECT_LE(Text(*library, key).size(), WidthLimit(key)) << key << ": " << text;
            bool isFormat
                = std::find(std::begin(kFormatKeys), std::end(kFormatKeys), key) != std::end(kFormatKeys);
            size_t percent = text.find('%');
            if (!isFormat) {
                EXPECT_EQ(percent, std::string::npos) << key << ": " << text;
                continue;
            }
            ASSERT_NE(percent, std::string::npos) << key;
            EXPECT_EQ(text.compare(percent, 2, "%d"), 0) << key << ": " << text;
            EXPECT_EQ(text.find('%', percent + 1), std::string::npos) << key << ": " << text;
        }
        // The error text is appended as it is, so the lead-in must end in a space, and the two
        // together must still fit the hint line.
        size_t longestError = 0;
        for (size_t status = 0; status <= 16; ++status)
            longestError = std::max(longestError, Text(*library, TextTable::Keys()[status]).size());
        for (std::string_view key : kErrorPrefixKeys) {
            WString prefix = Text(*library, key);
            ASSERT_FALSE(prefix.empty()) << key;
            EXPECT_EQ(prefix.back(), u' ') << key;
            EXPECT_LE(prefix.size() + longestError, 63u) << key;
        }
    }
}

TEST(BuiltCatalogs, AmericanAndBritishEnglishDiffer)
{
    auto us = OpenBuilt("eng");
    auto uk = OpenBuilt("euk");
    for (const char* key :
        { "OUTG0001", "OUTG0201", "MFRM0001", "MFRM0005", "PMMS0604", "PMMS1001", "HITB0002" })
        EXPECT_NE(Text(*us, key), Text(*uk, key)) << key;
    // Each catalog keeps to its own spelling and phone vocabulary throughout.
    for (std::string_view key : TextTable::Keys()) {
        std::string american = ToUtf8(Text(*us, key));
        std::string british = ToUtf8(Text(*uk, key));
        for (const char* word : { "obile", "ialling", "ialled", "ancelled", "ancelling", "ialis" })
            EXPECT_EQ(american.find(word), std::string::npos) << key << ": " << american;
        for (const char* word : { "ellphone", "ialing", "ialed", "anceled", "anceling", "ializ" })
            EXPECT_EQ(british.find(word), std::string::npos) << key << ": " << british;
    }
}
