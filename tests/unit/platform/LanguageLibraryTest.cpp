#include "platform/devices/LanguageLibrary.h"

#include "CatalogReaderTestFile.h"
#include "platform/core/Text.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <array>

TEST(LanguageLibrary, GetTextCutsAndTerminates)
{
    testenv::TempDir dir;
    // U+1F4DE (a telephone) is a surrogate pair in wide text; it straddles the cut at 255.
    catalogtest::WriteBytes(dir / "cut.bin",
        catalogtest::BuildCatalog({ { "LONG0001", std::string(300, 'x') },
            { "PAIR0001", std::string(254, 'y') + "\xF0\x9F\x93\x9E" + "z" }, { "SHRT0001", "Hallo" } }));
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

// A missing text, or none at all, leaves an empty buffer: nothing stale is ever served.
TEST(LanguageLibrary, MissingKeyRefusedFileOrClosedCatalogLeavesTheBufferEmpty)
{
    testenv::TempDir dir;
    catalogtest::WriteBytes(dir / "good.bin", catalogtest::BuildCatalog({ { "HAVE0001", "here" } }));
    catalogtest::WriteBytes(dir / "garbage.bin", std::vector<uint8_t>(4096, 0xA5));
    catalogtest::WriteBytes(dir / "headeronly.bin", catalogtest::BuildCatalog({ { "", "Language: de\n" } }));
    auto library = LanguageLibrary::GetInstance();
    std::array<WCHAR, 256> buffer;
    auto textOf = [&](std::u16string_view key) {
        buffer.fill(u'#');
        bool found = library->GetText(key, buffer.data(), 255);
        EXPECT_EQ(found, buffer[0] != 0) << ToUtf8(key);
        return WString(buffer.data());
    };
    EXPECT_EQ(textOf(u"HAVE0001"), u"") << "no catalog open";
    ASSERT_TRUE(library->Open(FromUtf8((dir / "good.bin").string())));
    EXPECT_EQ(textOf(u"HAVE0001"), u"here");
    EXPECT_EQ(textOf(u"LACK0001"), u"");
    EXPECT_FALSE(library->GetText("HAVE0001", nullptr, 255));
    library->Close();
    EXPECT_EQ(textOf(u"HAVE0001"), u"");

    for (const char* name : { "missing.bin", "garbage.bin", "headeronly.bin" }) {
        ASSERT_TRUE(library->Open(FromUtf8((dir / "good.bin").string())));
        EXPECT_FALSE(library->Open(FromUtf8((dir / name).string()))) << name;
        EXPECT_EQ(textOf(u"HAVE0001"), u"") << name;
    }
}
