// The linked phone's signal, battery, roaming and operator played on the module simulator, as a
// person at its console would, and what the main view's top bar then shows.

#include "SimAppTest.h"
#include "controller/BridgeIndicators.h"

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
    EXPECT_EQ(Ask("signal 3"), "error no phone linked");
    ASSERT_TRUE(LinkedNow());
    EXPECT_EQ(Known().Signal(), std::nullopt);

    for (const char* command : { "signal", "battery" }) {
        SCOPED_TRACE(command);
        auto read = [&] { return std::string(command) == "signal" ? Known().Signal() : Known().Battery(); };
        std::string name = command;
        EXPECT_EQ(Ask(name + " 0"), "ok " + name + " 0");
        EXPECT_TRUE(Until([&] { return read() == std::optional<BYTE>(0); }));
        EXPECT_EQ(Ask(name + " 5"), "ok " + name + " 5");
        EXPECT_TRUE(Until([&] { return read() == std::optional<BYTE>(5); }));
        EXPECT_EQ(Ask(name + " 6"), "error " + name + " N (0..5)");
    }
    EXPECT_EQ(Ask("roaming maybe"), "error roaming on|off");
    EXPECT_EQ(Ask("roaming on"), "ok roaming on");
    EXPECT_TRUE(Until([&] { return Known().Roaming() == std::optional<bool>(true); }));
    EXPECT_EQ(Ask("roaming off"), "ok roaming off");
    EXPECT_EQ(Ask("service on"), "ok service on");
    EXPECT_EQ(Ask("signal 3"), "ok signal 3");
    EXPECT_EQ(Ask("battery 4"), "ok battery 4");
    EXPECT_EQ(Ask("operator Nordnetz"), "ok operator Nordnetz");
    EXPECT_TRUE(Until([&] {
        return Known().Signal() == std::optional<BYTE>(3) && Known().Battery() == std::optional<BYTE>(4)
            && Known().Roaming() == std::optional<bool>(false)
            && ToUtf8(Known().OperatorName()) == "Nordnetz";
    }));
    Idle();
    EXPECT_TRUE(ShowsText(*Frame().GetActiveView(), "Nordnetz"));
    Screenshot("main-view-phone-indicators");

    // The call screens leave the top bar's spot open: it shows there the same.
    auto spot = [&] { return Pixels({ 84, 3, 127, 34 }); };
    auto onMainView = spot();
    RingOnSim("5551234");
    EXPECT_EQ(spot(), onMainView);
    EXPECT_EQ(Ask("hangup"), "ok call over");

    EXPECT_EQ(Ask("linkdown").rfind("ok", 0), 0u);
    EXPECT_TRUE(
        Until([&] { return !Known().Signal() && !Known().Battery() && Known().OperatorName().empty(); }));
    EXPECT_EQ(Ask("battery 2"), "error no phone linked");
}
