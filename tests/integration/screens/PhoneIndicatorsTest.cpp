// The linked phone's signal, battery, network and operator name as the bridge reports them
// (indicator event 0x60, text event 0x61), frame by frame: what is kept, what is refused, what the
// main view's top bar then draws, and the bridge's command held back until a bridge has spoken.

#include "AppFixture.h"

#include "controller/BridgeIndicators.h"
#include "ui/PhoneGauges.h"

using ::testing::ElementsAre;

namespace {

constexpr uint8_t kEvIndicator = 0x60, kEvText = 0x61;
constexpr uint8_t kSignal = 2, kBattery = 3, kRoaming = 4, kService = 5, kInband = 8, kOperator = 1;

class PhoneIndicatorsTest : public AppTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start());
        ConnectPhone();
        Idle();
        bare = TopBarSpot();
    }

    void Indicator(uint8_t kind, uint8_t value) { Event(kEvIndicator, { kind, value }); }
    void Text(uint8_t kind, const std::string& text)
    {
        std::vector<uint8_t> body { kind };
        body.insert(body.end(), text.begin(), text.end());
        Event(kEvText, body);
    }
    const BridgeIndicators& Known() { return Frame().Context()->PhoneIndicators(); }
    // The pixels of the top bar's spot for the phone, after the view has painted.
    std::vector<uint32_t> TopBarSpot()
    {
        Idle();
        std::vector<uint32_t> pixels;
        const RECT area { 84, 3, 127, 34 };
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                pixels.push_back(ws.Screen().Pixel(x, y));
        return pixels;
    }

    std::vector<uint32_t> bare;
};

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

    Indicator(kService, 1);
    EXPECT_EQ(TopBarSpot(), home);
    // Without a network no bars are lit, whatever strength came last.
    Indicator(kService, 0);
    EXPECT_EQ(Known().Service(), std::optional<bool>(false));
    EXPECT_EQ(TopBarSpot(), unlit);
    Indicator(kSignal, 0);
    EXPECT_EQ(TopBarSpot(), unlit);
    Indicator(kService, 2);
    EXPECT_EQ(Known().Service(), std::optional<bool>(false));
}

TEST_F(PhoneIndicatorsTest, InbandRingingTakesZeroAndOneOnlyAndDrawsNothing)
{
    EXPECT_FALSE(Known().InbandRinging());
    Indicator(kInband, 1);
    EXPECT_TRUE(Known().InbandRinging());
    Indicator(kInband, 2);
    EXPECT_TRUE(Known().InbandRinging());
    EXPECT_EQ(TopBarSpot(), bare);
    Indicator(kInband, 0);
    EXPECT_FALSE(Known().InbandRinging());
    Indicator(kInband, 1);
    // Forgotten with the phone, like the phone's other facts.
    State(3);
    EXPECT_FALSE(Known().InbandRinging());
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

TEST_F(PhoneIndicatorsTest, EverythingIsForgottenWhenThePhoneUnlinks)
{
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
    EXPECT_EQ(TopBarSpot(), bare);
}

// A serial module must never see the bridge's command: it goes out only after a bridge event.
TEST_F(PhoneIndicatorsTest, BridgeActionIsSentOnlyAfterTheBridgeHasSpoken)
{
    ScreenContext& ctx = *Frame().Context();
    (void)Sent();
    EXPECT_FALSE(ctx.BridgeAction(bridge::Action::SwapCalls));
    EXPECT_TRUE(SentFrames().empty());
    Indicator(kSignal, 2);
    EXPECT_TRUE(ctx.BridgeAction(bridge::Action::SwapCalls));
    EXPECT_THAT(SentFrames(), ElementsAre(std::vector<uint8_t> { 0x77, 0x01, 0x02, 0x62, 0x03, 0x15 }));
}
