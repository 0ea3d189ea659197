// The rig's readers are the end-to-end tests' eyes: they must read what the programs write, and
// answer damaged input with "nothing there" rather than a wrong value or a crash.

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
std::string ListFile(uint32_t magic, const std::string& number, uint32_t duration)
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
    b[256 + 4] = char(0xEA); // year 2026
    b[256 + 5] = char(0x07);
    put32(256 + 20, duration);
    b.replace(256 + 24, number.size(), number);
    return b;
}

TEST(RigReaders, JsonReadsTheAutomationAnswersAndRefusesDamage)
{
    JsonValue v = JsonValue::Parse(
        R"([{"class": "CDlgPref", "id": 0, "text": "Na\u00efve \ud83d\ude00", "rect": [0, 0, 480, 272], "visible": true, "children": []}])");
    ASSERT_EQ(v.items.size(), 1u);
    EXPECT_EQ(v.items[0]["class"].text, "CDlgPref");
    EXPECT_EQ(v.items[0]["text"].text, "Na\xC3\xAFve \xF0\x9F\x98\x80");
    EXPECT_EQ(v.items[0]["rect"].items[2].Int(), 480);
    EXPECT_TRUE(v.items[0]["visible"].boolean);
    EXPECT_EQ(v.items[0]["missing"].kind, JsonValue::Kind::Null);

    for (const char* bad : { "", "[", "[1,", "{\"a\" 1}", "[1] x", "\"\\u12", "[\"open" })
        EXPECT_EQ(JsonValue::Parse(bad).kind, JsonValue::Kind::Null) << bad;
    EXPECT_EQ(JsonValue::Parse(std::string(100000, '[')).kind, JsonValue::Kind::Null);
}

TEST(RigReaders, DataFilesAreReadByLayoutAndDamagedOnesAreNothing)
{
    testenv::TempDir dir;
    Write(dir / "MissedCall.dat", ListFile(df::kMissedMagic, "5559876", 7));
    auto calls = df::ReadHistory(dir / "MissedCall.dat", df::kMissedMagic);
    ASSERT_TRUE(calls && calls->size() == 1);
    EXPECT_EQ(calls->front().number, "5559876");
    EXPECT_EQ(calls->front().year, 2026);
    EXPECT_EQ(calls->front().duration, 7u);

    // Another list's magic, a torn file, no file at all.
    EXPECT_FALSE(df::ReadHistory(dir / "MissedCall.dat", df::kIncomingMagic));
    Write(dir / "Torn.dat", ListFile(df::kMissedMagic, "1", 0).substr(0, 1000));
    EXPECT_FALSE(df::ReadHistory(dir / "Torn.dat", df::kMissedMagic));
    EXPECT_FALSE(df::ReadHistory(dir / "None.dat", df::kMissedMagic));
    EXPECT_FALSE(df::ReadPairs(dir / "Torn.dat"));
    EXPECT_FALSE(df::ReadPreferences(dir / "Torn.dat"));
}

TEST(RigReaders, RegistryValuesIgnoreCaseAndSkipBrokenLines)
{
    testenv::TempDir dir;
    Write(dir / "r.reg",
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorva\\OSTRILAN]\n\"RUN\"=dword:00000001\n\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorva\\Ostrilan]\n\"MicGain\"=dword:zz\n\"micgain\"=dword:"
        "00000004\n");
    // The two spellings of the key are one key, as on the device.
    EXPECT_EQ(df::ReadRegistryDword(dir / "r.reg", "software\\quorva\\ostrilan", "run"), 1u);
    EXPECT_EQ(df::ReadRegistryDword(dir / "r.reg", "SOFTWARE\\Quorva\\OSTRILAN", "MicGain"), 4u);
    EXPECT_EQ(df::ReadRegistryDword(dir / "missing.reg", "SOFTWARE", "RUN"), std::nullopt);
}

}
