#include "store/RegistrySettings.h"
#include "StoreTestRoot.h"
#include "platform/core/Text.h"
#include "platform/devices/Registry.h"

#include <gtest/gtest.h>

#include "ChildProgram.h"

#include <chrono>

namespace {

const std::string kHeader = "Windows Registry Editor Version 5.00\n\n";

}

TEST(RegistrySettings, GainIs99UntilWrittenAndSharesTheRunFlagsKey)
{
    StoreTestRoot root;
    EXPECT_EQ(ReadMicGain(), 99u);
    WriteRunFlag(1);
    // The key exists now, under the other spelling, but holds no gain yet.
    EXPECT_EQ(ReadMicGain(), 99u);
    ASSERT_TRUE(WriteMicGain(12));
    EXPECT_EQ(ReadMicGain(), 12u);

    EXPECT_EQ(testenv::ReadFile(Registry::FilePath()),
        kHeader
            + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorva\\OSTRILAN]\n\"RUN\"=dword:00000001\n"
              "\"MicGain\"=dword:0000000c\n\n");
}

TEST(RegistrySettings, CallersAreSaidUnlessSpeakCallerIsZeroOrTheEnvironmentSaysOff)
{
    StoreTestRoot root;
    auto speakCaller = [](DWORD value) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Quorva\\Ostrilan", &key), ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(key, u"SpeakCaller", REG_DWORD, reinterpret_cast<BYTE*>(&value), 4), ERROR_SUCCESS);
        RegCloseKey(key);
    };
    // Reading writes nothing: the device's file stays as it was.
    EXPECT_TRUE(ReadSpeakCaller());
    EXPECT_FALSE(std::filesystem::exists(Registry::FilePath()));
    ASSERT_TRUE(WriteMicGain(4));
    EXPECT_TRUE(ReadSpeakCaller());
    speakCaller(0);
    EXPECT_FALSE(ReadSpeakCaller());
    {
        testenv::ScopedEnv on("OSTRILAN_SPEAK_CALLER", "on");
        EXPECT_TRUE(ReadSpeakCaller());
    }
    speakCaller(2);
    EXPECT_TRUE(ReadSpeakCaller());
    {
        testenv::ScopedEnv off("OSTRILAN_SPEAK_CALLER", "off");
        EXPECT_FALSE(ReadSpeakCaller());
        testenv::ScopedEnv other("OSTRILAN_SPEAK_CALLER", "maybe");
        EXPECT_TRUE(ReadSpeakCaller());
    }
    EXPECT_EQ(ReadMicGain(), 4u);
}

TEST(RegistrySettings, ConcurrentWritersInOtherProcessesLoseNoUpdate)
{
    StoreTestRoot root;
    constexpr DWORD kValuesEach = 25;
    // Each writes its own values under one key; the first also the gain.
    auto writer = [](char prefix) {
        HKEY key = nullptr;
        bool ok = (prefix != 'a' || WriteMicGain(6))
            && RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Test", &key) == ERROR_SUCCESS;
        for (DWORD i = 0; ok && i < kValuesEach; ++i)
            ok = RegSetValueExW(
                     key, Widen(prefix + std::to_string(i)), REG_DWORD, reinterpret_cast<BYTE*>(&i), 4)
                == ERROR_SUCCESS;
        RegCloseKey(key);
        return ok ? 0 : 1;
    };
    ChildProgram first, second;
    ASSERT_TRUE(first.Fork([&] { return writer('a'); }));
    ASSERT_TRUE(second.Fork([&] { return writer('b'); }));
    ASSERT_EQ(first.Wait(std::chrono::seconds(30)), 0);
    ASSERT_EQ(second.Wait(std::chrono::seconds(30)), 0);
    EXPECT_EQ(ReadMicGain(), 6u);
    auto file = Registry::Read();
    ASSERT_TRUE(file);
    for (std::string prefix : { "a", "b" })
        for (DWORD i = 0; i < kValuesEach; ++i)
            EXPECT_EQ(file->QueryDword("HKEY_LOCAL_MACHINE\\SOFTWARE\\Test", prefix + std::to_string(i)), i);
}

// A directory cannot be read even by root. Damaged lines kept through a save:
// RegistryFile.DamagedLinesAreKeptAndTheRestStillParses.
TEST(RegistrySettings, UnreadableRegistryIsKeptAside)
{
    StoreTestRoot root;
    std::filesystem::create_directories(Registry::FilePath() / "inside");
    EXPECT_EQ(ReadMicGain(), 99u);
    EXPECT_TRUE(WriteMicGain(3));
    EXPECT_EQ(ReadMicGain(), 3u);
    const auto aside = SetAside(Registry::FilePath().parent_path(), "HKEY_LOCAL_MACHINE.reg");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(aside[0] / "inside"));
}

TEST(RegistrySettings, AHiveOverOneMebibyteIsNotReadAndIsKeptAsideWhole)
{
    StoreTestRoot root;
    std::filesystem::create_directories(Registry::FilePath().parent_path());
    const std::string line = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorva\\Ostrilan]\n\"MicGain\"=dword:00000002\n";
    auto writeHive = [&](size_t size) {
        std::string text = kHeader + line;
        text.resize(size, '#');
        std::ofstream(Registry::FilePath(), std::ios::trunc) << text;
    };
    writeHive(1 << 20);
    EXPECT_EQ(ReadMicGain(), 2u);
    writeHive((1 << 20) + 1);
    EXPECT_EQ(ReadMicGain(), 99u);
    EXPECT_TRUE(WriteMicGain(4));
    EXPECT_EQ(ReadMicGain(), 4u);
    EXPECT_LT(std::filesystem::file_size(Registry::FilePath()), 1000u);

    // 200 MB (sparse, so the disk is spared): answered at once, never read into memory.
    std::filesystem::remove(Registry::FilePath());
    { std::ofstream(Registry::FilePath()) << kHeader << line; }
    std::filesystem::resize_file(Registry::FilePath(), 200'000'000);
    EXPECT_EQ(ReadMicGain(), 99u);
    EXPECT_TRUE(WriteMicGain(6));
    EXPECT_EQ(ReadMicGain(), 6u);
    const size_t peakKiB = testenv::StatusKiB("VmHWM");
    EXPECT_GT(peakKiB, 0u);
    EXPECT_LT(peakKiB, 64u * 1024);
}
