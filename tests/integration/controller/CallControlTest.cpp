#include "AppFixture.h"

#include "platform/devices/AtomicFile.h"
#include "store/PairStore.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class CallControlTest : public AppTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start());
        ConnectPhone();
        TakeTrace();
    }
    // Plays a call from the module's side, step by step: R a ring, N<digits> the caller's number,
    // S<n> a state report, L<n> a link report, A the incoming call screen's Accept, +<ms> time.
    void Play(const std::string& steps)
    {
        std::istringstream in(steps);
        for (std::string step; in >> step;) {
            const std::string arg = step.substr(1);
            switch (step[0]) {
            case 'R': Ring(); break;
            case 'N': CallerId(arg); break;
            case 'S': State(uint8_t(std::stoi(arg)), arg == "6"); break;
            case 'L': Link(uint8_t(std::stoi(arg))); break;
            case '+': Advance(std::stoull(arg)); break;
            case 'A': TapAt(skin::place::Center(skin::place::incoming::btn_accept)); break;
            }
        }
    }
    // "<number>:<seconds>" per record of a history file, newest first.
    std::vector<std::string> Logged(const std::string& file)
    {
        std::vector<std::string> calls;
        for (const CallRecord& record : History(file))
            calls.push_back(record.Number() + ":" + std::to_string(record.duration));
        return calls;
    }
    // The module's name report: its length, the address, the name.
    static std::vector<uint8_t> NameEvent(const BtAddress& address, const std::string& name)
    {
        std::string body(1, char(6 + name.size()));
        body.append(address.begin(), address.end());
        body += name;
        return ModuleFrameBytes(0x04, 0x0E, { body.begin(), body.end() });
    }
};

// One application through all rows, each after the one before: whatever came before, each call is
// logged once, in the right file, with its own number and only an answered call with a call time.
TEST_F(CallControlTest, EachCallIsLoggedOnceInItsFileWithItsNumberAndTime)
{
    struct Case {
        const char* what;
        const char* steps;
        std::vector<std::string> incoming, missed;
    };
    const Case cases[] = {
        { "answered on the device", "R S5 N0301234567 A S6 +5000 S4 +2000", { "0301234567:5" }, {} },
        { "answered on the phone", "R S5 S6 +3200 S4", {}, { ":3" } },
        { "4 then 6 within the second is one call", "S5 S4 +500 S6 +1000 S4", {}, { ":1" } },
        { "not yet missed before the second", "S5 S4 +999", {}, {} },
        { "missed when the second is over", "S5 S4 +1000", {}, { ":0" } },
        { "the phone lost while ringing", "R S5 N0301234567 S1", {}, { "0301234567:0" } },
        { "the phone lost in a call", "R S5 A S6 +5000 S0 +2000", { ":5" }, {} },
        { "the phone lost within the second", "R S5 N0301234567 S4 +300 S1 +3000", {}, { "0301234567:0" } },
        { "a ring during a call", "S5 S6 +1600 S5 S4 +1000", {}, { ":0", ":1" } },
        { "a repeated in-call report keeps the start", "S5 S6 +1000 S6 +2000 S4", {}, { ":3" } },
        { "repeated rings", "R R S5 R S5 R S4 +1000", {}, { ":0" } },
        { "ring, state, number", "R S5 N0302222 R S4 +1000", {}, { "0302222:0" } },
        { "number before the state", "R N0303333 S5 R S4 +1000", {}, { "0303333:0" } },
        { "state before the ring", "S5 N0304444 R S4 +1000", {}, { "0304444:0" } },
        { "a number of 40 digits", "R N0123456789012345678901234567890123456789 S5 S4 +1000", {},
            { "01234567890123456789012345678901:0" } },
        { "a ring without a hands-free link", "L1 R S5 S4 +2000", {}, {} },
    };
    for (const Case& c : cases) {
        Play(c.steps);
        EXPECT_EQ(Logged("IncomingCall.dat"), c.incoming) << c.what;
        EXPECT_EQ(Logged("MissedCall.dat"), c.missed) << c.what;
        if (!c.missed.empty() && c.missed[0][0] != ':') {
            CallLogStore reread;
            EXPECT_TRUE(reread.LoadLastCall()) << c.what;
            EXPECT_EQ(reread.LastCall().Number() + ":0", c.missed[0]) << c.what;
        }
        // Back to a connected phone with no screen up and empty history files.
        ConnectPhone();
        Advance(5000);
        for (const char* file : { "IncomingCall.dat", "MissedCall.dat" })
            std::filesystem::remove(DataPath(file));
    }
}

TEST_F(CallControlTest, AnAnsweredCallRoutesTheAudioAndTicksEvery800Ms)
{
    Play("R S5 N0301234567");
    EXPECT_TRUE(audio.Player().IsPlaying());
    TakeTrace();
    Play("A S6");
    EXPECT_FALSE(audio.Player().IsPlaying());
    EXPECT_THAT(TakeTrace("audio"), ElementsAre("audio 8098 1 0", "audio 8099 1 0", "audio 8091 4 0", "audio 8091 1 0"));
    Advance(1500);
    EXPECT_EQ(Frame().Context()->status.elapsedSeconds, 0);
    Advance(100);
    EXPECT_EQ(Frame().Context()->status.elapsedSeconds, 1);
    State(4);
    EXPECT_THAT(TakeTrace("audio"), ElementsAre("audio 8098 2 0", "audio 8099 2 0", "audio 8091 2 0", "audio 8091 3 0"));
}

TEST_F(CallControlTest, StatusLineNamesEachStateWithoutAPhone)
{
    const char* texts[] = { "Bluetooth initializing...", "No cellphone connected", "Pairing in progress", "Connecting..." };
    for (uint8_t state = 0; state < 4; ++state) {
        State(state);
        EXPECT_EQ(ToUtf8(Frame().GetStatusLine()), texts[state]) << int(state);
    }
}

TEST_F(CallControlTest, ReconnectEverySixtySecondsNotSoonerOnlyWhenIdleWithNoScreenUp)
{
    // Without a hands-free link no state opens a screen, so only the state holds it back.
    Link(0);
    for (uint8_t state : { 0, 2, 3, 4, 5, 6, 7 }) {
        State(state);
        Advance(60000);
        EXPECT_THAT(module.ReadAvailable(50), IsEmpty()) << "main state " << int(state);
    }
    State(1);
    Open<Window>(kScreenCallHist);
    Advance(60000);
    EXPECT_THAT(module.ReadAvailable(50), IsEmpty());
    Frame().CloseScreen(kScreenCallHist);
    Sent();
    const std::vector<uint8_t> connect = CommandBytes(0x08, { 1, 0, 0, 0, 0, 0, 0 });
    for (int round = 1; round <= 2; ++round) {
        Advance(59999);
        EXPECT_THAT(module.ReadAvailable(50), IsEmpty()) << "round " << round;
        Advance(1);
        EXPECT_EQ(module.ReadAvailable(), connect) << "round " << round;
    }
}

// The paired phones' names not saved: told once, as the settings, and written with the next name
// report; a bridge reporting every paired phone at once lands each name with its own address.
TEST_F(CallControlTest, AFailedSaveOfThePairedPhonesIsToldAsTheSettingsAndNamesTogetherAreEachStored)
{
    const BtAddress first { 1, 2, 3, 4, 5, 6 }, second { 9, 8, 7, 6, 5, 4 };
    ASSERT_TRUE(PairStore().Save());
    AtomicFile::SetFaultHook([](AtomicFile::Step step) { return step != AtomicFile::Step::Open; });
    WriteFrames(NameEvent(first, "Anna"), 1);
    AtomicFile::SetFaultHook({});
    EXPECT_EQ(ToUtf8(Frame().GetStatusLine()), "Settings could not be saved");
    std::vector<uint8_t> both = NameEvent(first, "Anka"), more = NameEvent(second, "Bruno");
    both.insert(both.end(), more.begin(), more.end());
    WriteFrames(both, 2);
    PairStore store;
    ASSERT_TRUE(store.Load());
    WString name;
    EXPECT_TRUE(store.GetName(first.data(), name) && name == u"Anka");
    EXPECT_TRUE(store.GetName(second.data(), name) && name == u"Bruno");
}

// Saves failing as on a read-only data folder (the file system's refusal played by the save's
// fault hook: the tests run as root, whom a folder's mode does not stop).
TEST_F(CallControlTest, FailedHistorySavesAreShownOnceAndTheNextGoodSaveWritesEveryCall)
{
    AtomicFile::SetFaultHook([](AtomicFile::Step step) { return step != AtomicFile::Step::Open; });
    Play("R S5 N0301111 S4 +1000");
    EXPECT_EQ(ToUtf8(Frame().GetStatusLine()), "Calls could not be saved");
    EXPECT_THAT(Logged("MissedCall.dat"), IsEmpty());
    Play("R S5 N0302222 S4 +1000");
    // Shown once only: then the line goes back to what it says between calls.
    EXPECT_EQ(ToUtf8(Frame().GetStatusLine()), "2 missed calls: 0302222");

    AtomicFile::SetFaultHook({});
    Play("R S5 N0303333 S4 +1000");
    EXPECT_EQ(ToUtf8(Frame().GetStatusLine()), "3 missed calls: 0303333");
    EXPECT_THAT(Logged("MissedCall.dat"), ElementsAre("0303333:0", "0302222:0", "0301111:0"));
}
