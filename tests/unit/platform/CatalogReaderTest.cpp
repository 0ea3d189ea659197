#include "platform/devices/CatalogReader.h"

#include "CatalogReaderTestFile.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

using catalogtest::BuildCatalog;

namespace {

const std::vector<std::pair<std::string, std::string>> kEntries = {
    { "", "Content-Type: text/plain; charset=UTF-8\n" },
    { "GRUSS001", "Grüße" },
    { "PLURAL01", std::string("one file\0many files", 19) },
    { "EMPTY001", "" },
};

}

TEST(CatalogReader, ReadsBothByteOrdersAndRefusesHeadersThatPointOutside)
{
    for (bool bigEndian : { false, true }) {
        CatalogReader reader;
        ASSERT_TRUE(reader.Parse(BuildCatalog(kEntries, bigEndian))) << "big endian " << bigEndian;
        ASSERT_NE(reader.Find("GRUSS001"), nullptr);
        EXPECT_EQ(*reader.Find("GRUSS001"), u"Grüße");
        // A plural entry serves its first form; the header and untranslated entries are no texts.
        EXPECT_EQ(*reader.Find("PLURAL01"), u"one file");
        EXPECT_EQ(reader.Find(""), nullptr);
        EXPECT_EQ(reader.Find("EMPTY001"), nullptr);
        EXPECT_EQ(reader.Find("GRUSS00"), nullptr);
        EXPECT_EQ(reader.Count(), 2u);
    }

    // A header that points outside the file, or a revision we do not know, is refused whole; the
    // last minor revision of major revision 1 is still read.
    const std::vector<uint8_t> good = BuildCatalog(kEntries);
    const struct {
        const char* what;
        size_t offset;
        uint32_t value;
        size_t count;
    } cases[] = {
        { "wrong magic", 0, 0x12345678, 0 },
        { "future major revision", 4, 0x00020000, 0 },
        { "newest known revision", 4, 0x0001FFFF, 2 },
        { "count beyond the file", 8, 0x20000000, 0 },
        { "count that overflows 32 bits", 8, 0xFFFFFFFF, 0 },
        { "key table beyond the file", 12, 0xFFFFFFF0, 0 },
        { "text table beyond the file", 16, uint32_t(good.size()), 0 },
        { "string length wraps around", 28 + 8, 0xFFFFFFFF, 0 },
        { "string offset beyond the file", 28 + 12, 0xFFFFFFF8, 0 },
        { "string without its zero byte", 28 + 8, 7, 0 },
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = good;
        for (int i = 0; i < 4; ++i)
            bytes[c.offset + size_t(i)] = uint8_t(c.value >> (8 * i)); // little-endian, as built
        CatalogReader reader;
        EXPECT_EQ(reader.Parse(bytes), c.count > 0) << c.what;
        EXPECT_EQ(reader.Count(), c.count) << c.what;
    }
}

TEST(CatalogReader, RefusesEveryTruncationOfARealCatalog)
{
    std::string file = testenv::ReadFile(testenv::AppDir() / "lang" / "lang_eng.bin");
    ASSERT_FALSE(file.empty());
    std::vector<uint8_t> bytes(file.begin(), file.end());
    CatalogReader reader;
    ASSERT_TRUE(reader.Parse(bytes));
    for (size_t length = 0; length < bytes.size(); ++length) {
        ASSERT_FALSE(reader.Parse(std::span(bytes.data(), length))) << "length " << length;
        ASSERT_EQ(reader.Count(), 0u);
    }
}

TEST(CatalogReader, ReadsAFileOfOneMebibyteAndRefusesOneByteMore)
{
    testenv::TempDir dir;
    const size_t empty = BuildCatalog({ { "BIG00001", "" } }).size();
    for (size_t size : { size_t(1) << 20, (size_t(1) << 20) + 1 }) {
        const auto bytes = BuildCatalog({ { "BIG00001", std::string(size - empty, 'x') } });
        ASSERT_EQ(bytes.size(), size);
        catalogtest::WriteBytes(dir / "big.bin", bytes);
        CatalogReader reader;
        EXPECT_EQ(reader.ReadFile(dir / "big.bin"), size == (size_t(1) << 20)) << size;
    }
}
