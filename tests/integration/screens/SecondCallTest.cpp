// A second call as the bridge reports it (indicator kind 6, its number as text kind 2), frame by
// frame: refused outside a call and out of range, and when the first call ends first or the
// module ends both without telling of the second, each call still logged once as its own.

#include "AppFixture.h"

#include "controller/SecondCall.h"
#include "screens/CallScreen.h"

namespace {

constexpr uint8_t kEvIndicator = 0x60, kEvText = 0x61;
constexpr uint8_t kSecondCall = 6, kSecondNumber = 2;

class SecondCallTest : public AppTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start());
        ConnectPhone();
    }

    void Report(uint8_t value) { Event(kEvIndicator, { kSecondCall, value }); }
    void Number(const std::string& number)
    {
        std::vector<uint8_t> body { kSecondNumber };
        body.insert(body.end(), number.begin(), number.end());
        Event(kEvText, body);
    }
    bridge::SecondCall Second() { return Frame().Context()->SecondCallNow().State(); }
    CallScreen* Incoming() { return Screen<CallScreen>(kScreenIncoming); }
    bool PanelUp()
    {
        Idle();
        return Incoming() && Incoming()->CallWaitingPanel().IsWindowVisible();
    }
};

}

TEST_F(SecondCallTest, EachCallIsLoggedOnceWhenTheFirstEndsFirstOrBothEndWithoutAWord)
{
    // No call in progress: nothing waits behind it.
    Number("5550000");
    Report(1);
    EXPECT_EQ(Second(), bridge::SecondCall::None);

    State(5);
    Ring();
    CallerId("5551234");
    TapAt(skin::place::Center(skin::place::incoming::btn_accept));
    State(6, 1);
    ASSERT_NE(Incoming(), nullptr);
    EXPECT_FALSE(PanelUp());

    Advance(5000);
    Number("5557777");
    Report(1);
    EXPECT_EQ(Second(), bridge::SecondCall::Waiting);
    EXPECT_TRUE(PanelUp());
    Report(6);
    EXPECT_EQ(Second(), bridge::SecondCall::Waiting) << "6 is no second-call state";

    // Released and answered: the first is logged now, the second is the screen's call.
    Advance(3000);
    Report(5);
    EXPECT_EQ(Second(), bridge::SecondCall::None);
    EXPECT_FALSE(PanelUp());
    EXPECT_TRUE(ShowsText(*Incoming(), "5557777"));
    std::vector<CallRecord> received = History("IncomingCall.dat");
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].Number(), "5551234");
    EXPECT_EQ(received[0].duration, 8u);

    // Another waits; the module's end comes without the bridge telling of it.
    Advance(4000);
    Number("5558888");
    Report(1);
    EXPECT_TRUE(PanelUp());
    State(4);
    Advance(3000);
    received = History("IncomingCall.dat");
    ASSERT_EQ(received.size(), 2u);
    const CallRecord& second = received[0].Number() == "5557777" ? received[0] : received[1];
    EXPECT_EQ(second.Number(), "5557777");
    EXPECT_EQ(second.duration, 4u);
    std::vector<CallRecord> missed = History("MissedCall.dat");
    ASSERT_EQ(missed.size(), 1u);
    EXPECT_EQ(missed[0].Number(), "5558888");
    EXPECT_EQ(missed[0].duration, 0u);
}
