// The phone's voice assistant frame by frame on the module's line: the held dial tile's edge, the
// command held back from a serial module, and the indicator's values kept or refused.

#include "AppFixture.h"

#include "controller/BridgeIndicators.h"
#include "screens/DlgAssistant.h"
#include "screens/OstrilanView.h"
#include "store/PairStore.h"

using ::testing::ElementsAre;

namespace {

constexpr uint8_t kEvIndicator = 0x60, kAssistant = 7, kSignal = 2;
constexpr uint8_t kCmdBridgeAction = 0x62;

class AssistantTest : public AppTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start());
        ConnectPhone();
        Idle();
        (void)Sent();
    }

    std::optional<bool> Known() { return Frame().Context()->PhoneIndicators().Assistant(); }
    bool PanelShown()
    {
        Idle();
        return dynamic_cast<COstrilanView*>(Frame().GetActiveView())->AssistantPanel().IsWindowVisible();
    }
    bool DialPadUp() { return Frame().ScreenWindow(kScreenPlaceCall) != nullptr; }
    // A finger on the dial tile for `ms`, then lifted; the dial pad it may open is closed again.
    // True when it opened.
    bool HoldDialTile(uint64_t ms)
    {
        const POINT p = skin::place::Center(skin::place::main::btn_callplace);
        ws.InjectMouse(WM_LBUTTONDOWN, p.x, p.y);
        Idle();
        Advance(ms);
        ws.InjectMouse(WM_LBUTTONUP, p.x, p.y);
        Idle();
        const bool opened = DialPadUp();
        if (opened) {
            Frame().SendMessage(WM_PHONE_CLOSE_SCREEN, kScreenPlaceCall, 0);
            Idle();
        }
        return opened;
    }
};

}

TEST_F(AssistantTest, SerialModuleNeverSeesTheCommandAndAHeldTileIsATap)
{
    EXPECT_TRUE(HoldDialTile(3000));
    EXPECT_TRUE(SentOpcodes().empty());
    EXPECT_FALSE(PanelShown());
}

TEST_F(AssistantTest, HeldJustUnderTheEdgeIsATapAndHeldToItSendsTheStart)
{
    Event(kEvIndicator, { kSignal, 3 });
    EXPECT_TRUE(HoldDialTile(799));
    EXPECT_TRUE(SentOpcodes().empty());

    EXPECT_FALSE(HoldDialTile(800));
    EXPECT_THAT(SentFrames(), ElementsAre(std::vector<uint8_t> { 0x77, 0x01, 0x02, kCmdBridgeAction, 0x05, 0x13 }));
    // Nothing shows until the phone says its assistant listens.
    EXPECT_FALSE(PanelShown());
}

TEST_F(AssistantTest, HeldAgainWhereTheTileWasTheListeningPanelSendsTheStop)
{
    Event(kEvIndicator, { kAssistant, 1 });
    ASSERT_TRUE(PanelShown());
    (void)Sent();
    // The panel lies over the tile: the same finger held there ends the assistant.
    EXPECT_FALSE(HoldDialTile(799));
    EXPECT_TRUE(SentOpcodes().empty());
    EXPECT_FALSE(HoldDialTile(800));
    EXPECT_THAT(SentFrames(), ElementsAre(std::vector<uint8_t> { 0x77, 0x01, 0x02, kCmdBridgeAction, 0x06, 0x10 }));
    // Until the phone says so, the panel stays.
    EXPECT_TRUE(PanelShown());
}

TEST_F(AssistantTest, OffAndListeningAreKeptAboveIsRefusedAndTheLinkForgetsIt)
{
    Event(kEvIndicator, { kAssistant, 2 });
    EXPECT_EQ(Known(), std::nullopt);
    Event(kEvIndicator, { kAssistant, 1 });
    EXPECT_EQ(Known(), std::optional<bool>(true));
    EXPECT_TRUE(PanelShown());
    Event(kEvIndicator, { kAssistant, 2 });
    EXPECT_EQ(Known(), std::optional<bool>(true));
    Event(kEvIndicator, { kAssistant, 0 });
    EXPECT_EQ(Known(), std::optional<bool>(false));
    EXPECT_FALSE(PanelShown());

    Event(kEvIndicator, { kAssistant, 1 });
    EXPECT_TRUE(PanelShown());
    State(1);
    EXPECT_EQ(Known(), std::nullopt);
    EXPECT_FALSE(PanelShown());
}

TEST_F(AssistantTest, PanelNamesTheLinkedPhoneWhenItsNameIsStored)
{
    // As a pairing leaves it.
    {
        auto pairs = std::make_unique<PairStore>();
        const BYTE address[] = { 0x11, 0x22, 0x33, 0x44, 0x55, 0x66 };
        pairs->Add(address);
        ASSERT_TRUE(pairs->SetName(address, u"Road phone"));
        ASSERT_TRUE(pairs->Save());
    }
    State(1);
    ConnectPhone();
    Event(kEvIndicator, { kSignal, 4 });
    Event(kEvIndicator, { kAssistant, 1 });
    ASSERT_TRUE(PanelShown());
    const Window& panel = dynamic_cast<COstrilanView*>(Frame().GetActiveView())->AssistantPanel();
    EXPECT_TRUE(ShowsText(panel, "Road phone is listening"));
    EXPECT_TRUE(ShowsText(panel, "Voice assistant"));
    Screenshot("assistant");
}
