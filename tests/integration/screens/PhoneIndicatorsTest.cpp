// The bridge's reports of the linked phone (events 0x60, 0x61): the top bar, the voice assistant, a
// second call, its command held from a serial module. The bluez flows play them through oFono.

#include "AppFixture.h"

#include "controller/BridgeIndicators.h"
#include "controller/SecondCall.h"
#include "screens/CallScreen.h"
#include "screens/DlgAssistant.h"
#include "screens/DlgCallWaiting.h"
#include "screens/OstrilanView.h"
#include "ui/PhoneGauges.h"

using ::testing::ElementsAre;

namespace {

constexpr uint8_t kEvText = 0x61, kCmdBridgeAction = 0x62;
constexpr uint8_t kSignal = 2, kBattery = 3, kRoaming = 4, kService = 5, kSecondCall = 6, kAssistant = 7,
                  kInband = 8;
constexpr uint8_t kOperator = 1, kSecondNumber = 2;

class BridgeTest : public AppTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start());
        ConnectPhone();
        bare = TopBarSpot();
        (void)Sent();
    }

    void Text(uint8_t kind, const std::string& text)
    {
        const std::string body = char(kind) + text;
        Event(kEvText, { body.begin(), body.end() });
    }
    const BridgeIndicators& Known() { return Frame().Context()->PhoneIndicators(); }
    // The pixels of the top bar's spot for the phone, after the view has painted.
    std::vector<uint32_t> TopBarSpot() { return Pixels({ 84, 3, 127, 34 }); }

    bool PanelShown()
    {
        Idle();
        return dynamic_cast<COstrilanView*>(Frame().GetActiveView())->AssistantPanel().IsWindowVisible();
    }
    // A finger on the dial tile for `ms`; true when it opened the dial pad (closed again).
    bool HoldDialTile(uint64_t ms)
    {
        Hold(skin::place::Center(skin::place::main::btn_callplace), ms);
        if (!Frame().ScreenWindow(kScreenPlaceCall))
            return false;
        Frame().SendMessage(WM_PHONE_CLOSE_SCREEN, kScreenPlaceCall, 0);
        Idle();
        return true;
    }

    bridge::SecondCall Second() { return Frame().Context()->SecondCallNow().State(); }
    // 5551234 rings and is answered on the device.
    void FirstCallAnswered()
    {
        Rings("5551234");
        TapAt(skin::place::Center(skin::place::incoming::btn_accept));
        State(6, 1);
    }
    void Waiting(const std::string& number)
    {
        Text(kSecondNumber, number);
        Indicator(kSecondCall, 1);
    }
    bool PanelShows(const std::string& text)
    {
        Idle();
        auto* screen = Screen<CallScreen>(kScreenIncoming);
        return screen && screen->CallWaitingPanel().IsWindowVisible()
            && ShowsText(screen->CallWaitingPanel(), text);
    }
    // The button sends the bridge's action; the module's report of the calls follows.
    void TapPanel(const skin::place::Control& button, uint8_t action, uint8_t report)
    {
        (void)Sent();
        TapIn(CDlgCallWaiting::kPlace, button);
        EXPECT_THAT(SentFrames(), ElementsAre(CommandBytes(kCmdBridgeAction, { action })));
        Indicator(kSecondCall, report);
    }

    std::vector<uint32_t> bare;
};

// A record's time of day in seconds.
int Seconds(const CallRecord& record)
{
    return (record.time.wHour * 60 + record.time.wMinute) * 60 + record.time.wSecond;
}

using PhoneIndicatorsTest = BridgeTest;
using AssistantTest = BridgeTest;
using SecondCallTest = BridgeTest;

}

TEST_F(PhoneIndicatorsTest, LevelsFromZeroToFiveAreKeptAndSixIsRefused)
{
    struct Case {
        uint8_t kind;
        const char* name;
        std::function<std::optional<BYTE>()> read;
    };
    const Case cases[] = {
        { kSignal, "signal", [&] { return Known().Signal(); } },
        { kBattery, "battery", [&] { return Known().Battery(); } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.read(), std::nullopt);
        Indicator(c.kind, 0);
        EXPECT_EQ(c.read(), std::optional<BYTE>(0));
        auto atZero = TopBarSpot();
        // Zero is drawn (empty bars, an empty battery), unlike a value never reported.
        EXPECT_NE(atZero, bare);
        Indicator(c.kind, 5);
        EXPECT_EQ(c.read(), std::optional<BYTE>(5));
        auto atFive = TopBarSpot();
        EXPECT_NE(atFive, atZero);
        Indicator(c.kind, 6);
        EXPECT_EQ(c.read(), std::optional<BYTE>(5));
        EXPECT_EQ(TopBarSpot(), atFive);
    }
}

TEST_F(PhoneIndicatorsTest, RoamingAndServiceTakeZeroAndOneOnly)
{
    // No network and no strength known yet: the bars are drawn, none lit.
    Indicator(kService, 0);
    auto unlit = TopBarSpot();
    EXPECT_NE(unlit, bare);
    Indicator(kService, 1);
    EXPECT_EQ(TopBarSpot(), bare);

    Indicator(kSignal, 4);
    auto home = TopBarSpot();
    Indicator(kRoaming, 1);
    EXPECT_EQ(Known().Roaming(), std::optional<bool>(true));
    auto roaming = TopBarSpot();
    EXPECT_NE(roaming, home);
    Indicator(kRoaming, 2);
    EXPECT_EQ(Known().Roaming(), std::optional<bool>(true));
    Indicator(kRoaming, 0);
    EXPECT_EQ(TopBarSpot(), home);

    // Without a network no bars are lit, whatever strength came last.
    Indicator(kService, 0);
    EXPECT_EQ(Known().Service(), std::optional<bool>(false));
    EXPECT_EQ(TopBarSpot(), unlit);
    Indicator(kService, 2);
    EXPECT_EQ(Known().Service(), std::optional<bool>(false));
}

TEST_F(PhoneIndicatorsTest, OperatorNameIsCutToThirtyTwoCharactersAndOtherTextKindsAreIgnored)
{
    Text(kOperator, "Nordnetz");
    EXPECT_EQ(ToUtf8(Known().OperatorName()), "Nordnetz");
    EXPECT_NE(TopBarSpot(), bare);
    EXPECT_TRUE(ShowsText(*Frame().GetActiveView(), "Nordnetz"));
    Text(2, "Other");
    EXPECT_EQ(ToUtf8(Known().OperatorName()), "Nordnetz");
    Text(kOperator, std::string(32, 'a'));
    EXPECT_EQ(Known().OperatorName().size(), 32u);
    Text(kOperator, std::string(33, 'b'));
    EXPECT_EQ(ToUtf8(Known().OperatorName()), std::string(32, 'b'));
    // An empty name is no name: nothing is drawn.
    Text(kOperator, "");
    EXPECT_EQ(TopBarSpot(), bare);
}

// Ringing through the car draws nothing; what it changes is CallerSpeechTest's.
TEST_F(PhoneIndicatorsTest, EverythingIsForgottenWhenThePhoneUnlinks)
{
    Indicator(kInband, 1);
    EXPECT_EQ(TopBarSpot(), bare);
    Indicator(kSignal, 3);
    Indicator(kBattery, 2);
    Indicator(kRoaming, 1);
    Indicator(kService, 1);
    Text(kOperator, "Nordnetz");
    EXPECT_NE(TopBarSpot(), bare);
    Link(0);
    State(1);
    EXPECT_EQ(Known().Signal(), std::nullopt);
    EXPECT_EQ(Known().Battery(), std::nullopt);
    EXPECT_EQ(Known().Roaming(), std::nullopt);
    EXPECT_EQ(Known().Service(), std::nullopt);
    EXPECT_TRUE(Known().OperatorName().empty());
    EXPECT_FALSE(Known().InbandRinging());
    EXPECT_EQ(TopBarSpot(), bare);
}

TEST_F(PhoneIndicatorsTest, TheCallScreensLeaveTheTopBarsSpotOpen)
{
    // The module's answer to the start's microphone gain, which the picture's gauge shows.
    Response(0x0D, { 0, 4 });
    Indicator(kService, 1);
    Indicator(kSignal, 3);
    Indicator(kBattery, 4);
    Indicator(kRoaming, 0);
    Text(kOperator, "Nordnetz");
    Screenshot("main-view-phone-indicators");
    const std::vector<uint32_t> onMainView = TopBarSpot();
    Ring();
    State(5);
    EXPECT_EQ(TopBarSpot(), onMainView);
}

// A serial module must never see the bridge's command: it goes out only after a bridge event, and
// till then a held dial tile is a tap.
TEST_F(PhoneIndicatorsTest, BridgeActionIsSentOnlyAfterTheBridgeHasSpoken)
{
    EXPECT_TRUE(HoldDialTile(3000));
    EXPECT_FALSE(PanelShown());
    EXPECT_FALSE(Frame().Context()->BridgeAction(bridge::Action::SwapCalls));
    EXPECT_TRUE(SentFrames().empty());
    Indicator(kSignal, 2);
    EXPECT_TRUE(Frame().Context()->BridgeAction(bridge::Action::SwapCalls));
    EXPECT_THAT(SentFrames(), ElementsAre(std::vector<uint8_t> { 0x77, 0x01, 0x02, 0x62, 0x03, 0x15 }));
}

// Held on the tile the hold starts the assistant; held on the listening panel, which lies over the
// tile, it stops it. Either way the panel waits for the phone's word.
TEST_F(AssistantTest, HeldJustUnderTheEdgeIsATapAndHeldToItSendsTheStartOrOnThePanelTheStop)
{
    const std::tuple<bool, uint8_t, uint8_t> holds[] = { { false, 0x05, 0x13 }, { true, 0x06, 0x10 } };
    for (auto [listening, action, check] : holds) {
        Indicator(listening ? kAssistant : kSignal, listening ? 1 : 3);
        ASSERT_EQ(PanelShown(), listening);
        (void)Sent();
        EXPECT_EQ(HoldDialTile(799), !listening);
        EXPECT_TRUE(SentOpcodes().empty());
        EXPECT_FALSE(HoldDialTile(800));
        EXPECT_THAT(SentFrames(),
            ElementsAre(std::vector<uint8_t> { 0x77, 0x01, 0x02, kCmdBridgeAction, action, check }));
        EXPECT_EQ(PanelShown(), listening);
    }
}

// While the phone listens the call audio is in the car.
TEST_F(AssistantTest, OffAndListeningAreKeptAboveIsRefusedAndTheLinkForgetsIt)
{
    Indicator(kAssistant, 2);
    EXPECT_EQ(Known().Assistant(), std::nullopt);
    (void)TakeTrace("audio");
    Indicator(kAssistant, 1);
    EXPECT_EQ(Known().Assistant(), std::optional<bool>(true));
    EXPECT_TRUE(PanelShown());
    EXPECT_THAT(TakeTrace("audio"),
        ElementsAre("audio 8098 1 0", "audio 8099 1 0", "audio 8091 4 0", "audio 8091 1 0"));
    Indicator(kAssistant, 2);
    EXPECT_EQ(Known().Assistant(), std::optional<bool>(true));
    Indicator(kAssistant, 0);
    EXPECT_EQ(Known().Assistant(), std::optional<bool>(false));
    EXPECT_FALSE(PanelShown());
    EXPECT_THAT(TakeTrace("audio"),
        ElementsAre("audio 8098 2 0", "audio 8099 2 0", "audio 8091 2 0", "audio 8091 3 0"));

    // The panel's button asks for the stop; the panel waits for the phone's word.
    Indicator(kAssistant, 1);
    (void)Sent();
    TapIn(CDlgAssistant::kPlace, skin::place::assistant::btn_end);
    EXPECT_THAT(
        SentFrames(), ElementsAre(std::vector<uint8_t> { 0x77, 0x01, 0x02, kCmdBridgeAction, 0x06, 0x10 }));
    EXPECT_TRUE(PanelShown());
    State(1);
    EXPECT_EQ(Known().Assistant(), std::nullopt);
    EXPECT_FALSE(PanelShown());
}

// The phone still listens after the call: back at rest, the panel says so again.
TEST_F(AssistantTest, ARingTakesTheScreenFromThePanelUntilTheCallIsOver)
{
    Indicator(kAssistant, 1);
    ASSERT_TRUE(PanelShown());
    Ring();
    State(5);
    EXPECT_FALSE(PanelShown());
    State(4);
    Advance(4000);
    EXPECT_TRUE(PanelShown());
}

TEST_F(SecondCallTest, RefusedOutsideACallAndLoggedWhenTheModuleEndsBothWithoutAWord)
{
    Text(kSecondNumber, "5550000");
    Indicator(kSecondCall, 1);
    EXPECT_EQ(Second(), bridge::SecondCall::None) << "no call in progress";

    FirstCallAnswered();
    Waiting("5557777");
    EXPECT_EQ(Second(), bridge::SecondCall::Waiting);
    EXPECT_TRUE(PanelShows("5557777"));
    Indicator(kSecondCall, 6);
    EXPECT_EQ(Second(), bridge::SecondCall::Waiting) << "6 is no second-call state";

    Advance(4000);
    CallOver();
    std::vector<CallRecord> received = History("IncomingCall.dat");
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].Number(), "5551234");
    EXPECT_EQ(received[0].duration, 4u);
    std::vector<CallRecord> missed = History("MissedCall.dat");
    ASSERT_EQ(missed.size(), 1u);
    EXPECT_EQ(missed[0].Number(), "5557777");
}

TEST_F(SecondCallTest, WaitingCallHeldSwappedMergedAndEndedLeavesBothCallsInTheHistory)
{
    DropContacts("dropped.vcf", Card("Ann Lee", "TEL:5557777\r\n"));
    ASSERT_TRUE(KnowsCaller(u"5557777"));
    // The module's answer to the start's microphone gain, which the pictures' gauge shows.
    Response(0x0D, { 0, 4 });
    FirstCallAnswered();
    EXPECT_FALSE(PanelShows("Call waiting"));
    Advance(10000);
    Waiting("5557777");
    EXPECT_TRUE(PanelShows("Ann Lee"));
    Screenshot("call-waiting");

    TapPanel(skin::place::callwait::btn_hold_answer, 1, 2);
    Screenshot("call-waiting-two-calls");
    Advance(20000);
    TapPanel(skin::place::callwait::btn_swap, 3, 3);
    TapPanel(skin::place::callwait::btn_merge, 4, 4);
    EXPECT_TRUE(PanelShows("Two callers"));

    // The module ends both: each is logged once, with its own start and length.
    Advance(5000);
    CallOver();
    std::vector<CallRecord> received = History("IncomingCall.dat");
    ASSERT_EQ(received.size(), 2u);
    std::sort(received.begin(), received.end(),
        [](const auto& a, const auto& b) { return Seconds(a) < Seconds(b); });
    EXPECT_EQ(received[0].Number(), "5551234");
    EXPECT_EQ(received[0].duration, 35u);
    EXPECT_EQ(Seconds(received[1]) - Seconds(received[0]), 10);
    EXPECT_EQ(received[1].Number(), "5557777");
    EXPECT_EQ(received[1].duration, 25u);
    EXPECT_TRUE(History("MissedCall.dat").empty());
}

TEST_F(SecondCallTest, WaitingCallRejectedIsMissedAndOneAnsweredInPlaceOfTheFirstIsLoggedAsItsOwn)
{
    FirstCallAnswered();
    Advance(4000);
    Waiting("5558888");
    EXPECT_TRUE(PanelShows("5558888"));
    TapPanel(skin::place::callwait::btn_reject, 7, 0);
    EXPECT_FALSE(PanelShows("5558888"));
    EXPECT_EQ(Frame().Context()->status.mainState, PhoneStatus::kStateInCall);
    std::vector<CallRecord> missed = History("MissedCall.dat");
    ASSERT_EQ(missed.size(), 1u);
    EXPECT_EQ(missed[0].Number(), "5558888");
    EXPECT_EQ(missed[0].duration, 0u);
    EXPECT_TRUE(History("IncomingCall.dat").empty());

    // The next one is answered in place of the first, which is logged then; it is the call now.
    Advance(6000);
    Waiting("5559999");
    TapPanel(skin::place::callwait::btn_end_answer, 2, 5);
    std::vector<CallRecord> received = History("IncomingCall.dat");
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].Number(), "5551234");
    EXPECT_EQ(received[0].duration, 10u);
    EXPECT_EQ(Seconds(missed[0]) - Seconds(received[0]), 4);
    Idle();
    EXPECT_TRUE(ShowsText(*Screen<CallScreen>(kScreenIncoming), "5559999"));
    Advance(5000);
    CallOver();
    // Newest first.
    received = History("IncomingCall.dat");
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].Number(), "5559999");
    EXPECT_EQ(received[0].duration, 5u);
    EXPECT_EQ(History("MissedCall.dat").size(), 1u);
}
