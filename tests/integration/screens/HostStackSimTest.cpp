// Every host stack state played on the module simulator, as a person at its console would, and
// the text the main view, Connect and Pairing then show.

#include "SimAppTest.h"
#include "screens/DeviceListScreen.h"

namespace {

struct SimCase {
    const char* name;
    const char* status;
    // The module is not ready with it, so Pairing refuses with the cause.
    bool notReady;
    const char* screenshot;
};

const SimCase kSimCases[] = {
    { "no-bus", "No system bus: start dbus, then try again", true, nullptr },
    { "no-bluetoothd", "Bluetooth service not running: start bluetooth", true, nullptr },
    { "no-adapter", "No Bluetooth adapter found: plug one in", true, "main-view-no-adapter" },
    { "adapter-off", "Bluetooth adapter off: open Connect to switch it on", true, nullptr },
    { "rfkill-blocked", "Bluetooth blocked: run rfkill unblock bluetooth", true, nullptr },
    { "no-ofono", "Phone service not running: start ofono", false, nullptr },
    { "no-handsfree", "Hands-free not registered: restart ofono", false, nullptr },
};

const POINT kPairHandsFree = skin::place::Center(skin::place::pairmode::btn_pairinghf);

class HostStackSimTest : public SimAppTest {
protected:
    void SetUp() override { StartOnSim({}); }

    std::string Hint(UINT kind) const
    {
        auto* screen = Screen<DeviceListScreen>(kind);
        return screen ? ToUtf8(screen->HintText()) : std::string();
    }
};

}

// With the simulator's two paired phones listed, the cause replaces the list's hint too.
TEST_F(HostStackSimTest, EveryStatePlayedOnTheSimulatorIsSaidOnTheMainViewConnectAndPairing)
{
    for (const SimCase& c : kSimCases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Ask(std::string("hoststate ") + c.name), std::string("ok ") + c.name);
        EXPECT_TRUE(Until([&] { return StatusLine() == c.status; })) << StatusLine();
        Idle();
        EXPECT_TRUE(ShowsText(*Frame().GetActiveView(), c.status));
        if (c.screenshot)
            Screenshot(c.screenshot);
        for (UINT kind : { kScreenConnect, kScreenPairMode }) {
            Open<DeviceListScreen>(kind);
            EXPECT_TRUE(Until([&] { return Hint(kind) == c.status; })) << kind << ": " << Hint(kind);
            if (kind == kScreenPairMode && c.notReady) {
                // Pairing is refused with the cause, not with "initializing".
                static_cast<SkinScreen*>(Screen<DeviceListScreen>(kind))->SetHintText({});
                TapAt(kPairHandsFree);
                EXPECT_EQ(Hint(kind), c.status);
            }
            Frame().CloseScreen(kind);
            Idle();
        }
    }
    ASSERT_EQ(Ask("hoststate ready"), "ok ready");
    EXPECT_TRUE(Until([&] { return StatusLine() == "No cellphone connected"; }));
    Open<DeviceListScreen>(kScreenConnect);
    EXPECT_TRUE(Until([&] { return Hint(kScreenConnect) == "Select a device and press Connect"; }));
}
