// A second call as the bridge reports it (indicator kind 6, its number as text kind 2), frame by
// frame: refused outside a call and out of range, and logged with the first when the module ends
// both without telling of the second.

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

TEST_F(SecondCallTest, RefusedOutsideACallAndLoggedWhenTheModuleEndsBothWithoutAWord)
{
    Number("5550000");
    Report(1);
    EXPECT_EQ(Second(), bridge::SecondCall::None) << "no call in progress";

    State(5);
    Ring();
    CallerId("5551234");
    TapAt(skin::place::Center(skin::place::incoming::btn_accept));
    State(6, 1);
    Number("5557777");
    Report(1);
    EXPECT_EQ(Second(), bridge::SecondCall::Waiting);
    EXPECT_TRUE(PanelUp());
    Report(6);
    EXPECT_EQ(Second(), bridge::SecondCall::Waiting) << "6 is no second-call state";

    Advance(4000);
    State(4);
    Advance(3000);
    std::vector<CallRecord> received = History("IncomingCall.dat");
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].Number(), "5551234");
    EXPECT_EQ(received[0].duration, 4u);
    std::vector<CallRecord> missed = History("MissedCall.dat");
    ASSERT_EQ(missed.size(), 1u);
    EXPECT_EQ(missed[0].Number(), "5557777");
}
