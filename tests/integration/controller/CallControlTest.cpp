#include "ControllerFixture.h"

#include "controller/PhoneMessages.h"
#include "controller/TextTable.h"
#include "store/CallLogStore.h"
#include "store/PairStore.h"

#include <gmock/gmock.h>

#include <cstring>

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;

namespace {

constexpr WPARAM StateByte(BYTE mainState, BYTE audio = 0)
{
    return WPARAM((mainState << 3) | audio);
}

}

class CallControlTest : public ControllerTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(StartFrame());
        module.ReadAvailable(20);
        Link(2);
        State(PhoneStatus::kStateConnected);
        TakeTrace();
        Posts().clear();
    }
    PhoneStatus& Status() { return *frame.m_pPhoneStatus; }
    int PostsTo(UINT kind, UINT message, WPARAM wParam)
    {
        int n = 0;
        for (const ScreenPost& post : Posts())
            n += post.kind == kind && post.message == message && post.wParam == wParam;
        return n;
    }
};

TEST_F(CallControlTest, CallAnsweredOnTheDeviceIsLoggedAsIncomingWithNumberAndDuration)
{
    Ring();
    EXPECT_TRUE(frame.ScreenWindow(kScreenIncoming));
    EXPECT_TRUE(audio.Player().IsPlaying());
    State(PhoneStatus::kStateRinging);
    CallerId("0301234567");
    // What the incoming call screen's answer button does.
    Status().callType = CallRecord::kIncoming;
    TakeTrace();
    State(PhoneStatus::kStateInCall, 1);
    EXPECT_FALSE(audio.Player().IsPlaying());
    EXPECT_THAT(Only(TakeTrace(), "audio"),
        ElementsAre("audio 8098 1 0", "audio 8099 1 0", "audio 8091 4 0", "audio 8091 1 0"));
    Advance(8000);
    EXPECT_EQ(PostsTo(kScreenIncoming, WM_PHONE_CALL_TICK, 0), 10);
    State(PhoneStatus::kStateConnected);
    EXPECT_THAT(Only(TakeTrace(), "audio"),
        ElementsAre("audio 8098 2 0", "audio 8099 2 0", "audio 8091 2 0", "audio 8091 3 0"));
    Advance(2000);

    std::vector<CallRecord> calls = History("IncomingCall.dat");
    ASSERT_THAT(calls, SizeIs(1));
    EXPECT_EQ(calls[0].type, CallRecord::kIncoming);
    EXPECT_EQ(calls[0].Number(), "0301234567");
    EXPECT_EQ(calls[0].duration, 8u);
    EXPECT_THAT(History("MissedCall.dat"), IsEmpty());
    // Timer 1 stopped with the call.
    EXPECT_EQ(PostsTo(kScreenIncoming, WM_PHONE_CALL_TICK, 0), 10);
}

TEST_F(CallControlTest, CallAnsweredOnThePhoneKeepsTheMissedType)
{
    Ring();
    State(PhoneStatus::kStateRinging);
    State(PhoneStatus::kStateInCall);
    Advance(3200);
    State(PhoneStatus::kStateConnected);
    std::vector<CallRecord> calls = History("MissedCall.dat");
    ASSERT_THAT(calls, SizeIs(1));
    EXPECT_EQ(calls[0].type, CallRecord::kMissed);
    EXPECT_EQ(calls[0].duration, 3u);
}

TEST_F(CallControlTest, ConnectedThenInCallWithinTheSecondCountsAsAnswered)
{
    State(PhoneStatus::kStateRinging);
    State(PhoneStatus::kStateConnected);
    // The incoming call screen hears of 5 -> 4 only from timer 2.
    EXPECT_EQ(PostsTo(kScreenIncoming, WM_BT_EV_STATE, StateByte(4)), 0);
    Advance(500);
    State(PhoneStatus::kStateInCall);
    Advance(1000);
    EXPECT_THAT(History("MissedCall.dat"), IsEmpty());
    EXPECT_EQ(PostsTo(kScreenIncoming, WM_BT_EV_STATE, StateByte(4)), 0);
    State(PhoneStatus::kStateConnected);
    EXPECT_THAT(History("MissedCall.dat"), SizeIs(1));
}

TEST_F(CallControlTest, StatusLineNamesEachStateWithoutAPhone)
{
    const char* keys[] = { "MFRM0001", "MFRM0002", "MFRM0003", "MFRM0004" };
    for (uint8_t state = 0; state < 4; ++state) {
        State(state);
        EXPECT_EQ(frame.GetStatusLine(), TextTable::Text(keys[state])) << int(state);
    }
}

TEST_F(CallControlTest, UnansweredRingIsLoggedAsMissedWhenTimerTwoFires)
{
    State(PhoneStatus::kStateRinging);
    EXPECT_TRUE(audio.Player().IsPlaying());
    State(PhoneStatus::kStateConnected);
    Advance(999);
    EXPECT_THAT(History("MissedCall.dat"), IsEmpty());
    Advance(1);
    std::vector<CallRecord> calls = History("MissedCall.dat");
    ASSERT_THAT(calls, SizeIs(1));
    EXPECT_EQ(calls[0].duration, 0u);
    EXPECT_FALSE(audio.Player().IsPlaying());
    EXPECT_EQ(PostsTo(kScreenIncoming, WM_BT_EV_STATE, StateByte(4)), 1);
    EXPECT_EQ(frame.GetStatusLine(), TextTable::Text("MFRM0101"));
}

TEST_F(CallControlTest, LosingThePhoneEndsAndLogsTheCallAtOnce)
{
    Ring();
    State(PhoneStatus::kStateRinging);
    CallerId("0301234567");
    State(1);
    EXPECT_FALSE(audio.Player().IsPlaying());
    ASSERT_THAT(History("MissedCall.dat"), SizeIs(1));
    EXPECT_STREQ(History("MissedCall.dat")[0].number, "0301234567");

    Link(2);
    State(PhoneStatus::kStateConnected);
    Ring();
    State(PhoneStatus::kStateRinging);
    Status().callType = CallRecord::kIncoming;
    State(PhoneStatus::kStateInCall, 1);
    Advance(5000);
    State(0);
    ASSERT_THAT(History("IncomingCall.dat"), SizeIs(1));
    EXPECT_GE(History("IncomingCall.dat")[0].duration, 4u);
    // The call timer went with the call.
    Posts().clear();
    Advance(2000);
    EXPECT_EQ(PostsTo(kScreenIncoming, WM_PHONE_CALL_TICK, 0), 0);
    EXPECT_EQ(Status().linkKind, 0);
}

TEST_F(CallControlTest, RingDuringACallLogsTheCallThenRingsAgain)
{
    State(PhoneStatus::kStateRinging);
    State(PhoneStatus::kStateInCall);
    Advance(1600);
    Dialog* screen = frame.ScreenWindow(kScreenIncoming);
    State(PhoneStatus::kStateRinging);
    ASSERT_THAT(History("MissedCall.dat"), SizeIs(1));
    EXPECT_EQ(History("MissedCall.dat")[0].duration, 1u);
    EXPECT_TRUE(audio.Player().IsPlaying());
    EXPECT_EQ(frame.ScreenWindow(kScreenIncoming), screen);
    State(PhoneStatus::kStateConnected);
    Advance(1000);
    EXPECT_THAT(History("MissedCall.dat"), SizeIs(2));
}

TEST_F(CallControlTest, OutgoingCallIsLoggedFromTheDialledRecord)
{
    // What a dial action of the screens prepares.
    for (char c : std::string("5551234"))
        Status().AppendDigit(c);
    Status().callType = CallRecord::kOutgoing;
    frame.m_pCallLog->CurrentCall().SetNumber("5551234");
    State(PhoneStatus::kStateInCall);
    Advance(2400);
    State(PhoneStatus::kStateConnected);
    std::vector<CallRecord> calls = History("OutgoingCall.dat");
    ASSERT_THAT(calls, SizeIs(1));
    EXPECT_EQ(calls[0].type, CallRecord::kOutgoing);
    EXPECT_EQ(calls[0].Number(), "5551234");
    EXPECT_EQ(calls[0].duration, 2u);
}

TEST_F(CallControlTest, RepeatedRingsOfOneCallLogOneRecord)
{
    Ring();
    Ring();
    State(PhoneStatus::kStateRinging);
    Ring();
    State(PhoneStatus::kStateRinging);
    Ring();
    State(PhoneStatus::kStateConnected);
    Advance(1000);
    EXPECT_THAT(History("MissedCall.dat"), SizeIs(1));
    EXPECT_THAT(Only(TakeTrace(), "screen open"), SizeIs(1));
}

TEST_F(CallControlTest, LongCallerNumberIsStoredAsItsFirst32Characters)
{
    const std::string number = "0123456789012345678901234567890123456789";
    Ring();
    CallerId(number);
    State(PhoneStatus::kStateRinging);
    State(PhoneStatus::kStateConnected);
    Advance(1000);
    ASSERT_THAT(History("MissedCall.dat"), SizeIs(1));
    EXPECT_EQ(History("MissedCall.dat")[0].Number(), number.substr(0, 32));
    CallLogStore reread;
    ASSERT_TRUE(reread.LoadLastCall());
    EXPECT_EQ(reread.LastCall().Number(), number.substr(0, 32));
    EXPECT_EQ(PostsTo(kScreenIncoming, WM_BT_EV_CALLER_ID, 0), 1);
}

TEST_F(CallControlTest, StateReportsReachTheScreensThatAreUp)
{
    frame.OpenScreen(kScreenConnect);
    frame.OpenScreen(kScreenOutgoing);
    frame.OpenScreen(kScreenPairMode);
    frame.ScreenWindow(kScreenPairMode)->EnableWindow(false);
    State(7);
    EXPECT_EQ(PostsTo(kScreenConnect, WM_BT_EV_STATE, StateByte(7)), 1);
    EXPECT_EQ(PostsTo(kScreenOutgoing, WM_BT_EV_STATE, StateByte(7)), 1);
    EXPECT_EQ(PostsTo(kScreenPairMode, WM_BT_EV_STATE, StateByte(7)), 0);
    // The link update goes to the pair mode screen while it exists, even disabled (then nowhere).
    Link(2);
    EXPECT_EQ(PostsTo(kScreenConnect, WM_BT_EV_LINK, 2), 0);
    frame.CloseScreen(kScreenPairMode);
    Link(2);
    EXPECT_EQ(PostsTo(kScreenConnect, WM_BT_EV_LINK, 2), 1);
}

TEST_F(CallControlTest, ReconnectOnlyWhenIdleWithNoScreenUp)
{
    // Without a hands-free link no state opens a screen, so only the state holds it back.
    Link(0);
    for (uint8_t state : { 0, 2, 3, 5, 6, 7 }) {
        State(state);
        Advance(60000);
        EXPECT_THAT(module.ReadAvailable(50), IsEmpty()) << "main state " << int(state);
    }
    Link(2);
    State(PhoneStatus::kStateConnected);
    Advance(60000);
    EXPECT_THAT(module.ReadAvailable(50), IsEmpty());

    State(PhoneStatus::kStateIdle);
    frame.OpenScreen(kScreenCallHist);
    Advance(60000);
    EXPECT_THAT(module.ReadAvailable(50), IsEmpty());

    frame.CloseScreen(kScreenCallHist);
    Advance(60000);
    EXPECT_EQ(module.ReadAvailable(), CommandBytes(0x08, { 1, 0, 0, 0, 0, 0, 0 }));
}

// Whatever came before (an answered call, a missed one) and in whichever order the module reports
// the ring, the number and the state, each call is logged once with its own number, and only an
// answered call with a call time.
TEST_F(CallControlTest, EachCallIsLoggedOnceWithItsOwnNumberAndOnlyAnAnsweredOneWithATime)
{
    Ring();
    State(PhoneStatus::kStateRinging);
    CallerId("0301111111");
    Status().callType = CallRecord::kIncoming;
    State(PhoneStatus::kStateInCall, 1);
    Advance(5000);
    State(PhoneStatus::kStateConnected);

    // R a ring event, N the caller's number, S a state report of 5 (ringing).
    std::vector<std::string> numbers;
    for (const char* order : { "RSN", "RNS", "SNR", "RNS" }) {
        SCOPED_TRACE(order);
        const std::string number = "03022222" + std::to_string(numbers.size());
        numbers.push_back(number);
        for (const char* step = order; *step; ++step) {
            if (*step == 'R')
                Ring();
            else if (*step == 'N')
                CallerId(number);
            else
                State(PhoneStatus::kStateRinging);
        }
        Ring();
        State(PhoneStatus::kStateConnected);
        Advance(1000);
        std::vector<CallRecord> missed = History("MissedCall.dat");
        ASSERT_EQ(missed.size(), numbers.size());
        EXPECT_EQ(missed[0].Number(), number);
        EXPECT_EQ(missed[0].duration, 0u);
        CallLogStore reread;
        ASSERT_TRUE(reread.LoadLastCall());
        EXPECT_EQ(reread.LastCall().Number(), number);
    }
    std::vector<CallRecord> answered = History("IncomingCall.dat");
    ASSERT_THAT(answered, SizeIs(1));
    EXPECT_EQ(answered[0].Number(), "0301111111");
    EXPECT_EQ(answered[0].duration, 5u);
}

// The ring stops, the phone is gone before timer 2 decides: the call ends there and then.
TEST_F(CallControlTest, ARingThatStopsAndLosesThePhoneWithinTheSecondEndsAndIsLoggedOnce)
{
    Ring();
    State(PhoneStatus::kStateRinging);
    CallerId("0301234567");
    State(PhoneStatus::kStateConnected);
    Advance(300);
    TakeTrace();
    State(1);
    EXPECT_FALSE(audio.Player().IsPlaying());
    EXPECT_EQ(frame.GetStatusLine(), TextTable::Text("MFRM0101"));
    Advance(3000);
    ASSERT_THAT(History("MissedCall.dat"), SizeIs(1));
    EXPECT_EQ(History("MissedCall.dat")[0].Number(), "0301234567");
    EXPECT_EQ(PostsTo(kScreenIncoming, WM_BT_EV_STATE, StateByte(1)), 1);
}

// A bridge reports every paired phone at once: each name lands with its own address.
TEST_F(CallControlTest, DeviceNamesArrivingTogetherAreEachStoredWithTheirAddress)
{
    const BtAddress first { 1, 2, 3, 4, 5, 6 }, second { 9, 8, 7, 6, 5, 4 };
    auto nameEvent = [](const BtAddress& address, const std::string& name) {
        std::string body(1, char(6 + name.size()));
        body.append(address.begin(), address.end());
        body += name;
        return ModuleFrameBytes(0x04, 0x0E, { body.begin(), body.end() });
    };
    std::vector<uint8_t> both = nameEvent(first, "Anna");
    std::vector<uint8_t> more = nameEvent(second, "Bruno");
    both.insert(both.end(), more.begin(), more.end());
    ASSERT_TRUE(PairStore().Save());
    int before = frame.moduleMessages;
    module.Write(both);
    WaitHandled(before + 2);
    PairStore store;
    ASSERT_TRUE(store.Load());
    WString name;
    EXPECT_TRUE(store.GetName(first.data(), name));
    EXPECT_EQ(name, u"Anna");
    EXPECT_TRUE(store.GetName(second.data(), name));
    EXPECT_EQ(name, u"Bruno");
}

TEST_F(CallControlTest, ARingWithoutAHandsFreeLinkOnlyRings)
{
    Link(1);
    Ring();
    State(PhoneStatus::kStateRinging);
    EXPECT_TRUE(audio.Player().IsPlaying());
    EXPECT_EQ(frame.ScreenWindow(kScreenIncoming), nullptr);
    State(PhoneStatus::kStateConnected);
    Advance(2000);
    EXPECT_THAT(History("MissedCall.dat"), IsEmpty());
}

TEST_F(CallControlTest, ARepeatedInCallReportKeepsTheCallStartAndTheTimer)
{
    State(PhoneStatus::kStateRinging);
    State(PhoneStatus::kStateInCall);
    const SYSTEMTIME start = Status().callStart;
    Advance(1000);
    State(PhoneStatus::kStateInCall);
    EXPECT_EQ(std::memcmp(&Status().callStart, &start, sizeof start), 0);
    Posts().clear();
    // Ticks at 1600 ms from the call's start, not 800 ms from the repeated report.
    Advance(600);
    EXPECT_EQ(PostsTo(kScreenIncoming, WM_PHONE_CALL_TICK, 0), 1);
    EXPECT_EQ(Status().elapsedSeconds, 1);
}
