// The tour shows the readers read what the programs write; damaged input reads as nothing.

#include "DeviceFiles.h"
#include "JsonValue.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

namespace df = devicefiles;

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

TEST(RigReaders, JsonRefusesDamageAndAValueNestedPast64)
{
    for (const char* bad : { "", "[", "[1,", "{\"a\" 1}", "[1] x", "\"\\u12", "[\"open" })
        EXPECT_EQ(JsonValue::Parse(bad).kind, JsonValue::Kind::Null) << bad;
    auto nested = [](int depth) { return std::string(depth, '[') + "0" + std::string(depth, ']'); };
    EXPECT_EQ(JsonValue::Parse(nested(64)).kind, JsonValue::Kind::Array);
    EXPECT_EQ(JsonValue::Parse(nested(65)).kind, JsonValue::Kind::Null);
    EXPECT_EQ(JsonValue::Parse(std::string(100000, '[')).kind, JsonValue::Kind::Null);
}

TEST(RigReaders, DataFilesAreReadByLayoutAndDamagedOnesAreNothing)
{
    testenv::TempDir dir;
    std::ofstream(dir / "MissedCall.dat", std::ios::binary) << ListFile(df::kMissedMagic);
    auto calls = df::ReadHistory(dir / "MissedCall.dat", df::kMissedMagic);
    ASSERT_TRUE(calls && calls->size() == 1);
    EXPECT_EQ(calls->front().number, "5559876");

    // Another list's magic, a torn file, no file at all.
    EXPECT_FALSE(df::ReadHistory(dir / "MissedCall.dat", df::kIncomingMagic));
    std::ofstream(dir / "Torn.dat", std::ios::binary) << ListFile(df::kMissedMagic).substr(0, 1000);
    EXPECT_FALSE(df::ReadHistory(dir / "Torn.dat", df::kMissedMagic));
    EXPECT_FALSE(df::ReadHistory(dir / "None.dat", df::kMissedMagic));
    EXPECT_FALSE(df::ReadPairs(dir / "Torn.dat"));
    EXPECT_FALSE(df::ReadPreferences(dir / "Torn.dat"));
}

}
