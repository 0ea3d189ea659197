#include "CallScreenSteps.h"

#include "screens/DlgOutgoing.h"

namespace {

constexpr POINT kEnd { 400, 180 };

constexpr uint8_t kOpEndCall = 0x12;
constexpr uint8_t kOpDial = 0x15;

class OutgoingTest : public CallScreenTest {
protected:
    // A hands-free phone is connected and a screen starts a call to the number.
    CDlgOutgoing* Dialling(std::string_view number)
    {
        EXPECT_TRUE(Start());
        ConnectPhone();
        SetDialString(number);
        Frame().PostMessage(WM_PHONE_OPEN_SCREEN, kScreenOutgoing, 0);
        Idle();
        return Screen<CDlgOutgoing>(kScreenOutgoing);
    }
    void CallStatus(uint8_t first, uint8_t second, uint8_t third) { Event(0x10, { first, second, third }); }
    bool IsOpen() const { return Frame().ScreenWindow(kScreenOutgoing) != nullptr; }
};

class OutgoingDialTest : public OutgoingTest, public ::testing::WithParamInterface<std::string> { };

// A dial string that uses all 32 slots has no terminator: all of it is sent and shown.
TEST_P(OutgoingDialTest, DialsTheDialStringWhenItOpens)
{
    const std::string& number = GetParam();
    CDlgOutgoing* screen = Dialling(number);
    ASSERT_NE(screen, nullptr);
    std::vector<ModuleFrame> sent = Sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].Opcode(), kOpDial);
    EXPECT_EQ(BodyText(sent[0]), number);
    EXPECT_TRUE(ShowsText(*screen, "Dialing..."));
    EXPECT_TRUE(ShowsText(*screen, number));
    if (number.size() < 32)
        Screenshot("outgoing-dialling");
}

INSTANTIATE_TEST_SUITE_P(
    Outgoing, OutgoingDialTest, ::testing::Values("0612345678", "12345678901234567890123456789012"));

// An empty dial string is refused by the command, a stopped link cannot write it: either way the
// failure shows for two seconds and the screen closes.
TEST_F(OutgoingTest, ADialThatCannotBeWrittenShowsTheFailureAndCloses)
{
    for (bool linkUp : { true, false }) {
        SCOPED_TRACE(linkUp ? "empty dial string" : "link stopped");
        if (linkUp) {
            ASSERT_TRUE(Start());
            ConnectPhone();
            SetDialString("");
        } else {
            SetDialString("0612345678");
            Frame().m_btModule.Stop();
        }
        const DWORD before = GetTickCount();
        Frame().PostMessage(WM_PHONE_OPEN_SCREEN, kScreenOutgoing, 0);
        ASSERT_TRUE(HandleUntilShown(kScreenOutgoing, "Dialing failed"));
        EXPECT_GE(GetTickCount() - before, 2000u);
        if (linkUp)
            ScreenshotAsIs("outgoing-dial-failed");
        Idle();
        EXPECT_FALSE(IsOpen());
        EXPECT_TRUE(Sent().empty());
    }
}

TEST_F(OutgoingTest, ShowsNoAnswerOnTheThirtySecondSecondAndStaysOpen)
{
    CDlgOutgoing* screen = Dialling("0612345678");
    ASSERT_NE(screen, nullptr);
    Advance(31'000);
    EXPECT_TRUE(ShowsText(*screen, "Dialing..."));
    Advance(1'000);
    EXPECT_TRUE(ShowsText(*screen, "No answer"));
    Advance(10'000);
    EXPECT_TRUE(IsOpen());
}

struct EndCase {
    const char* name;
    bool connected;
    bool linkUp;
    std::vector<uint8_t> sent;
    DWORD waitedMs;
    const char* shown;
};

class OutgoingEndTest : public OutgoingTest, public ::testing::WithParamInterface<EndCase> { };

// While dialling, End waits a second after the command, and a second more before its one retry;
// in a call it reports whether the command went out.
TEST_P(OutgoingEndTest, EndByState)
{
    const EndCase& c = GetParam();
    CDlgOutgoing* screen = Dialling("0612345678");
    ASSERT_NE(screen, nullptr);
    Sent();
    if (c.connected)
        State(6, 1);
    if (!c.linkUp)
        Frame().m_btModule.Stop();
    const DWORD before = GetTickCount();
    Tap(kEnd.x, kEnd.y);
    EXPECT_EQ(GetTickCount() - before, c.waitedMs);
    EXPECT_EQ(SentOpcodes(), c.sent);
    EXPECT_TRUE(ShowsText(*screen, c.shown));
    EXPECT_TRUE(IsOpen());
}

INSTANTIATE_TEST_SUITE_P(Outgoing, OutgoingEndTest,
    ::testing::Values(EndCase { "Dialling", false, true, { kOpEndCall }, 1000, "Dialing..." },
        EndCase { "DiallingLinkDown", false, false, {}, 2000, "Dialing..." },
        EndCase { "InCall", true, true, { kOpEndCall }, 0, "Ending call..." },
        EndCase { "InCallLinkDown", true, false, {}, 0, "Could not end the call" }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OutgoingTest, ShowsTheCallTimeOnceConnectedAndClosesTwoSecondsAfterTheCall)
{
    CDlgOutgoing* screen = Dialling("0612345678");
    ASSERT_NE(screen, nullptr);
    State(6, 1);
    EXPECT_TRUE(ShowsText(*screen, "Call connected"));
    Advance(3'200);
    EXPECT_TRUE(ShowsText(*screen, "00:00:03"));
    Screenshot("outgoing-in-call");

    const DWORD before = GetTickCount();
    module.Event(0x01, { 4 << 3 });
    ASSERT_TRUE(HandleUntilShown(kScreenOutgoing, "Call ended"));
    EXPECT_GE(GetTickCount() - before, 2000u);
    ScreenshotAsIs("outgoing-ended");
    Idle();
    EXPECT_FALSE(IsOpen());
}

// A call status report of no call in progress ends the call even while dialling; a state report
// ends it only after the call was connected.
TEST_F(OutgoingTest, OtherReportsCloseOnlyWhenTheyMeanTheCallIsOver)
{
    const struct {
        const char* name;
        bool state;
        uint8_t a;
        uint8_t b;
        bool closes;
    } cases[] = {
        { "no call in progress", false, 0, 0, true },
        { "a call in progress", false, 1, 0, false },
        { "state 4 before any 6", true, 4, 0, false },
    };
    ASSERT_TRUE(Start());
    ConnectPhone();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Frame().CloseScreen(kScreenOutgoing);
        SetDialString("0612345678");
        Frame().PostMessage(WM_PHONE_OPEN_SCREEN, kScreenOutgoing, 0);
        Idle();
        ASSERT_TRUE(IsOpen());
        const DWORD before = GetTickCount();
        if (c.state)
            State(c.a, c.b);
        else
            CallStatus(0, c.a, c.b);
        EXPECT_EQ(IsOpen(), !c.closes);
        EXPECT_EQ(GetTickCount() - before, c.closes ? 2000u : 0u);
    }
}

}
