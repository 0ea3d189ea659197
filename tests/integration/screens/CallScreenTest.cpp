// The incoming and outgoing call screens: what they share on both, with a row per screen where
// they differ, then how each call starts and ends, and callers named from the contacts.

#include "AppFixture.h"

#include "screens/DlgCallHist.h"
#include "screens/DlgNumKeypad.h"
#include "screens/DlgPlaceCall.h"
#include "ui/AudioDriverRequests.h"
#include "ui/RingTonePlayer.h"

#include <algorithm>

namespace {

using namespace skin::place;
using Opcodes = std::vector<uint8_t>;
using Frames = std::vector<std::vector<uint8_t>>;

constexpr uint8_t kOpGetState = 0x05, kOpCallKey = 0x11, kOpEndCall = 0x12, kOpRejectCall = 0x13,
                  kOpTransferAudio = 0x14, kOpDial = 0x15, kOpSendDtmf = 0x17;

const POINT kAccept = Center(incoming::btn_accept);
const POINT kIncomingEnd = Center(incoming::btn_deny);
const POINT kOutgoingEnd = Center(outgoing::btn_end);

class CallTest : public AppTest {
protected:
    // A hands-free phone rings with the caller's number; the module's traffic so far is read.
    Window* Ringing(bool autoAnswer = false)
    {
        EXPECT_TRUE(Start());
        Frame().Context()->prefs.Record().autoAnswer = autoAnswer ? 1 : 0;
        ConnectPhone();
        Rings("01712345678");
        Sent();
        return Frame().ScreenWindow(kScreenIncoming);
    }
    // A hands-free phone is connected and the outgoing screen opens to call the number.
    Window* Dialling(std::string_view number)
    {
        EXPECT_TRUE(Start());
        ConnectPhone();
        return OpenOutgoing(number);
    }
    Window* OpenOutgoing(std::string_view number)
    {
        SetDialString(number);
        Frame().PostMessage(WM_PHONE_OPEN_SCREEN, kScreenOutgoing, 0);
        Idle();
        return Frame().ScreenWindow(kScreenOutgoing);
    }
    void SetDialString(std::string_view number)
    {
        auto& dial = Frame().Context()->status.dialString;
        dial.fill(0);
        std::copy_n(number.begin(), std::min(number.size(), dial.size()), dial.begin());
    }
    bool IsOpen(UINT kind) const { return Frame().ScreenWindow(kind) != nullptr; }
    void TapKeys(std::string_view keys)
    {
        for (char key : keys)
            TapIn(CDlgNumKeypad::kPlace, key == 'x' ? numpad::btn_close : PadKey(kKeypad, key));
    }
    // Whether the DTMF keypad is up: the window in its place, shown.
    bool KeypadShown() const
    {
        std::vector<HWND> windows = ws.TopLevelWindows();
        for (size_t i = 0; i < windows.size(); ++i) {
            for (HWND child : ws.Children(windows[i]))
                windows.push_back(child);
        }
        const RECT& place = CDlgNumKeypad::kPlace;
        return std::ranges::any_of(windows, [&](HWND hwnd) {
            const RECT r = ws.ScreenRect(hwnd);
            return r.left == place.left && r.top == place.top && r.right == place.right
                && r.bottom == place.bottom && ws.IsEffectivelyVisible(hwnd);
        });
    }
    // One message at a time until the text is drawn, so that its posted close is still queued.
    bool HandleUntilShown(UINT kind, const std::string& text)
    {
        return ws.PumpUntil([&] { return IsOpen(kind) && ShowsText(*Frame().ScreenWindow(kind), text); },
            kGenerousWait);
    }
};

struct CallCase {
    const char* name;
    UINT kind;
    const char* number;
    const Control& num;
    const Control& mute;
    const Control& audio;
    const Control& end;
};

const CallCase kCallCases[] = {
    { "incoming", kScreenIncoming, "01712345678", incoming::btn_go_num, incoming::btn_mic_mute,
        incoming::btn_audio_trans, incoming::btn_deny },
    // A dial string that uses all 32 slots has no terminator: all of it is sent and shown.
    { "outgoing", kScreenOutgoing, "12345678901234567890123456789012", outgoing::btn_go_num,
        outgoing::btn_mic_mute, outgoing::btn_audio_trans, outgoing::btn_end },
};

void PrintTo(const CallCase& c, std::ostream* os) { *os << c.name; }

class CallScreenTest : public CallTest, public ::testing::WithParamInterface<CallCase> { };

TEST_P(CallScreenTest, MuteAudioAndKeypadActOnlyInACallAndEndClosesTwoSecondsAfterIt)
{
    const CallCase& c = GetParam();
    Window* screen = c.kind == kScreenIncoming ? Ringing() : Dialling(c.number);
    ASSERT_NE(screen, nullptr);
    // The outgoing screen dials as it opens.
    const std::string number = c.number;
    EXPECT_EQ(SentFrames(),
        c.kind == kScreenIncoming ? Frames {}
                                  : Frames { CommandBytes(kOpDial, { number.begin(), number.end() }) });
    if (c.kind == kScreenOutgoing)
        Screenshot("outgoing-dialling");
    const bool micBefore = IsCallMicOn();
    TapAt(Center(c.mute));
    TapAt(Center(c.audio));
    EXPECT_EQ(IsCallMicOn(), micBefore);
    TapAt(Center(c.num));
    TapKeys("5x");
    EXPECT_TRUE(ShowsText(*screen, c.number));
    EXPECT_TRUE(SentOpcodes().empty());

    State(6, 1);
    ASSERT_TRUE(IsCallMicOn());
    TapAt(Center(c.mute));
    EXPECT_FALSE(IsCallMicOn());
    TapAt(Center(c.mute));
    EXPECT_TRUE(IsCallMicOn());
    TapAt(Center(c.audio));
    EXPECT_EQ(SentOpcodes(), Opcodes { kOpTransferAudio });
    // The call time is read on every 800 ms tick: the third tick, at 2 400 ms, shows two seconds.
    Advance(2'399);
    EXPECT_TRUE(ShowsText(*screen, "00:00:01"));
    Advance(1);
    EXPECT_TRUE(ShowsText(*screen, "00:00:02"));
    Advance(800);
    Screenshot(std::string(c.name) + "-in-call");

    TapAt(Center(c.num));
    if (c.kind == kScreenIncoming)
        Screenshot("incoming-keypad");
    TapKeys("12345*67890");
    EXPECT_TRUE(ShowsText(*screen, "12345*67890"));
    // The twelfth pushes the first out: eleven digits at most are shown.
    TapKeys("#");
    EXPECT_TRUE(ShowsText(*screen, "2345*67890#"));
    EXPECT_FALSE(ShowsText(*screen, "12345*67890#"));
    Frames tones;
    for (char key : std::string("12345*67890#"))
        tones.push_back(CommandBytes(kOpSendDtmf, { uint8_t(key) }));
    EXPECT_EQ(SentFrames(), tones);
    TapKeys("x");
    EXPECT_TRUE(Sent().empty());

    TapAt(Center(c.end));
    EXPECT_EQ(SentOpcodes(), Opcodes { kOpEndCall });
    // The call is over: the screen paints the message, holds it two seconds, then closes.
    const DWORD before = GetTickCount();
    module.Event(0x01, { 4 << 3 });
    ASSERT_TRUE(HandleUntilShown(c.kind, "Call ended"));
    EXPECT_EQ(GetTickCount() - before, 2000u);
    Screenshot(std::string(c.name) + "-ended", true);
    Idle();
    EXPECT_FALSE(IsOpen(c.kind));
}

INSTANTIATE_TEST_SUITE_P(Screens, CallScreenTest, ::testing::ValuesIn(kCallCases),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CallTest, ARingOpensTheIncomingScreenAloneInFrontAndTheCallTimeRunsPastNinetyNineHours)
{
    ASSERT_TRUE(Start());
    Screenshot("main-view");
    ConnectPhone();
    ASSERT_NE(Open<Window>(kScreenPref), nullptr);
    TakeTrace();
    Ring();
    EXPECT_FALSE(IsOpen(kScreenPref));
    Window* screen = Frame().ScreenWindow(kScreenIncoming);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(TakeTrace("screen open"), std::vector<std::string> { "screen open 6 CDlgIncoming" });
    EXPECT_EQ(GetForegroundWindow(), Frame().GetSafeHwnd());
    EXPECT_EQ(SentOpcodes(), Opcodes { kOpGetState });

    State(5);
    CallerId("01712345678");
    Screenshot("incoming-ringing");
    TapAt(kAccept);
    EXPECT_EQ(SentOpcodes(), Opcodes { kOpCallKey });
    State(6, 1);
    // The clock jumps; the frame's call timer fires once and the screen redraws the time.
    clock->Advance(3'661'000);
    Idle();
    EXPECT_TRUE(ShowsText(*screen, "01:01:01"));
    clock->Advance((360'000 - 3'661) * 1000);
    Idle();
    EXPECT_TRUE(ShowsText(*screen, "100:00:00"));
}

TEST_F(CallTest, TheKeypadHidesOnTheSeventhSecondCountedAgainFromEachKey)
{
    ASSERT_NE(Ringing(), nullptr);
    State(6, 1);
    TapAt(Center(incoming::btn_go_num));
    ASSERT_TRUE(KeypadShown());
    Advance(6'999);
    EXPECT_TRUE(KeypadShown());
    Advance(1);
    EXPECT_FALSE(KeypadShown());

    TapAt(Center(incoming::btn_go_num));
    ASSERT_TRUE(KeypadShown());
    Advance(2'500);
    TapKeys("5");
    // Counted again from the key at 2.5 s: the ticks at 3 to 8 s are allowed, the one at 9 s hides it.
    Advance(6'499);
    EXPECT_TRUE(KeypadShown());
    Advance(1);
    EXPECT_FALSE(KeypadShown());
}

// Automatic answer is on: not when the phone answered first.
TEST_F(CallTest, ARingingCallIsAnsweredByItselfAfterThreeSecondsOrRejectedByEnd)
{
    ASSERT_NE(Ringing(true), nullptr);
    enum { kWaits, kPhoneAnswers, kRejected };
    for (int way : { kWaits, kPhoneAnswers, kRejected }) {
        if (way != kWaits) {
            Ring();
            State(5);
            Sent();
        }
        if (way == kPhoneAnswers)
            State(6, 1);
        if (way == kRejected) {
            TapAt(kIncomingEnd);
            EXPECT_EQ(SentOpcodes(), Opcodes { kOpRejectCall });
            EXPECT_FALSE(Frame().Context()->ringTone.IsPlaying());
        }
        Advance(2'999);
        EXPECT_TRUE(SentOpcodes().empty()) << way;
        Advance(1);
        EXPECT_EQ(SentOpcodes(), way == kWaits ? Opcodes { kOpCallKey } : Opcodes {}) << way;
        State(4);
        Advance(3'000);
        ASSERT_FALSE(IsOpen(kScreenIncoming)) << way;
    }
}

// A ring that ends without a state report the screen sees still closes it at the end watch's
// first tick. The skin is decoded once per process: the screen opened again reads no image file.
TEST_F(CallTest, EndWatchClosesAScreenWhoseRingStoppedSilentlyAndTheNextRingDecodesNoImage)
{
    ASSERT_TRUE(Start());
    ConnectPhone();
    Ring();
    State(4);
    Advance(2'999);
    EXPECT_TRUE(IsOpen(kScreenIncoming));
    Advance(1);
    ASSERT_FALSE(IsOpen(kScreenIncoming));
    const uint64_t decoded = ImageFilesDecoded();
    Ring();
    Idle();
    ASSERT_TRUE(IsOpen(kScreenIncoming));
    EXPECT_EQ(ImageFilesDecoded(), decoded);
}

TEST_F(CallTest, ADialThatCannotBeWrittenShowsTheFailureAndClosesAndTheStateQueryIsTriedThreeTimes)
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
        EXPECT_EQ(GetTickCount() - before, 2000u);
        if (empty)
            Screenshot("outgoing-dial-failed", true);
        Idle();
        EXPECT_FALSE(IsOpen(kScreenOutgoing));
        EXPECT_TRUE(Sent().empty());
    }
    // The incoming screen's state query is tried three times, half a second apart, before it carries on.
    const DWORD before = GetTickCount();
    Frame().PostMessage(WM_PHONE_OPEN_SCREEN, kScreenIncoming, 0);
    Idle();
    EXPECT_TRUE(IsOpen(kScreenIncoming));
    EXPECT_EQ(GetTickCount() - before, 1500u);
}

// Nobody answers: the screen says so on the 32nd second and stays for End, which holds the screen
// a second after the command, and a second more before its one retry.
TEST_F(CallTest, OutgoingShowsNoAnswerAndEndRetriesOnceWhileDialling)
{
    Window* screen = Dialling("0612345678");
    ASSERT_NE(screen, nullptr);
    Sent();
    Advance(31'000);
    EXPECT_TRUE(ShowsText(*screen, "Dialing..."));
    Advance(1'000);
    EXPECT_TRUE(ShowsText(*screen, "No answer"));
    Advance(10'000);
    ASSERT_TRUE(IsOpen(kScreenOutgoing));
    for (bool linkUp : { true, false }) {
        if (!linkUp)
            Frame().Context()->link.Stop();
        const DWORD before = GetTickCount();
        TapAt(kOutgoingEnd);
        EXPECT_EQ(GetTickCount() - before, linkUp ? 1000u : 2000u);
        EXPECT_EQ(SentOpcodes(), linkUp ? Opcodes { kOpEndCall } : Opcodes {});
        EXPECT_TRUE(IsOpen(kScreenOutgoing));
    }
}

TEST_F(CallTest, OutgoingEndInACallSaysWhenTheCommandCouldNotGoOut)
{
    Window* screen = Dialling("0612345678");
    ASSERT_NE(screen, nullptr);
    State(6, 1);
    Frame().Context()->link.Stop();
    TapAt(kOutgoingEnd);
    EXPECT_TRUE(ShowsText(*screen, "Could not end the call"));
    EXPECT_TRUE(IsOpen(kScreenOutgoing));
}

// The far side hangs up: its call status report comes first, then the screen shows "Call ended"
// for two seconds before the state report that logs the call is handled. Those are not call time.
TEST_F(CallTest, AnOutgoingCallEndedByTheFarSideIsLoggedWithTheTimeTalked)
{
    ASSERT_TRUE(Start());
    ConnectPhone();
    // What every dial action does before the screen opens.
    SetDialString("0612345678");
    CDlgPlaceCall::RecordOutgoingCall(*Frame().Context());
    ASSERT_NE(OpenOutgoing("0612345678"), nullptr);
    State(6, 1);
    Advance(10'000);
    Event(0x10, { 0, 0, 0 });
    State(4);
    Idle();
    std::vector<CallRecord> calls = History("OutgoingCall.dat");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Number(), "0612345678");
    EXPECT_EQ(calls[0].duration, 10u);
}

// A state report ends only a connected call; a call status report of no call ends it while dialling.
TEST_F(CallTest, ReportsWhileDiallingCloseOnlyWhenNoCallIsInProgress)
{
    ASSERT_NE(Dialling("0612345678"), nullptr);
    State(4);
    Event(0x10, { 0, 1, 0 });
    EXPECT_TRUE(IsOpen(kScreenOutgoing));
    const DWORD before = GetTickCount();
    Event(0x10, { 0, 0, 0 });
    EXPECT_FALSE(IsOpen(kScreenOutgoing));
    EXPECT_EQ(GetTickCount() - before, 2000u);
}

// Callers the contacts know, from a vCard dropped into data/contacts/ before the calls. A book
// pulled from the phone is the bluez flows' (incoming screen and missed list named).
TEST_F(CallTest, AKnownCallerIsShownByNameOnTheCallScreensAndInTheMissedList)
{
    const std::string longName(200, 'W');
    DropContacts("dropped.vcf",
        Card("Jürgen Müller", "TEL;TYPE=CELL:+49 30 1234567\r\n") + Card(longName, "TEL:0301112223\r\n"));
    ASSERT_TRUE(Start());
    ASSERT_TRUE(KnowsCaller(u"0301234567"));
    ConnectPhone();

    for (const char* number : { "0301234567", "0301112223", "0309999999" }) {
        Rings(number);
        // The number stays under the name.
        if (std::string(number) == "0301234567")
            Screenshot("incoming-named");
        CallOver();
    }

    Open<Window>(kScreenCallHist);
    auto* history = Screen<CDlgCallHist>(kScreenCallHist);
    ASSERT_NE(history, nullptr);
    TapAt(Center(callhist::tab_bg[2]));
    Screenshot("history-named");
    // The file keeps the number.
    EXPECT_EQ(History("MissedCall.dat").back().Number(), "0301234567");
    Frame().CloseScreen(kScreenCallHist);

    // Dialled: the outgoing screen names the callee too.
    Window* outgoing = OpenOutgoing("0301234567");
    ASSERT_NE(outgoing, nullptr);
    Screenshot("outgoing-named");
}
}
