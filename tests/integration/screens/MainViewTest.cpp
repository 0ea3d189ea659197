#include "AppFixture.h"

#include "platform/devices/NamedMutex.h"
#include "platform/draw/DIBitmap.h"
#include "screens/DlgPlaceCall.h"
#include "screens/OstrilanView.h"
#include "store/RegistrySettings.h"
#include "ui/MasterVolume.h"

using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::StartsWith;

namespace {

namespace place = skin::place::main;
using skin::place::Center;

constexpr POINT kHide = Center(place::btn_home);
constexpr POINT kQuit = Center(place::btn_pwroff);
constexpr POINT kCall = Center(place::btn_callplace);
constexpr POINT kCallHist = Center(place::btn_callhist);
constexpr POINT kRedial = Center(place::btn_redial);
constexpr POINT kConnect = Center(place::btn_connect);
constexpr POINT kPairMode = Center(place::btn_pairmode);
constexpr POINT kPref = Center(place::btn_pref);
constexpr POINT kGainDown = Center(place::btn_mic_gain_dn);
constexpr POINT kGainUp = Center(place::btn_mic_gain_up);
constexpr POINT kVolumeDown = Center(place::btn_vol_dn);
constexpr POINT kVolumeUp = Center(place::btn_vol_up);
constexpr POINT kMute = Center(place::btn_mute);

constexpr uint8_t kOpSetSpeakerVolume = 0x0C;
constexpr uint8_t kOpSetMicGain = 0x0D;
constexpr uint8_t kOpCallKey = 0x11;
}

class MainViewTest : public AppTest {
protected:
    COstrilanView& MainView() const { return dynamic_cast<COstrilanView&>(View()); }
    void Tap(POINT at) { AppTest::Tap(at.x, at.y); }

    // Starts with a stored gain, so that the start-up sends none.
    void StartWithStoredGain()
    {
        ASSERT_TRUE(WriteMicGain(2));
        ASSERT_TRUE(Start());
    }
};

// Without a stored gain the view sends its own (level 4, as the start-up test sees it go out);
// with one it sends none and the gauge waits for the module.
TEST_F(MainViewTest, StartsWithTheCallButtonsDisabledAndItsGainWhenNoneIsStored)
{
    ASSERT_TRUE(Start());
    EXPECT_EQ(MainView().RequestedGainLevel(), 4);
    EXPECT_FALSE(MainView().GetDlgItem(COstrilanView::IDC_CALLHIST)->IsWindowEnabled());
    EXPECT_FALSE(MainView().GetDlgItem(COstrilanView::IDC_REDIAL)->IsWindowEnabled());
    EXPECT_TRUE(ShowsText(*MainView().GetDlgItem(COstrilanView::IDC_CALL), "Call"));
    EXPECT_TRUE(ShowsText(View(), "09:05"));
}

TEST_F(MainViewTest, AStoredGainSendsNoneAtStart)
{
    ASSERT_TRUE(WriteMicGain(3));
    app.SetCommandLine("");
    ASSERT_TRUE(app.InitInstance());
    Idle();
    EXPECT_THAT(SentOpcodes(), ElementsAre(0x05, kOpSetSpeakerVolume));
    EXPECT_EQ(MainView().Gauges()->m_nMicLevel, 0);
    EXPECT_EQ(ReadMicGain(), 3u);
}

TEST_F(MainViewTest, EachMenuButtonOpensItsScreenOrSaysWhyNot)
{
    ASSERT_TRUE(Start());
    struct Case {
        const char* what;
        uint8_t state;
        uint8_t link;
        POINT button;
        const char* opened;
        std::vector<uint8_t> sent;
        const char* hint;
    };
    // The rows during a call come last: the screens may not open until the call is over.
    const Case cases[] = {
        { "the phone's call key without a link", 1, 0, kCall, nullptr, { kOpCallKey }, "" },
        { "the phone's call key on a headset link", 4, 1, kCall, nullptr, { kOpCallKey }, "" },
        { "call history waits for a hands-free link", 1, 0, kCallHist, nullptr, {}, "" },
        { "redial waits for a hands-free link", 4, 1, kRedial, nullptr, {}, "" },
        { "dial pad", 4, 2, kCall, "screen open 1 CDlgPlaceCall", {}, "" },
        { "call history", 4, 2, kCallHist, "screen open 2 CDlgCallHist", {}, "" },
        { "connect", 4, 2, kConnect, "screen open 4 CDlgConnect", { 0x0E }, "" },
        { "pair mode", 4, 2, kPairMode, "screen open 5 CDlgPairMode", { 0x0E }, "" },
        { "settings", 4, 2, kPref, "screen open 8 CDlgPref", {}, "" },
        { "redial without a number", 4, 2, kRedial, nullptr, {}, "No last number to redial" },
        { "dial pad during a call", 6, 2, kCall, nullptr, {}, "Cellphone not ready for calls" },
        { "redial during a call", 6, 2, kRedial, nullptr, {}, "Cellphone not ready for calls" },
    };
    for (const Case& c : cases) {
        State(c.state);
        if (c.link)
            Link(c.link);
        Sent();
        TakeTrace();
        MainView().SetHintText({});
        if (c.state == 4 && c.link == 2 && c.button.x == kCall.x && c.button.y == kCall.y)
            Screenshot("main-view-connected");
        Tap(c.button);
        EXPECT_EQ(TakeTrace("screen open"),
            c.opened ? std::vector<std::string> { c.opened } : std::vector<std::string> {})
            << c.what;
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
    Tap(kCall);
    EXPECT_EQ(ToUtf8(MainView().HintText()), "Bluetooth module not responding");
}

TEST_F(MainViewTest, RedialDialsTheLastNumberFromItsFileOrElseFromMemory)
{
    ASSERT_TRUE(Start());
    ConnectPhone();
    {
        CallLogStore store;
        store.LastCall().SetNumber("0301234567");
        ASSERT_TRUE(store.SaveLastCall());
    }
    TakeTrace();
    Tap(kRedial);
    ExpectCallPlaced("0301234567", "");

    // A file of another kind cannot be read: the number still in memory is dialled, and saved.
    {
        std::ofstream foreign(DataPath("LastCall.dat"), std::ios::binary);
        foreign << std::string("\x03\x01\x01\x01", 4) << std::string(372, '\0');
    }
    Tap(kRedial);
    EXPECT_EQ(ToUtf8(MainView().HintText()), "No last number to redial");
    ExpectCallPlaced("0301234567", "");
}

// Quit answered Yes is the tour's last step.
TEST_F(MainViewTest, QuitAsksFirstAndHideKeepsThePhoneRunning)
{
    ASSERT_TRUE(Start());
    AnswerMessageBox(Answer::No);
    Tap(kQuit);
    EXPECT_TRUE(Frame().GetSafeHwnd());
    EXPECT_TRUE(TakeTrace("app stopped").empty());

    Tap(kHide);
    EXPECT_FALSE(Frame().IsWindowVisible());
    // Still following the module: a connected phone brings the frame back.
    State(4);
    EXPECT_TRUE(Frame().IsWindowVisible());
}

// Gain steps start from the gauge's level; reports set the stored gain and the gauge by their rules.
TEST_F(MainViewTest, MicrophoneGainStepsWithinItsLimitsAndReportsAreStoredAndShown)
{
    StartWithStoredGain();
    // Level 0: down sends nothing; up twice before any report asks for level 1 twice.
    Tap(kGainDown);
    Tap(kGainUp);
    Tap(kGainUp);
    EXPECT_THAT(
        SentFrames(), ElementsAre(CommandBytes(kOpSetMicGain, { 1 }), CommandBytes(kOpSetMicGain, { 1 })));
    Response(kOpSetMicGain, { 0, 5 });
    EXPECT_EQ(MainView().Gauges()->m_nMicLevel, 5);
    Tap(kGainUp);
    Tap(kGainDown);
    EXPECT_THAT(SentFrames(), ElementsAre(CommandBytes(kOpSetMicGain, { 4 })));
    EXPECT_EQ(MainView().RequestedGainLevel(), 4);

    Response(kOpSetMicGain, { 0, 1 });
    Tap(kGainDown);
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

TEST_F(MainViewTest, VolumeButtonsClickAtTheNewVolumeAndMuteLatches)
{
    StartWithStoredGain();
    auto& mute = dynamic_cast<CMyButton&>(*MainView().GetDlgItem(COstrilanView::IDC_MUTE));
    SetVolumeLevel(2);
    TakeTrace();
    Tap(kVolumeUp);
    EXPECT_EQ(GetVolumeLevel(), 3);
    std::vector<std::string> sounds = TakeTrace("sound");
    ASSERT_FALSE(sounds.empty());
    EXPECT_THAT(sounds.front(), StartsWith("sound volume"));
    EXPECT_THAT(sounds.back(), EndsWith("btnClick.snd"));
    Tap(kVolumeDown);
    EXPECT_EQ(GetVolumeLevel(), 2);

    Tap(kMute);
    EXPECT_TRUE(IsMuted());
    EXPECT_TRUE(mute.IsLatched());
    Tap(kMute);
    EXPECT_FALSE(IsMuted());
    EXPECT_FALSE(mute.IsLatched());
    // A volume step ends the mute, and the button shows it.
    Tap(kMute);
    Tap(kVolumeUp);
    EXPECT_FALSE(IsMuted());
    EXPECT_FALSE(mute.IsLatched());
}

TEST_F(MainViewTest, TheHiddenLevelButtonsStepTheModuleSpeakerLevelBetween0And14)
{
    StartWithStoredGain();
    Window* up = MainView().GetDlgItem(COstrilanView::IDC_LEVEL_UP);
    Window* down = MainView().GetDlgItem(COstrilanView::IDC_LEVEL_DN);
    ASSERT_TRUE(up && down);
    EXPECT_FALSE(up->IsWindowVisible());
    EXPECT_FALSE(down->IsWindowVisible());
    auto press = [this](UINT id) {
        View().PostMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
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
}

TEST_F(MainViewTest, TheBluetoothIconFollowsTheMainStateAndTheLinkKind)
{
    StartWithStoredGain();
    std::unique_ptr<Bitmap> icon = LoadDIBitmap(testenv::AppDir() / "images" / "ico_bluetooth.bti");
    ASSERT_TRUE(icon);
    // How many pixels of the icon's spot differ from frame f of the strip.
    auto mismatches = [&](int f) {
        int count = 0;
        // The icon is 24 x 26 at (430, 240).
        for (int y = 0; y < 26; ++y) {
            for (int x = 0; x < 24; ++x)
                count += ws.Screen().Pixel(430 + x, 240 + y) != icon->Pixels().Pixel(f * 24 + x, y);
        }
        return count;
    };
    struct Case {
        uint8_t state;
        uint8_t link;
        int frame;
    };
    // 0 no module, 3 off, 1 hands-free, 2 headset; a state report outside 4..6 drops the link.
    const Case cases[] = { { 0, 0, 3 }, { 1, 0, 0 }, { 2, 0, 0 }, { 3, 0, 0 }, { 4, 0, 0 }, { 4, 1, 2 },
        { 5, 1, 2 }, { 7, 0, 3 }, { 4, 2, 1 }, { 6, 2, 1 } };
    for (const Case& c : cases) {
        State(c.state);
        if (c.link)
            Link(c.link);
        Idle();
        EXPECT_EQ(mismatches(c.frame), 0) << "state " << int(c.state) << " link " << int(c.link);
    }
}

class MainViewLauncherTest : public PeerAppTest {
protected:
    ChildProgram launcher;
};

TEST_F(MainViewLauncherTest, OnlyTapsInsideTheClockAreaCallTheLauncher)
{
    StartPeer(launcher, { "--title", "Strallo_100", "listen" }, nullptr, "Strallo_100");
    ASSERT_TRUE(WriteMicGain(2));
    ASSERT_TRUE(Start());
    // Edges are outside: x 430 and 473, y 6 and 28.
    const POINT taps[] = { { 430, 10 }, { 473, 10 }, { 431, 6 }, { 431, 7 }, { 440, 28 }, { 472, 27 } };
    for (POINT at : taps)
        TapAt(at);
    const std::string expected
        = "recv 0x8F0A " + std::to_string(reinterpret_cast<uintptr_t>(Frame().GetSafeHwnd())) + " 0";
    EXPECT_THAT(Received(launcher), ElementsAre(expected, expected));
}

// The build's application folder as the user leaves it while the application runs from there:
// its single-instance mutex held in run/ and a registry of its own. Made before the screen
// fixture builds its device.
class BusyAppFolder {
protected:
    BusyAppFolder()
    {
        std::filesystem::create_directories(testenv::AppDir() / "registry");
        m_registryBefore = testenv::ReadFile(kAppRegistry);
        // Refused when the user's own instance holds it, which is as busy.
        (void)m_instance.TryAcquire();
    }

    const std::filesystem::path kAppRegistry = testenv::AppDir() / "registry" / "HKEY_LOCAL_MACHINE.reg";
    std::string m_registryBefore;
    NamedMutex m_instance { "ThisIsHarnloForQuorvaCorp1000", testenv::AppDir() };
};

class IsolatedMainViewTest : public BusyAppFolder, public MainViewTest { };

TEST_F(IsolatedMainViewTest, StartsBesideAnInstanceRunningFromTheBuildFolderAndLeavesItsRegistryAlone)
{
    ASSERT_TRUE(Start());
    EXPECT_THAT(testenv::ReadFile(dir / "registry" / "HKEY_LOCAL_MACHINE.reg"),
        ::testing::HasSubstr("\"RUN\"=dword:00000001"));
    EXPECT_EQ(testenv::ReadFile(kAppRegistry), m_registryBefore);
}
