// The bridge's host stack report without a bus: which problem is named from the facts, the
// indicator frame the module sends for it, and the rfkill switches read from a folder.

#include "HostStackWatch.h"
#include "RfkillState.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/socket.h>
#include <unistd.h>

namespace {

class NoPhones : public PhoneBackend {
public:
    std::vector<PairedPhone> PairedPhones() const override { return {}; }
    void Connect(const BtAddress&) override { }
    void Disconnect() override { }
    void PairingWindow(bool) override { }
    void RemovePairing(const BtAddress&) override { }
    void Answer() override { }
    void Hangup() override { }
    void Dial(const std::string&) override { }
    void SendTone(char) override { }
    void TransferAudio(bool) override { }
    void SetSpeakerVolume(BYTE) override { }
    void SetMicGain(BYTE) override { }
};

// The module model on a socket pair; what it sends, as "<type> <opcode> <data...>" in hex.
struct Module {
    Module()
    {
        int fds[2];
        EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, fds), 0);
        line.Attach(fds[0]);
        peer = fds[1];
    }
    ~Module() { close(peer); }

    std::vector<std::string> Frames()
    {
        BYTE bytes[4096];
        ssize_t n = std::max<ssize_t>(read(peer, bytes, sizeof bytes), 0);
        std::vector<std::string> frames;
        for (ssize_t at = 0; at + 4 <= n; at += bytes[at + 2] + 4) {
            char part[4];
            snprintf(part, sizeof part, "%02X", bytes[at + 1]);
            std::string& text = frames.emplace_back(part);
            for (ssize_t i = at + 3; i < at + 3 + bytes[at + 2]; ++i) {
                snprintf(part, sizeof part, " %02X", bytes[i]);
                text += part;
            }
        }
        return frames;
    }

    SimLine line;
    TimerQueue timers;
    NoPhones phones;
    ModuleCore core { line, timers, phones, { std::chrono::milliseconds(0), std::chrono::milliseconds(3000),
                                                std::chrono::milliseconds(240000) } };
    int peer = -1;
};

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

TEST(HostStackWatch, SendsTheIndicatorOnEachChangeOnlyAndAgainAfterAStateAnswer)
{
    Module m;
    std::vector<std::string> traced;
    HostStackWatch watch(m.core, [&](const std::string& line) { traced.push_back(line); });
    EXPECT_TRUE(m.Frames().empty());

    HostFacts noAdapter { .bus = true, .bluez = true };
    watch.Update(noAdapter);
    EXPECT_EQ(m.Frames(), std::vector<std::string> { "04 60 01 03" });
    watch.Update(noAdapter);
    EXPECT_TRUE(m.Frames().empty());
    watch.Update({ .bus = true, .bluez = true, .adapter = true });
    EXPECT_EQ(m.Frames(), std::vector<std::string> { "04 60 01 04" });
    EXPECT_EQ(traced, (std::vector<std::string> { "host stack no-adapter", "host stack adapter-off" }));

    // The application flushes the line as it opens it and then asks for the state.
    std::vector<BYTE> getState { 0x77, 0x01, 0x01, 0x05, 0x72 };
    m.core.HandleFrame(getState);
    m.timers.RunDue();
    EXPECT_EQ(m.Frames(), (std::vector<std::string> { "03 05 00 08", "04 60 01 04" }));
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
