// The phone's voice assistant played on the module simulator as the bridge reports it: the dial
// tile held starts it, its panel over the tiles while it listens, with the call audio in the car,
// and the end of it from either side.

#include "SimAppTest.h"
#include "controller/BridgeIndicators.h"
#include "screens/DlgAssistant.h"
#include "screens/OstrilanView.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

const std::vector<std::string> kAudioToPhone { "audio 8098 1 0", "audio 8099 1 0", "audio 8091 4 0",
    "audio 8091 1 0" };

class AssistantSimTest : public SimAppTest {
protected:
    void SetUp() override
    {
        StartOnSim({ "--connect-delay", "5", "--log", (dir / "sim.log").string() });
    }

    std::optional<bool> Assistant() { return Frame().Context()->PhoneIndicators().Assistant(); }
    const CDlgAssistant& Panel() { return dynamic_cast<COstrilanView*>(Frame().GetActiveView())->AssistantPanel(); }
    bool PanelShown()
    {
        Idle();
        return Panel().IsWindowVisible();
    }
    bool DialPadUp() { return Frame().ScreenWindow(kScreenPlaceCall) != nullptr; }
    // A finger on the dial tile for `ms`, then lifted.
    void HoldDialTile(uint64_t ms) { Hold(skin::place::Center(skin::place::main::btn_callplace), ms); }
    void CloseDialPad()
    {
        Frame().SendMessage(WM_PHONE_CLOSE_SCREEN, kScreenPlaceCall, 0);
        ASSERT_TRUE(Until([&] { return !DialPadUp(); }));
    }
    std::string SimLog() { return testenv::ReadFile(dir / "sim.log"); }
};

}

TEST_F(AssistantSimTest, HeldDialTileStartsTheAssistantOnlyOnABridgeAndAShorterPressStillDials)
{
    ASSERT_TRUE(LinkedNow());
    // No bridge event yet, as with a serial module: held as long as it may, the tile is a tap.
    HoldDialTile(1500);
    EXPECT_TRUE(Until([&] { return DialPadUp(); }));
    CloseDialPad();

    EXPECT_EQ(Ask("signal 3"), "ok signal 3");
    ASSERT_TRUE(Until([&] { return Frame().Context()->PhoneIndicators().Signal().has_value(); }));
    // Lifted a moment before the edge: the tap it always was.
    HoldDialTile(799);
    EXPECT_TRUE(Until([&] { return DialPadUp(); }));
    CloseDialPad();
    EXPECT_EQ(Assistant(), std::nullopt);
    EXPECT_THAT(SimLog(), ::testing::Not(HasSubstr("assistant-start")));

    // Held to the edge: the phone is asked, and its report brings the panel, not the dial pad.
    (void)TakeTrace("audio");
    HoldDialTile(800);
    ASSERT_TRUE(Until([&] { return Assistant() == std::optional<bool>(true); }));
    EXPECT_THAT(SimLog(), HasSubstr("bridge action assistant-start"));
    EXPECT_TRUE(PanelShown());
    EXPECT_FALSE(DialPadUp());
    EXPECT_TRUE(ShowsText(Panel(), "Your phone is listening"));
    EXPECT_THAT(TakeTrace("audio"), ::testing::ElementsAreArray(kAudioToPhone));

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
