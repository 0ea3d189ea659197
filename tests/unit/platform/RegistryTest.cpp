#include "platform/devices/Registry.h"
#include "platform/core/Text.h"
#include "platform/devices/Paths.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr std::u16string_view kKey = u"SOFTWARE\\Quorva\\Ostrilan";

// A private device root for each test; the old setting comes back afterwards.
class RegistryTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (const char* old = std::getenv("OSTRILAN_ROOT"))
            m_oldRoot = old;
        setenv("OSTRILAN_ROOT", m_root.Path().c_str(), 1);
    }
    void TearDown() override
    {
        if (m_oldRoot)
            setenv("OSTRILAN_ROOT", m_oldRoot->c_str(), 1);
        else
            unsetenv("OSTRILAN_ROOT");
    }

    testenv::TempDir m_root;
    std::optional<std::string> m_oldRoot;
};

LONG SetValue(std::u16string_view keyName, std::u16string_view name, DWORD value)
{
    HKEY key = nullptr;
    LONG result = RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyName, &key);
    if (result != ERROR_SUCCESS)
        return result;
    result = RegSetValueExW(key, name, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
    return result;
}

std::optional<DWORD> QueryValue(HKEY key, std::u16string_view name)
{
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExW(key, name, nullptr, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

std::optional<DWORD> QueryValue(std::u16string_view keyName, std::u16string_view name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyName, &key) != ERROR_SUCCESS)
        return std::nullopt;
    auto value = QueryValue(key, name);
    RegCloseKey(key);
    return value;
}

// Runs the body in a child process; its result is the child's exit status.
pid_t StartChild(const std::function<bool()>& body)
{
    pid_t child = ::fork();
    if (child == 0)
        ::_exit(body() ? 0 : 1);
    return child;
}

bool ChildSucceeded(pid_t child)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return false;
        }
        ::usleep(1000);
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}

TEST_F(RegistryTest, ProcessesOnOneDeviceRootSeeEachOthersWrites)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, &key), ERROR_SUCCESS);
    EXPECT_FALSE(QueryValue(key, u"MicGain"));

    ASSERT_TRUE(ChildSucceeded(StartChild([] { return SetValue(kKey, u"MicGain", 6) == ERROR_SUCCESS; })));
    // The handle opened before the other process wrote still sees the new value.
    EXPECT_EQ(QueryValue(key, u"MicGain"), 6u);
    RegCloseKey(key);

    ASSERT_EQ(SetValue(kKey, u"MicGain", 11), ERROR_SUCCESS);
    EXPECT_TRUE(ChildSucceeded(StartChild([] { return QueryValue(kKey, u"MicGain") == 11u; })));
}

TEST_F(RegistryTest, ConcurrentWritersLoseNoUpdate)
{
    constexpr int kValuesEach = 25;
    auto writer = [](char16_t prefix) {
        return [prefix] {
            for (int i = 0; i < kValuesEach; ++i) {
                WString name = WString(1, prefix) + Widen(std::to_string(i));
                if (SetValue(kKey, name, DWORD(i)) != ERROR_SUCCESS)
                    return false;
            }
            return true;
        };
    };
    pid_t first = StartChild(writer(u'a'));
    pid_t second = StartChild(writer(u'b'));
    ASSERT_TRUE(ChildSucceeded(first));
    ASSERT_TRUE(ChildSucceeded(second));
    for (char16_t prefix : { u'a', u'b' }) {
        for (int i = 0; i < kValuesEach; ++i)
            EXPECT_EQ(QueryValue(kKey, WString(1, prefix) + Widen(std::to_string(i))), DWORD(i));
    }
}

TEST_F(RegistryTest, KeySpellingsDifferingInCaseAreOneKey)
{
    DWORD disposition = 0;
    HKEY upper = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Quorva\\OSTRILAN", &upper, &disposition),
        ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    HKEY lower = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, &lower, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);

    DWORD one = 1;
    ASSERT_EQ(RegSetValueExW(upper, u"RUN", REG_DWORD, reinterpret_cast<BYTE*>(&one), 4), ERROR_SUCCESS);
    EXPECT_EQ(QueryValue(lower, u"run"), 1u);
    RegCloseKey(upper);
    RegCloseKey(lower);
}

TEST_F(RegistryTest, CallsReportTheDevicesErrorCodes)
{
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, &key), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, &key), ERROR_SUCCESS);

    uint16_t word = 1;
    EXPECT_EQ(RegSetValueExW(key, u"Short", REG_DWORD, reinterpret_cast<BYTE*>(&word), 2), ERROR_INVALID_PARAMETER);
    DWORD value = 3;
    ASSERT_EQ(RegSetValueExW(key, u"V", REG_DWORD, reinterpret_cast<BYTE*>(&value), 4), ERROR_SUCCESS);
    BYTE small[2];
    DWORD size = sizeof small;
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExW(key, u"V", &type, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(RegQueryValueExW(key, u"Absent", nullptr, small, &size), ERROR_FILE_NOT_FOUND);

    EXPECT_EQ(RegFlushKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegSetValueExW(key, u"V", REG_DWORD, reinterpret_cast<BYTE*>(&value), 4), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, WritingADamagedFileKeepsItsUnparsedLines)
{
    std::filesystem::create_directories(m_root / "registry");
    {
        std::ofstream out(m_root / "registry" / "HKEY_LOCAL_MACHINE.reg", std::ios::binary);
        out << "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorva\\Ostrilan]\n"
               "\"MicGain\"=dword:00000002\n#### torn \x7F line\n\"RUN\"=dwo";
    }
    EXPECT_EQ(QueryValue(kKey, u"MicGain"), 2u);
    ASSERT_EQ(SetValue(kKey, u"MicGain", 9), ERROR_SUCCESS);
    EXPECT_EQ(testenv::ReadFile(Registry::FilePath()),
        "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorva\\Ostrilan]\n"
        "\"MicGain\"=dword:00000009\n#### torn \x7F line\n\"RUN\"=dwo\n\n");
}
