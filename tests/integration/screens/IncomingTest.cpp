#include "CallScreenSteps.h"

#include "platform/draw/Image.h"
#include "platform/win/WindowApi.h"
#include "screens/DlgIncoming.h"
#include "store/PrefStore.h"
#include "ui/AudioDriverRequests.h"
#include "ui/RingTonePlayer.h"
#include "ui/SkinPoints.h"
#include "controller/ScreenContext.h"

namespace {

namespace place = skin::place::incoming;
using skin::place::Center;

constexpr POINT kNum = Center(place::btn_go_num);
constexpr POINT kAccept = Center(place::btn_accept);
constexpr POINT kEnd = Center(place::btn_deny);
constexpr POINT kMute = Center(place::btn_mic_mute);
constexpr POINT kAudioTrans = Center(place::btn_audio_trans);

constexpr uint8_t kOpGetState = 0x05;
constexpr uint8_t kOpCallKey = 0x11;
constexpr uint8_t kOpEndCall = 0x12;
constexpr uint8_t kOpRejectCall = 0x13;
constexpr uint8_t kOpTransferAudio = 0x14;

class IncomingTest : public CallScreenTest {
protected:
    // A hands-free phone rings with the caller's number; the module's traffic so far is read.
    CDlgIncoming* Ringing(bool autoAnswer = false)
    {
        EXPECT_TRUE(Start());
        Frame().Context()->prefs.Record().autoAnswer = autoAnswer ? 1 : 0;
        ConnectPhone();
        Ring();
        State(5);
        CallerId("01712345678");
        Sent();
        return Screen<CDlgIncoming>(kScreenIncoming);
    }
};

TEST_F(IncomingTest, ARingOpensTheScreenAloneInFrontAndItFollowsTheCall)
{
    ASSERT_TRUE(Start());
    EXPECT_TRUE(View().IsWindowVisible());
    Screenshot("main-view");
    ConnectPhone();
    Frame().PostMessage(WM_PHONE_OPEN_SCREEN, kScreenPref, 0);
    Idle();
    ASSERT_NE(Frame().ScreenWindow(kScreenPref), nullptr);
    TakeTrace();
    Ring();
    EXPECT_EQ(Frame().ScreenWindow(kScreenPref), nullptr);
    auto* screen = Screen<CDlgIncoming>(kScreenIncoming);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(TakeTrace("screen open"), std::vector<std::string> { "screen open 6 CDlgIncoming" });
    EXPECT_EQ(GetForegroundWindow(), Frame().GetSafeHwnd());
    EXPECT_EQ(SentOpcodes(), std::vector<uint8_t> { kOpGetState });

    State(5);
    CallerId("01712345678");
    EXPECT_TRUE(ShowsText(*screen, "Incoming call"));
    EXPECT_TRUE(ShowsText(*screen, "01712345678"));
    Screenshot("incoming-ringing");

    TapAt(kAccept);
    EXPECT_EQ(SentOpcodes(), std::vector<uint8_t> { kOpCallKey });
    EXPECT_FALSE(Frame().Context()->ringTone.IsPlaying());
    State(6, 1);
    EXPECT_TRUE(ShowsText(*screen, "Call in progress"));
    for (const std::string& text : Texts(*screen))
        EXPECT_EQ(text.find(':'), std::string::npos) << "no call time at 0 s: " << text;
    // The clock jumps; the frame's call timer fires once and the screen redraws the time.
    clock->Advance(3'661'000);
    Idle();
    EXPECT_TRUE(ShowsText(*screen, "01:01:01"));
    Screenshot("incoming-in-call");
    clock->Advance((360'000 - 3'661) * 1000);
    Idle();
    EXPECT_TRUE(ShowsText(*screen, "100:00:00"));

    // The end message is painted, then held two seconds before the screen asks to close.
    const DWORD before = GetTickCount();
    module.Event(0x01, { 4 << 3 });
    ASSERT_TRUE(HandleUntilShown(kScreenIncoming, "Call ended"));
    EXPECT_GE(GetTickCount() - before, 2000u);
    Screenshot("incoming-ended", true);
    Idle();
    EXPECT_EQ(Screen<CDlgIncoming>(kScreenIncoming), nullptr);
    // Answered here: logged as incoming.
    ASSERT_EQ(History("IncomingCall.dat").size(), 1u);
    EXPECT_EQ(History("MissedCall.dat").size(), 0u);
}

class IncomingAutoAnswerTest : public IncomingTest, public ::testing::WithParamInterface<bool> { };

TEST_P(IncomingAutoAnswerTest, AnswersByItselfAfterThreeSecondsUnlessThePhoneAnsweredFirst)
{
    const bool phoneAnswered = GetParam();
    ASSERT_NE(Ringing(true), nullptr);
    if (phoneAnswered)
        State(6, 1);
    Advance(2'900);
    EXPECT_TRUE(SentOpcodes().empty());
    Advance(100);
    EXPECT_EQ(SentOpcodes(), phoneAnswered ? std::vector<uint8_t> {} : std::vector<uint8_t> { kOpCallKey });
}

INSTANTIATE_TEST_SUITE_P(Incoming, IncomingAutoAnswerTest, ::testing::Bool());

// End rejects a ringing call and ends an answered one.
TEST_F(IncomingTest, EndRejectsARingingCallAndEndsAnAnsweredOne)
{
    ASSERT_NE(Ringing(), nullptr);
    TapAt(kEnd);
    EXPECT_EQ(SentOpcodes(), std::vector<uint8_t> { kOpRejectCall });
    EXPECT_FALSE(Frame().Context()->ringTone.IsPlaying());
    State(6, 1);
    TapAt(kEnd);
    EXPECT_EQ(SentOpcodes(), std::vector<uint8_t> { kOpEndCall });
}

TEST_F(IncomingTest, MuteAudioTransferAndKeypadActOnlyInACall)
{
    CDlgIncoming* screen = Ringing();
    ASSERT_NE(screen, nullptr);
    const bool micBefore = IsCallMicOn();
    TapAt(kMute);
    TapAt(kAudioTrans);
    EXPECT_EQ(IsCallMicOn(), micBefore);
    EXPECT_TRUE(ShowsText(*screen, "Only during an active call"));
    TapAt(kNum);
    TapKeys("5");
    EXPECT_TRUE(ShowsText(*screen, "Keypad only during a call"));
    EXPECT_TRUE(ShowsText(*screen, "01712345678"));
    EXPECT_TRUE(SentOpcodes().empty());

    State(6, 1);
    ASSERT_TRUE(IsCallMicOn());
    TapAt(kMute);
    EXPECT_FALSE(IsCallMicOn());
    TapAt(kAudioTrans);
    EXPECT_EQ(SentOpcodes(), std::vector<uint8_t> { kOpTransferAudio });
}

// A ring that ends without a state report the screen sees still closes it at the end watch's
// first tick. The skin is decoded once per process: the screen opened again reads no image file.
TEST_F(IncomingTest, EndWatchClosesAScreenWhoseRingStoppedSilentlyAndTheNextRingDecodesNoImage)
{
    ASSERT_TRUE(Start());
    ConnectPhone();
    Ring();
    State(4);
    Advance(2'900);
    EXPECT_NE(Screen<CDlgIncoming>(kScreenIncoming), nullptr);
    Advance(100);
    ASSERT_EQ(Screen<CDlgIncoming>(kScreenIncoming), nullptr);
    const uint64_t decoded = ImageFilesDecoded();
    Ring();
    Idle();
    ASSERT_NE(Screen<CDlgIncoming>(kScreenIncoming), nullptr);
    EXPECT_EQ(ImageFilesDecoded(), decoded);
}

}
