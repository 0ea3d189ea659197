// The bridge's host stack report without a bus: which problem is named from the facts, and the
// rfkill switches read from a folder.

#include "HostStackWatch.h"
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

// Facts put right one at a time, the way a person fixes the machine: each step names the next
// problem, until the stack is ready.
TEST(HostStackWatch, NamesTheFirstProblemFromTheBusDownToTheHandsFreeProfile)
{
    using bridge::HostStack;
    HostFacts f;
    std::vector<std::pair<std::function<void()>, HostStack>> steps {
        { [] {}, HostStack::NoSystemBus },
        { [&] { f.bus = true; }, HostStack::NoBluetoothd },
        { [&] { f.bluez = true; }, HostStack::NoAdapter },
        { [&] { f.adapter = f.blocked = true; }, HostStack::AdapterBlocked },
        { [&] { f.blocked = false; }, HostStack::AdapterOff },
        { [&] { f.powered = true; }, HostStack::NoOfono },
        { [&] { f.ofono = true; }, HostStack::NoHandsFree },
        { [&] { f.handsFree = true; }, HostStack::Ready },
    };
    for (auto& [fix, expected] : steps) {
        fix();
        EXPECT_EQ(int(HostStackWatch::Classify(f)), int(expected));
    }
    // Whatever else holds, a lost bus or daemon hides what lies behind it.
    f.bluez = false;
    EXPECT_EQ(int(HostStackWatch::Classify(f)), int(HostStack::NoBluetoothd));
    f.bus = false;
    EXPECT_EQ(int(HostStackWatch::Classify(f)), int(HostStack::NoSystemBus));
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
    WriteFile(folder / "rfkill1" / "hard", "0");
    WriteFile(folder / "rfkill1" / "soft", "1");
    EXPECT_TRUE(rfkill::BluetoothBlocked(folder));
}
