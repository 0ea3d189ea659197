// Every host stack state played on the module simulator, as a person at its console would, and
// the text the main view, Connect and Pairing then show.

#include "AppFixture.h"

#include "LineSocket.h"
#include "screens/DeviceListScreen.h"

namespace {

constexpr std::chrono::milliseconds kWait { 5000 };

struct SimCase {
    const char* name;
    const char* status;
    // Connect and Pairing with the simulator's two paired phones listed.
    const char* connect;
    const char* pairing;
};

const SimCase kSimCases[] = {
    { "no-bus", "No system bus: start dbus, then try again", nullptr, nullptr },
    { "no-bluetoothd", "Bluetooth service not running: start bluetooth", nullptr, nullptr },
    { "no-adapter", "No Bluetooth adapter found: plug one in", nullptr, nullptr },
    { "adapter-off", "Bluetooth adapter off: open Connect to switch it on", nullptr, nullptr },
    { "rfkill-blocked", "Bluetooth blocked: run rfkill unblock bluetooth", nullptr, nullptr },
    { "no-ofono", "Phone service not running: start ofono", nullptr, nullptr },
    { "no-handsfree", "Hands-free not registered: restart ofono", nullptr, nullptr },
    { "ready", "No cellphone connected", "Select a device and press Connect", "Select a device or start pairing" },
};

class HostStackSimTest : public AppTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.Start(testenv::AppDir() / "ostrilan-modsim",
            { "--no-console", "--control", (dir / "ctl").string(), "--delay", "5" }));
        auto first = sim.ReadLine(kWait);
        ASSERT_TRUE(first && first->rfind("pty /dev/", 0) == 0) << (first ? *first : "no output");
        setenv("OSTRILAN_COM2", first->substr(4).c_str(), 1);
        ASSERT_TRUE(control.Connect((dir / "ctl").string(), kWait));
        ASSERT_TRUE(Start());
    }
    void TearDown() override
    {
        if (sim.Pid() > 0) {
            control.Ask("quit", std::chrono::milliseconds(500));
            sim.Wait(std::chrono::seconds(2));
        }
    }

    bool ShowsWithin(const std::function<std::string()>& text, const std::string& expected)
    {
        return ws.PumpUntil([&] { return text() == expected; }, kWait);
    }
    std::string Hint(UINT kind) const
    {
        auto* screen = Screen<DeviceListScreen>(kind);
        return screen ? ToUtf8(screen->HintText()) : std::string();
    }

    ChildProgram sim;
    LineSocket control;
};

}

TEST_F(HostStackSimTest, EveryStatePlayedOnTheSimulatorIsSaidOnTheMainViewConnectAndPairing)
{
    for (const SimCase& c : kSimCases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(control.Ask(std::string("hoststate ") + c.name, kWait), std::string("ok ") + c.name);
        EXPECT_TRUE(ShowsWithin([&] { return ToUtf8(Frame().GetStatusLine()); }, c.status))
            << ToUtf8(Frame().GetStatusLine());
        for (auto [kind, hint] : { std::pair { kScreenConnect, c.connect }, std::pair { kScreenPairMode, c.pairing } }) {
            Open<DeviceListScreen>(kind);
            const std::string expected = hint ? hint : c.status;
            EXPECT_TRUE(ShowsWithin([&] { return Hint(kind); }, expected)) << kind << ": " << Hint(kind);
            Frame().CloseScreen(kind);
            Idle();
        }
    }
}
