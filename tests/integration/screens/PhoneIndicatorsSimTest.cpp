// The linked phone's signal, battery, roaming and operator played on the module simulator, as a
// person at its console would, and what the main view's top bar then shows.

#include "SimAppTest.h"
#include "controller/BridgeIndicators.h"
#include "link/ModuleLink.h"

namespace {

constexpr std::chrono::milliseconds kWait { 5000 };

class PhoneIndicatorsSimTest : public SimAppTest {
protected:
    void SetUp() override { StartOnSim({ "--connect-delay", "5" }, kWait); }

    const BridgeIndicators& Known() { return Frame().Context()->PhoneIndicators(); }
};

}

TEST_F(PhoneIndicatorsSimTest, PhoneFactsPlayedOnTheSimulatorReachTheMainViewUntilThePhoneUnlinks)
{
    // Nothing of a phone that is not linked.
    EXPECT_EQ(control.Ask("signal 3", kWait), "error no phone linked");
    ASSERT_TRUE(LinkedNow());
    EXPECT_EQ(Known().Signal(), std::nullopt);

    for (const char* command : { "signal", "battery" }) {
        SCOPED_TRACE(command);
        auto read = [&] { return std::string(command) == "signal" ? Known().Signal() : Known().Battery(); };
        std::string name = command;
        EXPECT_EQ(control.Ask(name + " 0", kWait), "ok " + name + " 0");
        EXPECT_TRUE(Until([&] { return read() == std::optional<BYTE>(0); }));
        EXPECT_EQ(control.Ask(name + " 5", kWait), "ok " + name + " 5");
        EXPECT_TRUE(Until([&] { return read() == std::optional<BYTE>(5); }));
        EXPECT_EQ(control.Ask(name + " 6", kWait), "error " + name + " N (0..5)");
    }
    EXPECT_EQ(control.Ask("roaming maybe", kWait), "error roaming on|off");
    EXPECT_EQ(control.Ask("roaming on", kWait), "ok roaming on");
    EXPECT_TRUE(Until([&] { return Known().Roaming() == std::optional<bool>(true); }));
    EXPECT_EQ(control.Ask("roaming off", kWait), "ok roaming off");
    EXPECT_EQ(control.Ask("service on", kWait), "ok service on");
    EXPECT_EQ(control.Ask("signal 3", kWait), "ok signal 3");
    EXPECT_EQ(control.Ask("battery 4", kWait), "ok battery 4");
    EXPECT_EQ(control.Ask("operator Nordnetz", kWait), "ok operator Nordnetz");
    EXPECT_TRUE(Until([&] {
        return Known().Signal() == std::optional<BYTE>(3) && Known().Battery() == std::optional<BYTE>(4)
            && Known().Roaming() == std::optional<bool>(false)
            && ToUtf8(Known().OperatorName()) == "Nordnetz";
    }));
    Idle();
    EXPECT_TRUE(ShowsText(*Frame().GetActiveView(), "Nordnetz"));
    Screenshot("main-view-phone-indicators");

    // The call screens leave the top bar's spot open: it shows there the same.
    auto spot = [&] {
        Idle();
        std::vector<uint32_t> pixels;
        for (int y = 3; y < 34; ++y)
            for (int x = 85; x < 127; ++x)
                pixels.push_back(ws.Screen().Pixel(x, y));
        return pixels;
    };
    auto onMainView = spot();
    EXPECT_EQ(control.Ask("ring 5551234", kWait), "ok ringing");
    ASSERT_TRUE(Until([&] { return Frame().ScreenWindow(kScreenIncoming) != nullptr; }));
    EXPECT_EQ(spot(), onMainView);
    EXPECT_EQ(control.Ask("hangup", kWait), "ok call over");

    EXPECT_EQ(control.Ask("linkdown", kWait).rfind("ok", 0), 0u);
    EXPECT_TRUE(
        Until([&] { return !Known().Signal() && !Known().Battery() && Known().OperatorName().empty(); }));
    EXPECT_EQ(control.Ask("battery 2", kWait), "error no phone linked");
}
