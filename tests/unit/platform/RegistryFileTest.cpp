#include "platform/devices/RegistryFile.h"

#include <gtest/gtest.h>

namespace {

constexpr std::string_view kOstrilan = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorva\\Ostrilan";

}

TEST(RegistryFile, KeyAndValueNamesIgnoreCaseAndEscapedNamesRoundTrip)
{
    RegistryFile file = RegistryFile::Parse("\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n"
                                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorva\\OSTRILAN]\r\n"
                                            "\"RUN\"=dword:00000001\r\n"
                                            "\"MicGain\" = DWORD:0000000A\r\n");
    EXPECT_TRUE(file.HasKey(kOstrilan));
    EXPECT_EQ(file.QueryDword(kOstrilan, "micgain"), 10u);
    EXPECT_EQ(file.QueryDword(kOstrilan, "run"), 1u);
    EXPECT_FALSE(file.QueryDword("HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorva", "RUN"));

    file.SetDword(kOstrilan, "MICGAIN", 0xFFFFFFFF);
    EXPECT_EQ(file.Serialize(),
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorva\\OSTRILAN]\n"
        "\"RUN\"=dword:00000001\n"
        "\"MicGain\"=dword:ffffffff\n\n");

    // A key given twice in different case is one key; quotes and backslashes in names round-trip.
    file = RegistryFile::Parse("[HKEY_LOCAL_MACHINE\\A]\n\"x\"=dword:1\n"
                               "[hkey_local_machine\\a]\n\"X\"=dword:2\n");
    file.SetDword("HKEY_LOCAL_MACHINE\\A", "say \"hi\"\\", 7);
    EXPECT_EQ(file.Serialize(),
        "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=dword:00000002\n"
        "\"say \\\"hi\\\"\\\\\"=dword:00000007\n\n");
    EXPECT_EQ(RegistryFile::Parse(file.Serialize()).QueryDword("HKEY_LOCAL_MACHINE\\A", "say \"hi\"\\"), 7u);
}

TEST(RegistryFile, DamagedLinesAreKeptAndTheRestStillParses)
{
    const std::string damaged = "Windows Registry Editor Version 5.00\n"
                                "garbage before any key\n"
                                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n"
                                "\"Name\"=\"text value\"\n"
                                "\"Big\"=dword:123456789\n"
                                "\"Bad\"=dword:12x4\n"
                                "[broken key\n"
                                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorva\\Ostrilan]\n"
                                "\"MicGain\"=dword:00000004\n"
                                "\x01\x02\xFF binary\n"
                                "\"Cut\"=dwo";
    RegistryFile file = RegistryFile::Parse(damaged);
    EXPECT_EQ(file.QueryDword(kOstrilan, "MicGain"), 4u);
    EXPECT_FALSE(file.QueryDword("HKEY_LOCAL_MACHINE\\SOFTWARE\\Other", "Big"));
    const std::vector<std::string> unparsed { "garbage before any key", "\"Name\"=\"text value\"",
        "\"Big\"=dword:123456789", "\"Bad\"=dword:12x4", "[broken key", "\x01\x02\xFF binary",
        "\"Cut\"=dwo" };
    EXPECT_EQ(file.UnparsedLines(), unparsed);

    file.SetDword(kOstrilan, "MicGain", 5);
    RegistryFile again = RegistryFile::Parse(file.Serialize());
    EXPECT_EQ(again.UnparsedLines(), unparsed);
    EXPECT_EQ(again.QueryDword(kOstrilan, "MicGain"), 5u);
    EXPECT_EQ(again.Serialize(), file.Serialize());
}
