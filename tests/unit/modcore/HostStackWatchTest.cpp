// Each problem named through the application: tests/e2e/bluez/host_stack.py.

#include "RfkillState.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

void WriteFile(const std::filesystem::path& path, const std::string& text)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << text << "\n";
}

}

TEST(Rfkill, OnlyABluetoothSwitchSoftOrHardBlockedCounts)
{
    testenv::TempDir dir;
    const auto folder = dir / "rfkill";
    EXPECT_FALSE(rfkill::BluetoothBlocked(folder)) << "no folder";
    WriteFile(folder / "rfkill0" / "type", "wlan");
    WriteFile(folder / "rfkill0" / "soft", "1");
    WriteFile(folder / "rfkill1" / "type", "bluetooth");
    WriteFile(folder / "rfkill1" / "soft", "0");
    WriteFile(folder / "rfkill1" / "hard", "0");
    EXPECT_FALSE(rfkill::BluetoothBlocked(folder));
    WriteFile(folder / "rfkill1" / "hard", "1");
    EXPECT_TRUE(rfkill::BluetoothBlocked(folder));
}
