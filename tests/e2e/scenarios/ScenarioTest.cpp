// One flow per test, as a driver goes through it, with the real programs: the application on
// its own device folder and the virtual clock, the module simulator on a pseudo-terminal. Each
// test ends by quitting through the Quit button and reading the data files and the registry file
// the run left behind.

#include "DeviceFiles.h"
#include "Person.h"
#include "Rig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

namespace df = devicefiles;

constexpr const char* kAppKey = "SOFTWARE\\Quorva\\Ostrilan";
constexpr const char* kRunKey = "SOFTWARE\\Quorva\\OSTRILAN";
// The gain the main view asks for when none is stored; the simulator reports it back.
constexpr uint32_t kFirstMicGain = 4;
// Call lengths the 800 ms call-time tick lands on exactly.
constexpr int kCallMs = 64000;
constexpr Point kPlaceCallBackspace = layout::At(skin::place::placecall::btn_pad_del);
constexpr Point kIncomingNum = layout::At(skin::place::incoming::btn_go_num);
// The in-call keypad's "1", in screen coordinates (the keypad window sits at 50, 180).
constexpr Point kKeypadOne { 50 + layout::At(skin::place::numpad::btn_numpad_1).x,
    180 + layout::At(skin::place::numpad::btn_numpad_1).y };

class Scenario : public ::testing::Test {
protected:
    void SetUp() override
    {
        RigOptions options;
        options.appDir = OSTRILAN_E2E_APP_DIR;
        options.workDir = std::filesystem::path(OSTRILAN_E2E_WORK_DIR)
            / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        options.simArgs = { "--answer-after", "-1", "--ring-timeout", "600000", "--alert-timeout", "600000",
            "--pair-timeout", "600000" };
        rig = std::make_unique<Rig>(options);
        person = std::make_unique<Person>(*rig);
        ASSERT_TRUE(rig->Start()) << rig->Error();
        ASSERT_TRUE(person->WaitShowing(screen::kMain) && person->Settle()) << person->Why();
    }

    // Quit and Yes, as on the device; the program ends cleanly and leaves its registry values.
    void QuitAndCheckRegistry()
    {
        ASSERT_TRUE(person->Tap(layout::kQuit) && person->AnswerBox("Yes")) << person->Why();
        EXPECT_EQ(rig->WaitExit(), 0);
        EXPECT_EQ(df::ReadRegistryDword(rig->RegistryFile(), kRunKey, "RUN"), 0u);
        EXPECT_EQ(df::ReadRegistryDword(rig->RegistryFile(), kAppKey, "MicGain"), kFirstMicGain);
    }

    std::optional<std::vector<df::Call>> History(const char* file, uint32_t magic)
    {
        return df::ReadHistory(rig->DataFile(file), magic);
    }

    // Rings and lets the caller give up: a missed call.
    void MissCall(const std::string& number)
    {
        ASSERT_EQ(rig->Sim("ring " + number).rfind("ok", 0), 0u);
        ASSERT_TRUE(person->WaitShowing(screen::kIncoming) && person->Settle()) << person->Why();
        ASSERT_EQ(rig->Sim("hangup").rfind("ok", 0), 0u);
        ASSERT_TRUE(rig->WaitSimState(4) && person->Settle());
        // The device waits a second before it counts an unanswered call as missed.
        ASSERT_TRUE(rig->Advance(4000));
        ASSERT_TRUE(person->WaitGone(screen::kIncoming)) << person->Why();
    }

    std::unique_ptr<Rig> rig;
    std::unique_ptr<Person> person;
};

TEST_F(Scenario, NewPhonePairsThenConnectsFromTheList)
{
    ASSERT_TRUE(person->Open(layout::kPairMode, screen::kPairMode) && person->Settle()) << person->Why();
    size_t mark = rig->ModuleMark();
    ASSERT_TRUE(
        person->Tap(layout::kPairHandsFree) && person->ModuleHeard(mark, "77 01 01 07", "StartPairing"))
        << person->Why();
    ASSERT_TRUE(rig->WaitSimState(2));
    ASSERT_EQ(rig->Sim("pair \"Test phone\"").rfind("ok", 0), 0u);
    ASSERT_TRUE(person->Settle());
    EXPECT_TRUE(rig->Until([&] { return rig->ShowsText("Test phone"); }));
    ASSERT_TRUE(person->Leave(layout::kReturn, screen::kPairMode)) << person->Why();

    ASSERT_TRUE(person->Open(layout::kConnect, screen::kConnect) && person->Settle()) << person->Why();
    ASSERT_TRUE(person->TapText("Test phone")) << person->Why();
    mark = rig->ModuleMark();
    ASSERT_TRUE(person->Tap(layout::kConnectButton)) << person->Why();
    // Hands-free profile, then the new phone's address as the module gave it.
    ASSERT_TRUE(person->ModuleHeard(mark, "77 01 08 08 01 00 1A 7D AA 00 03", "Connect to the new phone"))
        << person->Why();
    ASSERT_TRUE(rig->WaitSimState(4));
    EXPECT_NE(rig->Sim("state").find("Test phone"), std::string::npos);
    EXPECT_TRUE(person->WaitGone(screen::kConnect)) << person->Why();

    QuitAndCheckRegistry();
    auto pairs = df::ReadPairs(rig->DataFile("PairData.dat"));
    ASSERT_TRUE(pairs);
    EXPECT_TRUE(std::any_of(pairs->begin(), pairs->end(),
        [](const df::PairedDevice& d) { return d.address == "001A7DAA0003" && d.name == "Test phone"; }));
}

TEST_F(Scenario, IncomingCallAnsweredOnTheDeviceIsLoggedWithItsLength)
{
    ASSERT_TRUE(person->LetDeviceReconnect()) << person->Why();
    ASSERT_EQ(rig->Sim("ring 5551234").rfind("ok", 0), 0u);
    ASSERT_TRUE(person->WaitShowing(screen::kIncoming) && person->Settle()) << person->Why();
    EXPECT_TRUE(rig->ShowsText("5551234", screen::kIncoming));

    size_t mark = rig->ModuleMark();
    ASSERT_TRUE(person->Tap(layout::kAccept) && person->ModuleHeard(mark, "77 01 01 11 66", "CallKey"))
        << person->Why();
    ASSERT_TRUE(rig->WaitSimState(6) && person->Settle());
    ASSERT_TRUE(rig->Advance(kCallMs));
    EXPECT_TRUE(rig->ShowsText("00:01:04", screen::kIncoming));

    // A tone from the in-call keypad.
    mark = rig->ModuleMark();
    ASSERT_TRUE(person->Tap(kIncomingNum) && person->WaitShowing("CDlgNumKeypad")) << person->Why();
    ASSERT_TRUE(person->Tap(kKeypadOne) && person->ModuleHeard(mark, "77 01 02 17 31", "SendDtmf 1"))
        << person->Why();

    mark = rig->ModuleMark();
    ASSERT_TRUE(person->Tap(layout::kIncomingEnd) && person->ModuleHeard(mark, "77 01 01 12 65", "EndCall"))
        << person->Why();
    ASSERT_TRUE(rig->WaitSimState(4));
    EXPECT_TRUE(person->WaitGone(screen::kIncoming)) << person->Why();

    QuitAndCheckRegistry();
    auto incoming = History("IncomingCall.dat", df::kIncomingMagic);
    ASSERT_TRUE(incoming && incoming->size() == 1);
    const df::Call& call = incoming->front();
    EXPECT_EQ(call.type, 1u);
    EXPECT_EQ(call.number, "5551234");
    EXPECT_EQ(call.duration, uint32_t(kCallMs / 1000));
    // Rung a minute after the start at 09:05 (the reconnect), in local time.
    EXPECT_EQ(std::vector<int>({ call.year, call.month, call.day, call.hour, call.minute }),
        std::vector<int>({ 2026, 3, 14, 9, 6 }));
    auto last = df::ReadLastCall(rig->DataFile("LastCall.dat"));
    ASSERT_TRUE(last);
    EXPECT_EQ(last->number, "5551234");
    EXPECT_FALSE(History("MissedCall.dat", df::kMissedMagic));
}

TEST_F(Scenario, NumberTypedOnThePadIsDialledAndLogged)
{
    ASSERT_TRUE(person->LetDeviceReconnect()) << person->Why();
    ASSERT_TRUE(person->Open(layout::kCall, screen::kPlaceCall)) << person->Why();
    ASSERT_TRUE(person->Type("01234567899", skin::place::kPlaceCallPad) && person->Tap(kPlaceCallBackspace))
        << person->Why();
    EXPECT_TRUE(rig->ShowsText("0123456789", screen::kPlaceCall));
    size_t mark = rig->ModuleMark();
    ASSERT_TRUE(person->Tap(layout::kDial) && person->WaitShowing(screen::kOutgoing)) << person->Why();
    ASSERT_TRUE(person->ModuleHeard(mark, "77 01 0B 15 30 31 32 33 34 35 36 37 38 39", "Dial 0123456789"))
        << person->Why();
    EXPECT_FALSE(rig->Showing(screen::kPlaceCall));

    // The far end answers once the module has taken the call.
    ASSERT_TRUE(person->Settle());
    ASSERT_EQ(rig->Sim("answer").rfind("ok", 0), 0u);
    ASSERT_TRUE(rig->WaitSimState(6) && person->Settle());
    ASSERT_TRUE(rig->Advance(kCallMs));
    mark = rig->ModuleMark();
    ASSERT_TRUE(person->Tap(layout::kOutgoingEnd) && person->ModuleHeard(mark, "77 01 01 12 65", "EndCall"))
        << person->Why();
    EXPECT_TRUE(person->WaitGone(screen::kOutgoing)) << person->Why();

    QuitAndCheckRegistry();
    auto outgoing = History("OutgoingCall.dat", df::kOutgoingMagic);
    ASSERT_TRUE(outgoing && outgoing->size() == 1);
    EXPECT_EQ(outgoing->front().type, 2u);
    EXPECT_EQ(outgoing->front().number, "0123456789");
    // The screen shows "call over" for two seconds when the module reports the end of the call,
    // before its idle state; on the virtual clock that pause passes at once, so the call-time
    // tick may count it before the idle state has arrived.
    EXPECT_GE(outgoing->front().duration, uint32_t(kCallMs / 1000));
    EXPECT_LE(outgoing->front().duration, uint32_t(kCallMs / 1000 + 2));
    auto last = df::ReadLastCall(rig->DataFile("LastCall.dat"));
    ASSERT_TRUE(last);
    EXPECT_EQ(last->number, "0123456789");
    EXPECT_EQ(last->type, 0u);
}

TEST_F(Scenario, CallersWhoGiveUpAreLoggedAsMissedAndHistoryDeletesThemOneThenAll)
{
    ASSERT_TRUE(person->LetDeviceReconnect()) << person->Why();
    MissCall("111");
    MissCall("222");
    auto missed = History("MissedCall.dat", df::kMissedMagic);
    ASSERT_TRUE(missed && missed->size() == 2);
    for (const df::Call& call : *missed) {
        EXPECT_EQ(call.type, 3u);
        EXPECT_EQ(call.duration, 0u);
    }
    EXPECT_FALSE(History("IncomingCall.dat", df::kIncomingMagic));
    ASSERT_TRUE(person->Open(layout::kCallHistory, screen::kCallHist)) << person->Why();
    ASSERT_TRUE(person->Tap(layout::kTabMissed)) << person->Why();
    ASSERT_TRUE(rig->Until([&] { return rig->ShowsText("111") && rig->ShowsText("222"); }));

    ASSERT_TRUE(person->TapText("111") && person->Tap(layout::kHistDelete)) << person->Why();
    missed = History("MissedCall.dat", df::kMissedMagic);
    ASSERT_TRUE(missed && missed->size() == 1);
    EXPECT_EQ(missed->front().number, "222");
    EXPECT_TRUE(rig->Until([&] { return !rig->ShowsText("111"); }));

    ASSERT_TRUE(person->Tap(layout::kHistDeleteAll)) << person->Why();
    missed = History("MissedCall.dat", df::kMissedMagic);
    ASSERT_TRUE(missed);
    EXPECT_TRUE(missed->empty());
    ASSERT_TRUE(person->Leave(layout::kReturn, screen::kCallHist)) << person->Why();
    QuitAndCheckRegistry();
}

TEST_F(Scenario, PreferencesAreSavedAndAnUnsavedNumberIsDropped)
{
    ASSERT_TRUE(person->Open(layout::kPreference, screen::kPref)) << person->Why();
    constexpr Point kRing3 = layout::At(skin::place::pref::btn_ring_3);
    ASSERT_TRUE(person->Type("5550100", skin::place::kPrefPad) && person->Tap(layout::kChangeHome)
        && person->Tap(layout::kAnswerOn) && person->Tap(kRing3))
        << person->Why();
    ASSERT_TRUE(person->Leave(layout::kReturn, screen::kPref)) << person->Why();

    // Typed again but not changed: the stored number stays.
    ASSERT_TRUE(person->Open(layout::kPreference, screen::kPref)) << person->Why();
    EXPECT_TRUE(rig->ShowsText("5550100", screen::kPref));
    ASSERT_TRUE(person->Type("9", skin::place::kPrefPad) && person->Leave(layout::kReturn, screen::kPref))
        << person->Why();

    QuitAndCheckRegistry();
    auto prefs = df::ReadPreferences(rig->DataFile("PrefData.dat"));
    ASSERT_TRUE(prefs);
    EXPECT_EQ(prefs->homeNumber, "5550100");
    EXPECT_EQ(prefs->autoAnswer, 1u);
    EXPECT_EQ(prefs->ringTone, 3u);
}

}

// The running application puts its controls where the skin description says; the tests and the
// tour tap at the same generated places, so a place changed in assets/skin moves all of them.
TEST_F(Scenario, ControlsStandWhereTheSkinPlacesThem)
{
    namespace place = skin::place;
    struct Control {
        int id;
        const place::Control& place;
    };
    struct Screen {
        Point opener;
        const char* windowClass;
        std::vector<Control> controls;
    };
    const Screen screens[] = {
        { {}, screen::kMain, { { 1006, place::main::btn_home }, { 1001, place::main::btn_callplace },
            { 1034, place::main::btn_vol_up } } },
        { layout::kPairMode, screen::kPairMode, { { 1, place::pairmode::btn_gomain },
            { 1027, place::pairmode::btn_pairinghf }, { 1028, place::pairmode::btn_delpair } } },
        { layout::kConnect, screen::kConnect, { { 1022, place::connect::btn_connect },
            { 1023, place::connect::btn_disconnect } } },
        { layout::kPreference, screen::kPref, { { 1029, place::pref::btn_changehome },
            { 1011, place::pref::btn_pad_0 }, { 1031, place::pref::btn_ring_1 } } },
    };
    for (const Screen& s : screens) {
        SCOPED_TRACE(s.windowClass);
        if (s.opener.x) {
            ASSERT_TRUE(person->Open(s.opener, s.windowClass) && person->Settle()) << person->Why();
        }
        for (const Control& c : s.controls) {
            const RECT& r = c.place.rect;
            EXPECT_EQ(rig->ControlRect(s.windowClass, c.id), (std::array<int, 4> { r.left, r.top, r.right, r.bottom }))
                << "control " << c.id;
        }
        if (s.opener.x) {
            ASSERT_TRUE(person->Tap(layout::kReturn) && person->WaitGone(s.windowClass)) << person->Why();
        }
    }
}
