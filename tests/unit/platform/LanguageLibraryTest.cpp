#include "platform/devices/LanguageLibrary.h"

#include "CatalogReaderTestFile.h"
#include "platform/core/Text.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <array>

namespace {

WString Text(const LanguageLibrary& library, std::string_view key)
{
    std::array<WCHAR, LanguageLibrary::kMaxTextChars + 1> buffer {};
    library.GetText(key, buffer.data(), LanguageLibrary::kMaxTextChars);
    return WString(buffer.data());
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
