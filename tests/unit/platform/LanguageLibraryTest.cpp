#include "platform/devices/LanguageLibrary.h"

#include "CatalogReaderTestFile.h"
#include "platform/core/Text.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

namespace {

// Every key the phone loads, in load order.
const std::array<const char*, 128> kKeys = {
    "CERR0001", "CERR0002", "CERR0003", "CERR0004", "CERR0005", "CERR0006", "CERR0007", "CERR0008",
    "CERR0009", "CERR0010", "CERR0011", "CERR0012", "CERR0013", "CERR0014", "CERR0015", "CERR0016",
    "CERR0017", "VIEW0001", "VIEW0002", "VIEW0100", "VIEW0101", "VIEW0102", "MNBT0001", "MNBT0002",
    "MNBT0003", "MNBT0004", "MNBT0005", "MNBT0006", "HIST0001", "HIST0002", "INCO0001", "INCO0002",
    "INCO0003", "INCO0101", "OUTG0001", "OUTG0002", "OUTG0101", "OUTG0201", "OUTG0202", "OUTG0203",
    "OUTG0301", "OUTG0401", "OUTG0501", "OUTG0502", "PLAC0001", "PLAC0002", "PLAC0101", "PLAC0102",
    "MFRM0001", "MFRM0002", "MFRM0003", "MFRM0004", "MFRM0005", "MFRM0006", "MFRM0007", "MFRM0101",
    "PMLI0001", "PMLI0002", "PMMS0001", "PMMS0002", "PMMS0003", "PMMS0004", "PMMS0005", "PMMS0006",
    "PMMS0101", "PMMS0102", "PMMS0201", "PMMS0202", "PMMS0301", "PMMS0302", "PMMS0303", "PMMS0401",
    "PMMS0402", "PMMS0403", "PMMS0404", "PMMS0405", "PMMS0501", "PMMS0601", "PMMS0602", "PMMS0603",
    "PMMS0604", "PMMS0605", "PMMS0701", "PMMS0702", "PMMS0703", "PMMS0801", "PMMS0802", "PMMS0901",
    "PMMS1001", "PMMS1002", "PMMS1101", "PMMS1102", "PMMS1201", "PMMS1202", "PMMS1203", "PMMS1204",
    "PMMS1205", "PMMS1301", "CNLI0001", "CNLI0002", "CNMS0101", "CNMS0102", "CNMS0103", "CNMS0104",
    "CNMS0201", "CNMS0202", "CNMS0203", "CNMS0301", "CNMS0401", "CNMS0402", "CNMS0403", "CNMS0404",
    "CNMS0501", "CNMS0502", "CNMS0503", "CNMS0601", "CNMS0602", "CNMS0701", "CNMS0801", "CNMS0901",
    "CNMS0902", "CNMS0903", "CNMS0904", "CNMS0905", "CNMS1001", "HITB0001", "HITB0002", "HITB0003",
};

const char* const kLanguages[] = { "cze", "dan", "ger", "gre", "eng", "spa", "fin", "fre", "hun", "ita", "dut",
    "pol", "rom", "rus", "slo", "swe", "euk", "por" };

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

TEST(LanguageLibrary, EveryBuiltCatalogHasEveryKeyAndNothingElse)
{
    for (const char* code : kLanguages) {
        SCOPED_TRACE(code);
        CatalogReader reader;
        ASSERT_TRUE(reader.ReadFile(testenv::AppDir() / "lang" / ("lang_" + std::string(code) + ".bin")));
        EXPECT_EQ(reader.Count(), kKeys.size());
        auto library = OpenBuilt(code);
        for (const char* key : kKeys) {
            WString text = Text(*library, key);
            EXPECT_FALSE(text.empty()) << key;
            EXPECT_LE(text.size(), WidthLimit(key)) << key << ": " << ToUtf8(text);
        }
    }
}

TEST(LanguageLibrary, PlaceholdersOnlyWhereTheTextIsAFormat)
{
    for (const char* code : kLanguages) {
        SCOPED_TRACE(code);
        auto library = OpenBuilt(code);
        for (const char* key : kKeys) {
            std::string text = ToUtf8(Text(*library, key));
            bool isFormat = std::find(std::begin(kFormatKeys), std::end(kFormatKeys), key) != std::end(kFormatKeys);
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
        for (int status = 0; status <= 16; ++status) {
            std::string key = (status + 1 < 10 ? "CERR000" : "CERR00") + std::to_string(status + 1);
            longestError = std::max(longestError, Text(*library, key).size());
        }
        for (std::string_view key : kErrorPrefixKeys) {
            WString prefix = Text(*library, key);
            ASSERT_FALSE(prefix.empty()) << key;
            EXPECT_EQ(prefix.back(), u' ') << key;
            EXPECT_LE(prefix.size() + longestError, 63u) << key;
        }
    }
}

TEST(LanguageLibrary, AmericanAndBritishEnglishDiffer)
{
    auto us = OpenBuilt("eng");
    auto uk = OpenBuilt("euk");
    for (const char* key : { "OUTG0001", "OUTG0201", "MFRM0001", "MFRM0005", "PMMS0604", "PMMS1001", "HITB0002" })
        EXPECT_NE(Text(*us, key), Text(*uk, key)) << key;
    // Each catalog keeps to its own spelling and phone vocabulary throughout.
    for (const char* key : kKeys) {
        std::string american = ToUtf8(Text(*us, key));
        std::string british = ToUtf8(Text(*uk, key));
        for (const char* word : { "obile", "ialling", "ialled", "ancelled", "ancelling", "ialis" })
            EXPECT_EQ(american.find(word), std::string::npos) << key << ": " << american;
        for (const char* word : { "ellphone", "ialing", "ialed", "anceled", "anceling", "ializ" })
            EXPECT_EQ(british.find(word), std::string::npos) << key << ": " << british;
    }
}

TEST(LanguageLibrary, GetTextCutsAndTerminates)
{
    testenv::TempDir dir;
    std::string longText(300, 'x');
    // U+1F4DE (a telephone) is a surrogate pair in wide text; it straddles the cut at 255.
    std::string straddling = std::string(254, 'y') + "\xF0\x9F\x93\x9E" + "z";
    catalogtest::WriteBytes(dir / "cut.bin",
        catalogtest::BuildCatalog({ { "LONG0001", longText }, { "PAIR0001", straddling }, { "SHRT0001", "Hallo" } }));
    auto library = LanguageLibrary::GetInstance();
    ASSERT_TRUE(library->Open(FromUtf8((dir / "cut.bin").string())));

    std::array<WCHAR, 512> buffer;
    buffer.fill(u'#');
    EXPECT_TRUE(library->GetText("LONG0001", buffer.data(), 400));
    EXPECT_EQ(WString(buffer.data()), WString(255, u'x'));

    buffer.fill(u'#');
    library->GetText("SHRT0001", buffer.data(), 3);
    EXPECT_EQ(WString(buffer.data()), u"Hal");
    EXPECT_EQ(buffer[4], u'#');

    library->GetText("PAIR0001", buffer.data(), 255);
    EXPECT_EQ(WString(buffer.data()), WString(254, u'y'));
    library->GetText(u"PAIR0001", buffer.data(), 256);
    EXPECT_EQ(WString(buffer.data()), WString(254, u'y'));
}

TEST(LanguageLibrary, MissingKeyOrNoCatalogLeavesTheBufferEmpty)
{
    testenv::TempDir dir;
    catalogtest::WriteBytes(dir / "one.bin", catalogtest::BuildCatalog({ { "HAVE0001", "here" } }));
    auto library = LanguageLibrary::GetInstance();
    std::array<WCHAR, 256> buffer;

    buffer.fill(u'#');
    EXPECT_FALSE(library->GetText("HAVE0001", buffer.data(), 255));
    EXPECT_EQ(buffer[0], 0);

    ASSERT_TRUE(library->Open(FromUtf8((dir / "one.bin").string())));
    buffer.fill(u'#');
    EXPECT_FALSE(library->GetText(u"LACK0001", buffer.data(), 255));
    EXPECT_EQ(buffer[0], 0);
    EXPECT_FALSE(library->GetText("HAVE0001", nullptr, 255));

    library->Close();
    buffer.fill(u'#');
    EXPECT_FALSE(library->GetText("HAVE0001", buffer.data(), 255));
    EXPECT_EQ(buffer[0], 0);
}

TEST(LanguageLibrary, OpenRefusesFilesThatServeNoTexts)
{
    testenv::TempDir dir;
    std::vector<uint8_t> good = catalogtest::BuildCatalog({ { "HAVE0001", "here" } });
    catalogtest::WriteBytes(dir / "good.bin", good);
    catalogtest::WriteBytes(dir / "truncated.bin", std::vector<uint8_t>(good.begin(), good.end() - 3));
    catalogtest::WriteBytes(dir / "garbage.bin", std::vector<uint8_t>(4096, 0xA5));
    catalogtest::WriteBytes(dir / "headeronly.bin", catalogtest::BuildCatalog({ { "", "Language: de\n" } }));
    catalogtest::WriteBytes(dir / "empty.bin", {});

    auto library = LanguageLibrary::GetInstance();
    for (const char* name : { "missing.bin", "truncated.bin", "garbage.bin", "headeronly.bin", "empty.bin" }) {
        ASSERT_TRUE(library->Open(FromUtf8((dir / "good.bin").string())));
        EXPECT_FALSE(library->Open(FromUtf8((dir / name).string()))) << name;
        // A refused file also gives up the one opened before, so nothing stale is served.
        EXPECT_EQ(Text(*library, "HAVE0001"), u"") << name;
    }
}
