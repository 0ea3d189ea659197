// Calls played on the module simulator as the bridge would report them: a second call during a
// call, and the missed-call notice with the simulator's console alone, as a person would try it
// without a bridge.

#include "SimAppTest.h"
#include "contacts/ContactDirectory.h"
#include "screens/CallScreen.h"
#include "screens/DlgCallWaiting.h"

#include <map>

namespace {

class CallWaitingSimTest : public SimAppTest {
protected:
    void SetUp() override { StartOnSim({ "--contacts", (dir / "data" / "contacts").string() }); }

    const PhoneStatus& Status() { return Frame().Context()->status; }
    bool StatusWithin(const std::string& expected) { return Until([&] { return StatusLine() == expected; }); }
    bridge::SecondCall Second() { return Frame().Context()->SecondCallNow().State(); }
    CallScreen* Incoming() { return Screen<CallScreen>(kScreenIncoming); }
    bool PanelShows(const std::string& text)
    {
        Idle();
        return Incoming() && Incoming()->CallWaitingPanel().IsWindowVisible()
            && ShowsText(Incoming()->CallWaitingPanel(), text);
    }
    void TapPanel(const skin::place::Control& button) { TapIn(CDlgCallWaiting::kPlace, button); }

    // 5551234 rings and is answered on the device.
    void FirstCallAnswered()
    {
        ASSERT_TRUE(LinkedByReconnect());
        RingOnSim("5551234");
        TapAt(skin::place::Center(skin::place::incoming::btn_accept));
        ASSERT_TRUE(Until([&] { return Status().mainState == PhoneStatus::kStateInCall; }));
    }
};

using MissedCallSimTest = CallWaitingSimTest;

// A record's time of day in seconds.
int Seconds(const CallRecord& record)
{
    return (record.time.wHour * 60 + record.time.wMinute) * 60 + record.time.wSecond;
}

// The records of a history file by their numbers.
std::map<std::string, CallRecord> ByNumber(const std::vector<CallRecord>& records)
{
    std::map<std::string, CallRecord> byNumber;
    for (const CallRecord& record : records)
        byNumber[record.Number()] = record;
    return byNumber;
}

}

TEST_F(CallWaitingSimTest, WaitingCallHeldSwappedMergedAndEndedLeavesBothCallsInTheHistory)
{
    FirstCallAnswered();
    ContactOnSim("Ann Lee", "5557777");
    // Nothing waits yet: the call screen is as it always was.
    EXPECT_FALSE(Incoming()->CallWaitingPanel().IsWindowVisible());

    Advance(10000);
    EXPECT_EQ(Ask("waiting 5557777"), "ok waiting 5557777");
    ASSERT_TRUE(Until([&] { return Second() == bridge::SecondCall::Waiting; }));
    EXPECT_TRUE(PanelShows("Ann Lee"));
    EXPECT_TRUE(PanelShows("Call waiting"));
    EXPECT_EQ(Ask("waiting 5550000"), "error waiting needs one call in progress");
    Screenshot("call-waiting");

    TapPanel(skin::place::callwait::btn_hold_answer);
    ASSERT_TRUE(Until([&] { return Second() == bridge::SecondCall::SecondActive; }));
    EXPECT_TRUE(PanelShows("On hold"));
    EXPECT_TRUE(PanelShows("Active"));
    Screenshot("call-waiting-two-calls");

    Advance(20000);
    TapPanel(skin::place::callwait::btn_swap);
    ASSERT_TRUE(Until([&] { return Second() == bridge::SecondCall::FirstActive; }));
    TapPanel(skin::place::callwait::btn_merge);
    ASSERT_TRUE(Until([&] { return Second() == bridge::SecondCall::Merged; }));
    EXPECT_TRUE(PanelShows("Two callers"));

    // End ends the conference: both calls, each logged once.
    Advance(5000);
    TapPanel(skin::place::callwait::btn_end);
    ASSERT_TRUE(Until([&] { return Status().mainState == PhoneStatus::kStateConnected; }));
    Advance(3000);
    std::map<std::string, CallRecord> received = ByNumber(History("IncomingCall.dat"));
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received["5551234"].duration, 35u);
    EXPECT_EQ(Seconds(received["5557777"]) - Seconds(received["5551234"]), 10);
    EXPECT_EQ(received["5557777"].duration, 25u);
    EXPECT_TRUE(History("MissedCall.dat").empty());
}

TEST_F(CallWaitingSimTest, WaitingCallRejectedIsMissedAndOneAnsweredInPlaceOfTheFirstIsLoggedAsItsOwn)
{
    FirstCallAnswered();
    Advance(4000);
    EXPECT_EQ(Ask("waiting 5558888"), "ok waiting 5558888");
    ASSERT_TRUE(Until([&] { return Second() == bridge::SecondCall::Waiting; }));
    EXPECT_TRUE(PanelShows("5558888"));
    TapPanel(skin::place::callwait::btn_reject);
    ASSERT_TRUE(Until([&] { return Second() == bridge::SecondCall::None; }));
    Idle();
    EXPECT_FALSE(Incoming()->CallWaitingPanel().IsWindowVisible());
    EXPECT_EQ(Status().mainState, PhoneStatus::kStateInCall);
    std::vector<CallRecord> missed = History("MissedCall.dat");
    ASSERT_EQ(missed.size(), 1u);
    EXPECT_EQ(missed[0].Number(), "5558888");
    EXPECT_EQ(missed[0].duration, 0u);
    EXPECT_TRUE(History("IncomingCall.dat").empty());

    // The next one is answered in place of the first, which is logged then; it is the call now.
    Advance(6000);
    EXPECT_EQ(Ask("waiting 5559999"), "ok waiting 5559999");
    ASSERT_TRUE(Until([&] { return Second() == bridge::SecondCall::Waiting; }));
    TapPanel(skin::place::callwait::btn_end_answer);
    ASSERT_TRUE(Until([&] { return History("IncomingCall.dat").size() == 1u; }));
    Idle();
    EXPECT_TRUE(ShowsText(*Incoming(), "5559999"));
    Advance(5000);
    HangUpOnSim();
    Advance(3000);
    std::map<std::string, CallRecord> received = ByNumber(History("IncomingCall.dat"));
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received["5551234"].duration, 10u);
    EXPECT_EQ(Seconds(missed[0]) - Seconds(received["5551234"]), 4);
    EXPECT_EQ(received["5559999"].duration, 5u);
    EXPECT_EQ(History("MissedCall.dat").size(), 1u);
}

TEST_F(MissedCallSimTest, ACallMissedOnTheSimulatorIsNoticedByNameAfterARestart)
{
    ASSERT_TRUE(LinkedByReconnect());
    ContactOnSim("Sam Orwell", "5550001");
    // A favourite of the phone is filed so; a fourth word other than that is refused.
    EXPECT_EQ(
        Ask("contact \"Tom Vale\" 5550002 fav"), "error contact \"NAME\" NUMBER [favourite]");
    ContactOnSim("Tom Vale", "5550002", "favourite");
    ASSERT_EQ(Frame().Context()->Contacts()->EntryCount(), 2u);
    const auto book = Frame().Context()->Contacts();
    EXPECT_TRUE(book->IsFavourite(book->Find(u"Tom Vale")));
    EXPECT_FALSE(book->IsFavourite(book->Find(u"Sam Orwell")));

    ASSERT_EQ(Ask("ring 5550001"), "ok ringing");
    ASSERT_TRUE(StatusWithin("Incoming call"));
    HangUpOnSim();
    Advance(1000);
    EXPECT_TRUE(StatusWithin("1 missed call: Sam Orwell")) << StatusLine();

    // A second start on the same root, the simulator still on the line; the phone links again.
    ASSERT_EQ(Ask("linkdown"), "ok");
    app.ExitInstance();
    Idle();
    TextTable::Clear();
    ASSERT_TRUE(Start());
    ASSERT_TRUE(LinkedByReconnect());
    EXPECT_TRUE(StatusWithin("1 missed call: Sam Orwell")) << StatusLine();

    // The simulator hands on a file of 4 MiB, not one a byte larger.
    for (const size_t size : { size_t(4) << 20, (size_t(4) << 20) + 1 }) {
        std::ofstream(dir / "large.vcf") << std::string(size, ' ');
        EXPECT_EQ(Ask("vcard " + (dir / "large.vcf").string()).substr(0, 9),
            size == size_t(4) << 20 ? "ok vcard " : "error lar")
            << size;
    }
    // A whole file becomes the phone's book, in place of the cards dropped one by one.
    std::ofstream(dir / "book.vcf")
        << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Lee\r\nTEL:5550009\r\nEND:VCARD\r\n";
    EXPECT_EQ(Ask("vcard " + (dir / "book.vcf").string()).rfind("ok vcard ", 0), 0u);
    EXPECT_TRUE(Until([&] {
        ScreenContext& ctx = *Frame().Context();
        return ctx.CallerName(u"5550009").has_value() && !ctx.CallerName(u"5550001").has_value();
    }));
}
