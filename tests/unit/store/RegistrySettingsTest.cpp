#include "StoreTestRoot.h"
#include "platform/devices/Registry.h"
#include "platform/tooling/Trace.h"
#include "store/RegistrySettings.h"

#include <gtest/gtest.h>

TEST(RegistrySettings, MicGainIs99UntilWritten)
{
    StoreTestRoot root;
    EXPECT_EQ(ReadMicGain(), 99u);
    // The running flag creates the same key under another spelling, still without a gain.
    WriteRunFlag(1);
    EXPECT_EQ(ReadMicGain(), 99u);
    ASSERT_TRUE(WriteMicGain(4));
    EXPECT_EQ(ReadMicGain(), 4u);
}

TEST(RegistrySettings, BothValuesLiveInOneKeyOfTheRegistryFile)
{
    StoreTestRoot root;
    WriteRunFlag(1);
    ASSERT_TRUE(WriteMicGain(4));
    WriteRunFlag(0);
    EXPECT_EQ(testenv::ReadFile(root.Root() / "registry" / "HKEY_LOCAL_MACHINE.reg"),
        "Windows Registry Editor Version 5.00\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorva\\OSTRILAN]\n"
        "\"RUN\"=dword:00000000\n"
        "\"MicGain\"=dword:00000004\n"
        "\n");
}

TEST(RegistrySettings, EachWriteGoesToTheTrace)
{
    StoreTestRoot root;
    const auto tracePath = root.Root() / "trace.log";
    ASSERT_TRUE(Trace::Open(tracePath.string()));
    WriteMicGain(0x0C);
    WriteRunFlag(1);
    Trace::Close();
    std::string trace = testenv::ReadFile(tracePath);
    EXPECT_NE(trace.find(" reg HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorva\\Ostrilan\\MicGain=dword:0000000c\n"),
        std::string::npos)
        << trace;
    EXPECT_NE(trace.find(" reg HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorva\\OSTRILAN\\RUN=dword:00000001\n"),
        std::string::npos)
        << trace;
}

TEST(RegistrySettings, UnreadableRegistryFileGivesNoGain)
{
    StoreTestRoot root;
    std::filesystem::create_directories(root.Root() / "registry" / "HKEY_LOCAL_MACHINE.reg");
    EXPECT_EQ(ReadMicGain(), 99u);
    EXPECT_FALSE(WriteMicGain(3));
}
