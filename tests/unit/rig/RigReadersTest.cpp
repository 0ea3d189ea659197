// The rig's readers are the end-to-end tests' eyes. The tour shows that they read what the
// programs write; here damaged input must read as "nothing there", not a wrong value or a crash.

#include "DeviceFiles.h"
#include "JsonValue.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

namespace df = devicefiles;

void Write(const std::filesystem::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary) << bytes;
}

// A history list file as the layout gives it: header, then 20 records of 120 bytes from 256.
std::string ListFile(uint32_t magic)
{
    std::string b(256 + 20 * 120, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
    };
    put32(0, magic);
    put32(4, 4096);
    put32(28, 256);
    put32(256, 3);
    b.replace(256 + 24, 7, "5559876");
    return b;
}

TEST(RigReaders, JsonReadsTheAutomationAnswersAndRefusesDamage)
{
    // Unicode escapes, which the tour's own texts never need.
    JsonValue v = JsonValue::Parse(R"([{"text": "Na\u00efve \ud83d\ude00"}])");
    EXPECT_EQ(v.items.at(0)["text"].text, "Na\xC3\xAFve \xF0\x9F\x98\x80");
    EXPECT_EQ(v.items[0]["missing"].kind, JsonValue::Kind::Null);

    for (const char* bad : { "", "[", "[1,", "{\"a\" 1}", "[1] x", "\"\\u12", "[\"open" })
        EXPECT_EQ(JsonValue::Parse(bad).kind, JsonValue::Kind::Null) << bad;
    EXPECT_EQ(JsonValue::Parse(std::string(100000, '[')).kind, JsonValue::Kind::Null);
}

TEST(RigReaders, DataFilesAreReadByLayoutAndDamagedOnesAreNothing)
{
    testenv::TempDir dir;
    Write(dir / "MissedCall.dat", ListFile(df::kMissedMagic));
    auto calls = df::ReadHistory(dir / "MissedCall.dat", df::kMissedMagic);
    ASSERT_TRUE(calls && calls->size() == 1);
    EXPECT_EQ(calls->front().number, "5559876");

    // Another list's magic, a torn file, no file at all.
    EXPECT_FALSE(df::ReadHistory(dir / "MissedCall.dat", df::kIncomingMagic));
    Write(dir / "Torn.dat", ListFile(df::kMissedMagic).substr(0, 1000));
    EXPECT_FALSE(df::ReadHistory(dir / "Torn.dat", df::kMissedMagic));
    EXPECT_FALSE(df::ReadHistory(dir / "None.dat", df::kMissedMagic));
    EXPECT_FALSE(df::ReadPairs(dir / "Torn.dat"));
    EXPECT_FALSE(df::ReadPreferences(dir / "Torn.dat"));
}

}
