// The phone's voice assistant played on the module simulator as the bridge reports it: the dial
// tile held starts it, its panel over the tiles while it listens, with the call audio in the car,
// and the end of it from either side.

#include "SimAppTest.h"
#include "controller/BridgeIndicators.h"
#include "link/ModuleLink.h"
#include "screens/DlgAssistant.h"
#include "screens/OstrilanView.h"

#include <gmock/gmock.h>

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr std::chrono::milliseconds kWait { 10000 };
const std::vector<std::string> kAudioToPhone { "audio 8098 1 0", "audio 8099 1 0", "audio 8091 4 0",
    "audio 8091 1 0" };

class AssistantSimTest : public SimAppTest {
protected:
    void SetUp() override
    {
        StartOnSim({ "--connect-delay", "5", "--log", (dir / "sim.log").string() }, kWait);
    }

    std::optional<bool> Assistant() { return Frame().Context()->PhoneIndicators().Assistant(); }
    const CDlgAssistant& Panel()
    {
        return dynamic_cast<COstrilanView*>(Frame().GetActiveView())->AssistantPanel();
    }
    bool PanelShown()
    {
        Idle();
        return Panel().IsWindowVisible();
    }
    bool DialPadUp() { return Frame().ScreenWindow(kScreenPlaceCall) != nullptr; }
    // A finger on the dial tile for `ms`, then lifted.
    void HoldDialTile(uint64_t ms)
    {
        const POINT p = skin::place::Center(skin::place::main::btn_callplace);
        ws.InjectMouse(WM_LBUTTONDOWN, p.x, p.y);
        Idle();
        Advance(ms);
        ws.InjectMouse(WM_LBUTTONUP, p.x, p.y);
        Idle();
    }
    void CloseDialPad()
    {
        Frame().SendMessage(WM_PHONE_CLOSE_SCREEN, kScreenPlaceCall, 0);
        ASSERT_TRUE(Until([&] { return !DialPadUp(); }));
    }
    void TapEnd()
    {
        POINT p = skin::place::Center(skin::place::assistant::btn_end);
        Tap(CDlgAssistant::kPlace.left + p.x, CDlgAssistant::kPlace.top + p.y);
    }
    std::string SimLog()
    {
        std::ifstream in(dir / "sim.log");
        return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
    }
};

}

TEST_F(AssistantSimTest, HeldDialTileStartsTheAssistantOnlyOnABridgeAndAShorterPressStillDials)
{
    ASSERT_TRUE(LinkedNow());
    // No bridge event yet, as with a serial module: held as long as it may, the tile is a tap.
    HoldDialTile(1500);
    EXPECT_TRUE(Until([&] { return DialPadUp(); }));
    CloseDialPad();

    EXPECT_EQ(control.Ask("signal 3", kWait), "ok signal 3");
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
    EXPECT_EQ(control.Ask("assistant", kWait), "ok assistant off");
    ASSERT_TRUE(Until([&] { return Assistant() == std::optional<bool>(false); }));
    EXPECT_FALSE(PanelShown());
    EXPECT_THAT(TakeTrace("audio"),
        ElementsAre("audio 8098 2 0", "audio 8099 2 0", "audio 8091 2 0", "audio 8091 3 0"));

    // Started on the phone, ended with the panel's button.
    EXPECT_EQ(control.Ask("assistant", kWait), "ok assistant on");
    ASSERT_TRUE(Until([&] { return PanelShown(); }));
    TapEnd();
    ASSERT_TRUE(Until([&] { return Assistant() == std::optional<bool>(false); }));
    EXPECT_THAT(SimLog(), HasSubstr("bridge action assistant-stop"));
    EXPECT_FALSE(PanelShown());
}

TEST_F(AssistantSimTest, RingWhileTheAssistantListensGivesTheScreenToTheCallAndTheLinkEndsIt)
{
    ASSERT_TRUE(LinkedNow());
    EXPECT_EQ(control.Ask("assistant", kWait), "ok assistant on");
    ASSERT_TRUE(Until([&] { return PanelShown(); }));

    EXPECT_EQ(control.Ask("ring 5551234", kWait), "ok ringing");
    ASSERT_TRUE(Until([&] { return Frame().ScreenWindow(kScreenIncoming) != nullptr; }));
    EXPECT_FALSE(PanelShown());
    EXPECT_EQ(control.Ask("hangup", kWait), "ok call over");
    ASSERT_TRUE(Until([&] { return Frame().Context()->status.mainState == 4; }));
    Advance(4000);
    // The phone still says its assistant listens: back at rest, the panel says so again.
    EXPECT_TRUE(Until([&] { return PanelShown(); }));

    EXPECT_EQ(control.Ask("linkdown", kWait).rfind("ok", 0), 0u);
    ASSERT_TRUE(Until([&] { return !Assistant().has_value(); }));
    EXPECT_FALSE(PanelShown());
    EXPECT_EQ(control.Ask("assistant", kWait), "error no phone linked");
}
