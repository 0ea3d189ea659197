// The bridge's reports of the linked phone played on the module simulator's console: its facts on
// the top bar, and its voice assistant with the call audio in the car while it listens.

#include "SimAppTest.h"
#include "controller/BridgeIndicators.h"
#include "screens/DlgAssistant.h"
#include "screens/OstrilanView.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class AssistantSimTest : public SimAppTest {
protected:
    void SetUp() override
    {
        StartOnSim({ "--connect-delay", "5", "--log", (dir / "sim.log").string() });
    }

    const BridgeIndicators& Known() { return Frame().Context()->PhoneIndicators(); }
    std::optional<bool> Assistant() { return Known().Assistant(); }
    const CDlgAssistant& Panel() { return dynamic_cast<COstrilanView*>(Frame().GetActiveView())->AssistantPanel(); }
    bool PanelShown()
    {
        Idle();
        return Panel().IsWindowVisible();
    }
    std::string SimLog() { return testenv::ReadFile(dir / "sim.log"); }
};

using PhoneIndicatorsSimTest = AssistantSimTest;

}

// The hold's edge and the tap without a bridge are PhoneIndicatorsTest's, frame by frame.
TEST_F(AssistantSimTest, HeldDialTileStartsTheAssistantAndThePhoneOrThePanelsEndStopsIt)
{
    ASSERT_TRUE(LinkedNow());
    EXPECT_EQ(Ask("signal 3"), "ok signal 3");
    ASSERT_TRUE(Until([&] { return Known().Signal().has_value(); }));
    // The phone is asked, and its report brings the panel, not the dial pad.
    (void)TakeTrace("audio");
    Hold(skin::place::Center(skin::place::main::btn_callplace), 800);
    ASSERT_TRUE(Until([&] { return Assistant() == std::optional<bool>(true); }));
    EXPECT_THAT(SimLog(), HasSubstr("bridge action assistant-start"));
    EXPECT_TRUE(PanelShown());
    EXPECT_EQ(Frame().ScreenWindow(kScreenPlaceCall), nullptr);
    EXPECT_TRUE(ShowsText(Panel(), "Your phone is listening"));
    EXPECT_THAT(TakeTrace("audio"),
        ElementsAre("audio 8098 1 0", "audio 8099 1 0", "audio 8091 4 0", "audio 8091 1 0"));

    // The phone ends it on its own: the panel goes and the audio returns.
    EXPECT_EQ(Ask("assistant"), "ok assistant off");
    ASSERT_TRUE(Until([&] { return Assistant() == std::optional<bool>(false); }));
    EXPECT_FALSE(PanelShown());
    EXPECT_THAT(TakeTrace("audio"),
        ElementsAre("audio 8098 2 0", "audio 8099 2 0", "audio 8091 2 0", "audio 8091 3 0"));

    // Started on the phone, ended with the panel's button.
    EXPECT_EQ(Ask("assistant"), "ok assistant on");
    ASSERT_TRUE(Until([&] { return PanelShown(); }));
    TapIn(CDlgAssistant::kPlace, skin::place::assistant::btn_end);
    ASSERT_TRUE(Until([&] { return Assistant() == std::optional<bool>(false); }));
    EXPECT_THAT(SimLog(), HasSubstr("bridge action assistant-stop"));
    EXPECT_FALSE(PanelShown());
}

TEST_F(AssistantSimTest, RingWhileTheAssistantListensGivesTheScreenToTheCallAndTheLinkEndsIt)
{
    ASSERT_TRUE(LinkedNow());
    EXPECT_EQ(Ask("assistant"), "ok assistant on");
    ASSERT_TRUE(Until([&] { return PanelShown(); }));

    RingOnSim("5551234");
    EXPECT_FALSE(PanelShown());
    HangUpOnSim();
    Advance(4000);
    // The phone still says its assistant listens: back at rest, the panel says so again.
    EXPECT_TRUE(Until([&] { return PanelShown(); }));

    EXPECT_EQ(Ask("linkdown").rfind("ok", 0), 0u);
    ASSERT_TRUE(Until([&] { return !Assistant().has_value(); }));
    EXPECT_FALSE(PanelShown());
    EXPECT_EQ(Ask("assistant"), "error no phone linked");
}

TEST_F(PhoneIndicatorsSimTest, PhoneFactsPlayedOnTheSimulatorReachTheMainViewUntilThePhoneUnlinks)
{
    // Nothing of a phone that is not linked.
    EXPECT_EQ(Ask("signal 3"), "error no phone linked");
    ASSERT_TRUE(LinkedNow());
    EXPECT_EQ(Known().Signal(), std::nullopt);

    for (const std::string name : { "signal", "battery" }) {
        SCOPED_TRACE(name);
        auto read = [&] { return name == "signal" ? Known().Signal() : Known().Battery(); };
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
