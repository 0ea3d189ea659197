#include "AppFixture.h"

#include "screens/OstrilanView.h"
#include "store/RegistrySettings.h"
#include "ui/MasterVolume.h"

using ::testing::ElementsAre;

namespace {

namespace place = skin::place::main;
using skin::place::Center;

const POINT kCall = Center(place::btn_callplace);
const POINT kRedial = Center(place::btn_redial);
const POINT kGainDown = Center(place::btn_mic_gain_dn);
const POINT kGainUp = Center(place::btn_mic_gain_up);
const POINT kVolumeUp = Center(place::btn_vol_up);
const POINT kMute = Center(place::btn_mute);

constexpr uint8_t kOpSetSpeakerVolume = 0x0C, kOpSetMicGain = 0x0D, kOpCallKey = 0x11;
}

class MainViewTest : public AppTest {
protected:
    COstrilanView& MainView() const { return dynamic_cast<COstrilanView&>(*Frame().GetActiveView()); }
};

TEST_F(MainViewTest, EachMenuButtonOpensItsScreenOrSaysWhyNot)
{
    ASSERT_TRUE(Start());
    struct Case {
        const char* what;
        uint8_t state;
        uint8_t link;
        POINT button;
        std::vector<uint8_t> sent;
        const char* hint;
    };
    // Screen-opening buttons are the tour's, none here. The rows during a call come last.
    const Case cases[] = {
        { "the phone's call key without a link", 1, 0, kCall, { kOpCallKey }, "" },
        { "the phone's call key on a headset link", 4, 1, kCall, { kOpCallKey }, "" },
        { "call history waits for a hands-free link", 1, 0, Center(place::btn_callhist), {}, "" },
        { "redial waits for a hands-free link", 4, 1, kRedial, {}, "" },
        { "redial without a number", 4, 2, kRedial, {}, "No last number to redial" },
        { "dial pad during a call", 6, 2, kCall, {}, "Cellphone not ready for calls" },
        { "redial during a call", 6, 2, kRedial, {}, "Cellphone not ready for calls" },
    };
    for (const Case& c : cases) {
        State(c.state);
        if (c.link)
            Link(c.link);
        Sent();
        TakeTrace();
        MainView().SetHintText({});
        TapAt(c.button);
        EXPECT_TRUE(TakeTrace("screen open").empty()) << c.what;
        EXPECT_EQ(SentOpcodes(), c.sent) << c.what;
        EXPECT_EQ(ToUtf8(MainView().HintText()), c.hint) << c.what;
        Frame().CloseScreen(kScreenAll);
    }
    Screenshot("main-view-not-ready");
}

TEST_F(MainViewTest, CallSaysSoWhenTheModuleCannotBeReached)
{
    // The fixture puts the variable back afterwards.
    setenv("OSTRILAN_COM2", (dir / "no-such-port").c_str(), 1);
    ASSERT_TRUE(Start());
    TapAt(kCall);
    EXPECT_EQ(ToUtf8(MainView().HintText()), "Bluetooth module not responding");
}

TEST_F(MainViewTest, RedialDialsTheLastNumberFromItsFileOrElseFromMemory)
{
    ASSERT_TRUE(Start());
    ConnectPhone();
    Screenshot("main-view-connected");
    {
        CallLogStore store;
        store.LastCall().SetNumber("0301234567");
        ASSERT_TRUE(store.SaveLastCall());
    }
    TakeTrace();
    TapAt(kRedial);
    ExpectCallPlaced("0301234567", "");

    // A file of another kind cannot be read: the number still in memory is dialled, and saved.
    {
        std::ofstream foreign(DataPath("LastCall.dat"), std::ios::binary);
        foreign << std::string("\x03\x01\x01\x01", 4) << std::string(372, '\0');
    }
    TapAt(kRedial);
    EXPECT_EQ(ToUtf8(MainView().HintText()), "No last number to redial");
    ExpectCallPlaced("0301234567", "");
}

// Quit answered Yes is the tour's last step.
TEST_F(MainViewTest, QuitAsksFirstAndHideKeepsThePhoneRunning)
{
    ASSERT_TRUE(Start());
    AnswerMessageBox(Answer::No);
    TapAt(Center(place::btn_pwroff));
    EXPECT_TRUE(TakeTrace("app stopped").empty());

    TapAt(Center(place::btn_home));
    EXPECT_FALSE(Frame().IsWindowVisible());
    // Still following the module: a connected phone brings the frame back.
    State(4);
    EXPECT_TRUE(Frame().IsWindowVisible());
}

// Gain steps start from the gauge's level; reports set the stored gain and the gauge by their rules.
TEST_F(MainViewTest, MicrophoneGainStepsWithinItsLimitsAndReportsAreStoredAndShown)
{
    // A stored gain: the start-up sends none and the gauge waits for the module.
    ASSERT_TRUE(WriteMicGain(3));
    app.SetCommandLine("");
    ASSERT_TRUE(app.InitInstance());
    Idle();
    EXPECT_THAT(SentOpcodes(), ElementsAre(0x05, kOpSetSpeakerVolume));
    EXPECT_EQ(MainView().Gauges()->m_nMicLevel, 0);
    EXPECT_EQ(ReadMicGain(), 3u);
    // Level 0: down sends nothing; up twice before any report asks for level 1 twice.
    TapAt(kGainDown);
    TapAt(kGainUp);
    TapAt(kGainUp);
    EXPECT_THAT(
        SentFrames(), ElementsAre(CommandBytes(kOpSetMicGain, { 1 }), CommandBytes(kOpSetMicGain, { 1 })));
    Response(kOpSetMicGain, { 0, 5 });
    EXPECT_EQ(MainView().Gauges()->m_nMicLevel, 5);
    TapAt(kGainUp);
    TapAt(kGainDown);
    EXPECT_THAT(SentFrames(), ElementsAre(CommandBytes(kOpSetMicGain, { 4 })));
    EXPECT_EQ(MainView().RequestedGainLevel(), 4);

    Response(kOpSetMicGain, { 0, 1 });
    TapAt(kGainDown);
    Sent();
    struct Case {
        const char* what;
        bool event;
        std::vector<uint8_t> body;
        DWORD stored;
        int level;
    };
    // Each row follows the one before.
    const Case cases[] = {
        { "99 stands for the level asked for last (0)", false, { 0 }, 0, 0 },
        { "a value in range", false, { 0, 3 }, 3, 3 },
        { "a failed report changes nothing", false, { 1, 5 }, 3, 3 },
        { "above 5 is stored but shown as 0", false, { 0, 7 }, 7, 0 },
        { "the module's own level event", true, { 2 }, 2, 2 },
        { "a speaker volume answer counts too", false, {}, 4, 4 },
    };
    for (const Case& c : cases) {
        if (c.event)
            Event(0x0A, c.body);
        else if (c.body.empty())
            Response(kOpSetSpeakerVolume, { 0, 4 });
        else
            Response(kOpSetMicGain, c.body);
        EXPECT_EQ(ReadMicGain(), c.stored) << c.what;
        EXPECT_EQ(Frame().Context()->status.micGain, c.stored) << c.what;
        EXPECT_EQ(MainView().Gauges()->m_nMicLevel, c.level) << c.what;
    }
}

TEST_F(MainViewTest, VolumeButtonsClickAtTheNewVolumeAndMuteToggles)
{
    ASSERT_TRUE(Start());
    SetVolumeLevel(2);
    TakeTrace();
    TapAt(kVolumeUp);
    EXPECT_EQ(GetVolumeLevel(), 3);
    std::vector<std::string> sounds = TakeTrace("sound");
    ASSERT_FALSE(sounds.empty());
    EXPECT_THAT(sounds.front(), ::testing::StartsWith("sound volume"));
    EXPECT_THAT(sounds.back(), ::testing::EndsWith("btnClick.snd"));
    TapAt(Center(place::btn_vol_dn));
    EXPECT_EQ(GetVolumeLevel(), 2);

    TapAt(kMute);
    EXPECT_TRUE(IsMuted());
    TapAt(kMute);
    EXPECT_FALSE(IsMuted());
}

TEST_F(MainViewTest, TheHiddenLevelButtonsStepTheModuleSpeakerLevelBetween0And14)
{
    ASSERT_TRUE(Start());
    auto press = [this](UINT id) {
        MainView().PostMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        Idle();
    };
    press(COstrilanView::IDC_LEVEL_UP);
    EXPECT_TRUE(Sent().empty());
    for (int i = 0; i < 15; ++i)
        press(COstrilanView::IDC_LEVEL_DN);
    std::vector<std::vector<uint8_t>> sent = SentFrames();
    ASSERT_EQ(sent.size(), 14u);
    EXPECT_EQ(sent.front(), CommandBytes(kOpSetSpeakerVolume, { 13 }));
    EXPECT_EQ(sent.back(), CommandBytes(kOpSetSpeakerVolume, { 0 }));
    press(COstrilanView::IDC_LEVEL_UP);
    EXPECT_THAT(SentFrames(), ElementsAre(CommandBytes(kOpSetSpeakerVolume, { 1 })));
    // Up again to the top: 13 steps more, the last to 14, and the fourteenth press sends nothing.
    for (int i = 0; i < 14; ++i)
        press(COstrilanView::IDC_LEVEL_UP);
    sent = SentFrames();
    ASSERT_EQ(sent.size(), 13u);
    EXPECT_EQ(sent.back(), CommandBytes(kOpSetSpeakerVolume, { 14 }));
}

class MainViewLauncherTest : public PeerAppTest {
protected:
    ChildProgram launcher;
};

TEST_F(MainViewLauncherTest, OnlyTapsInsideTheClockAreaCallTheLauncher)
{
    StartPeer(launcher, { "--title", "Strallo_100", "listen" }, nullptr, "Strallo_100");
    ASSERT_TRUE(Start());
    // Edges are outside: x 430 and 473, y 6 and 28.
    const POINT taps[] = { { 430, 10 }, { 473, 10 }, { 431, 6 }, { 431, 7 }, { 440, 28 }, { 472, 27 } };
    for (POINT at : taps)
        TapAt(at);
    const std::string expected
        = "recv 0x8F0A " + std::to_string(reinterpret_cast<uintptr_t>(Frame().GetSafeHwnd())) + " 0";
    EXPECT_THAT(Received(launcher), ElementsAre(expected, expected));
}
