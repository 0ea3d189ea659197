#include "CallScreenSteps.h"

#include "screens/DlgOutgoing.h"
#include "controller/ScreenContext.h"
#include "screens/DlgPlaceCall.h"
#include "ui/SkinPoints.h"

namespace {

constexpr POINT kEnd = skin::place::Center(skin::place::outgoing::btn_end);

constexpr uint8_t kOpEndCall = 0x12;
constexpr uint8_t kOpDial = 0x15;

class OutgoingTest : public CallScreenTest {
protected:
    // A hands-free phone is connected and a screen starts a call to the number.
    CDlgOutgoing* Dialling(std::string_view number)
    {
        EXPECT_TRUE(Start());
        ConnectPhone();
        return Open(number);
    }
    CDlgOutgoing* Open(std::string_view number)
    {
        SetDialString(number);
        Frame().PostMessage(WM_PHONE_OPEN_SCREEN, kScreenOutgoing, 0);
        Idle();
        return Screen<CDlgOutgoing>(kScreenOutgoing);
    }
    void CallStatus(uint8_t first, uint8_t second, uint8_t third) { Event(0x10, { first, second, third }); }
    bool IsOpen() const { return Frame().ScreenWindow(kScreenOutgoing) != nullptr; }
};

// A dial string that uses all 32 slots has no terminator: all of it is sent and shown.
TEST_F(OutgoingTest, DialsTheDialStringWhenItOpens)
{
    ASSERT_TRUE(Start());
    ConnectPhone();
    for (std::string number : { "12345678901234567890123456789012", "0612345678" }) {
        Frame().CloseScreen(kScreenOutgoing);
        CDlgOutgoing* screen = Open(number);
        ASSERT_NE(screen, nullptr);
        std::vector<ModuleFrame> sent = Sent();
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].Opcode(), kOpDial);
        EXPECT_EQ(BodyText(sent[0]), number);
        EXPECT_TRUE(ShowsText(*screen, "Dialing..."));
        EXPECT_TRUE(ShowsText(*screen, number));
    }
    Screenshot("outgoing-dialling");
}

TEST_F(OutgoingTest, ADialThatCannotBeWrittenShowsTheFailureAndCloses)
{
    ASSERT_TRUE(Start());
    ConnectPhone();
    // Refused by the command when empty; not written at all once the link has stopped.
    for (bool empty : { true, false }) {
        SCOPED_TRACE(empty ? "empty dial string" : "link stopped");
        if (!empty)
            Frame().Context()->link.Stop();
        SetDialString(empty ? "" : "0612345678");
        const DWORD before = GetTickCount();
        Frame().PostMessage(WM_PHONE_OPEN_SCREEN, kScreenOutgoing, 0);
        ASSERT_TRUE(HandleUntilShown(kScreenOutgoing, "Dialing failed"));
        EXPECT_GE(GetTickCount() - before, 2000u);
        if (empty)
            Screenshot("outgoing-dial-failed", true);
        Idle();
        EXPECT_FALSE(IsOpen());
        EXPECT_TRUE(Sent().empty());
    }
}

// While dialling, End holds the screen a second after the command, and a second more before its
// one retry; in a call it says whether the command went out.
TEST_F(OutgoingTest, EndWhileDiallingRetriesOnceAndWaits)
{
    CDlgOutgoing* screen = Dialling("0612345678");
    ASSERT_NE(screen, nullptr);
    Sent();
    for (bool linkUp : { true, false }) {
        if (!linkUp)
            Frame().Context()->link.Stop();
        const DWORD before = GetTickCount();
        Tap(kEnd.x, kEnd.y);
        EXPECT_EQ(GetTickCount() - before, linkUp ? 1000u : 2000u);
        EXPECT_EQ(SentOpcodes(), linkUp ? std::vector<uint8_t> { kOpEndCall } : std::vector<uint8_t> {});
        EXPECT_TRUE(ShowsText(*screen, "Dialing..."));
    }
}

TEST_F(OutgoingTest, EndInACallSaysWhetherTheCommandWentOut)
{
    CDlgOutgoing* screen = Dialling("0612345678");
    ASSERT_NE(screen, nullptr);
    State(6, 1);
    Sent();
    Tap(kEnd.x, kEnd.y);
    EXPECT_EQ(SentOpcodes(), std::vector<uint8_t> { kOpEndCall });
    EXPECT_TRUE(ShowsText(*screen, "Ending call..."));
    Frame().Context()->link.Stop();
    Tap(kEnd.x, kEnd.y);
    EXPECT_TRUE(ShowsText(*screen, "Could not end the call"));
    EXPECT_TRUE(IsOpen());
}

TEST_F(OutgoingTest, ShowsNoAnswerOnTheThirtySecondSecondThenTheCallTimeAndClosesTwoSecondsAfterTheCall)
{
    CDlgOutgoing* screen = Dialling("0612345678");
    ASSERT_NE(screen, nullptr);
    Advance(31'000);
    EXPECT_TRUE(ShowsText(*screen, "Dialing..."));
    Advance(1'000);
    EXPECT_TRUE(ShowsText(*screen, "No answer"));
    Advance(10'000);
    ASSERT_TRUE(IsOpen());

    State(6, 1);
    EXPECT_TRUE(ShowsText(*screen, "Call connected"));
    Advance(3'200);
    EXPECT_TRUE(ShowsText(*screen, "00:00:03"));
    Screenshot("outgoing-in-call");

    const DWORD before = GetTickCount();
    module.Event(0x01, { 4 << 3 });
    ASSERT_TRUE(HandleUntilShown(kScreenOutgoing, "Call ended"));
    EXPECT_GE(GetTickCount() - before, 2000u);
    Screenshot("outgoing-ended", true);
    Idle();
    EXPECT_FALSE(IsOpen());
}

// The far side hangs up: its call status report comes first, then the screen shows "Call ended"
// for two seconds before the state report that logs the call is handled. Those are not call time.
TEST_F(OutgoingTest, ACallEndedByTheFarSideIsLoggedWithTheTimeTalked)
{
    ASSERT_TRUE(Start());
    ConnectPhone();
    // What every dial action does before the screen opens.
    SetDialString("0612345678");
    CDlgPlaceCall::RecordOutgoingCall(*Frame().Context());
    ASSERT_NE(Open("0612345678"), nullptr);
    State(6, 1);
    Advance(10'000);
    CallStatus(0, 0, 0);
    State(4);
    Idle();
    std::vector<CallRecord> calls = History("OutgoingCall.dat");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Number(), "0612345678");
    EXPECT_EQ(calls[0].duration, 10u);
}

// A state report ends the call only after it was connected; a call status report of no call in
// progress ends it even while dialling.
TEST_F(OutgoingTest, ReportsWhileDiallingCloseOnlyWhenNoCallIsInProgress)
{
    ASSERT_NE(Dialling("0612345678"), nullptr);
    State(4);
    CallStatus(0, 1, 0);
    EXPECT_TRUE(IsOpen());
    const DWORD before = GetTickCount();
    CallStatus(0, 0, 0);
    EXPECT_FALSE(IsOpen());
    EXPECT_EQ(GetTickCount() - before, 2000u);
}

}
