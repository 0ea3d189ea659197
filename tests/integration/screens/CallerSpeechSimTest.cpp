// The ringing caller said over the ring, played on the module simulator as a person at its console
// would: the name from the contacts (else the number, digit by digit) once the first ring tone has
// played once, once per ring, and nothing with the preference off or while the phone rings
// through the car itself. What was said is read back from the WAVE files the null output writes.
// The digits said for an unknown caller are CallerSpeech's (unit_controller).

#include "SimAppTest.h"
#include "controller/BridgeIndicators.h"
#include "platform/devices/NullAudioOutput.h"
#include "platform/devices/Registry.h"
#include "platform/devices/SpeechSynth.h"
#include "platform/devices/WaveReader.h"
#include "support/WaveBuilder.h"

#include <algorithm>
#include <set>

namespace {

constexpr std::chrono::milliseconds kWait { 20000 };
// ring_1.wav, the default tone: 2.56 s.
constexpr uint64_t kRingToneMs = 2560;

class CallerSpeechSimTest : public SimAppTest {
protected:
    void SetUp() override
    {
        audio.NullOutput()->CaptureTo(dir / "capture");
        BeforeStart();
        StartOnSim({ "--contacts", (dir / "data" / "contacts").string() }, kWait);
    }
    virtual void BeforeStart() { }

    void HangUp()
    {
        HangUpOnSim();
        // The unanswered call's second passes.
        Advance(1000);
        Idle();
    }
    // Waits until the speech of the ring has been made, whatever comes of it.
    bool SpeechMade()
    {
        return Until([&] {
            for (const std::string& line : TakeTrace("sound"))
                traced.push_back(line);
            return std::find(traced.begin(), traced.end(), "sound speech ready") != traced.end();
        });
    }
    size_t SpeechesPlayed()
    {
        const auto& events = audio.NullOutput()->Events();
        return size_t(std::count_if(events.begin(), events.end(), [](const NullAudioOutput::Event& e) {
            return e.kind == NullAudioOutput::Event::Kind::Over && e.source == "speech";
        }));
    }
    // The WAVE files of every speech written so far, in order.
    std::vector<WaveData> SpeechFiles() const
    {
        std::set<std::filesystem::path> paths;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(dir / "capture", ec))
            if (entry.path().filename().string().ends_with("-speech.wav"))
                paths.insert(entry.path());
        std::vector<WaveData> waves;
        for (const auto& path : paths) {
            std::string bytes = testenv::ReadFile(path);
            WaveData wave;
            EXPECT_TRUE(WaveReader::Parse(
                std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), wave));
            waves.push_back(std::move(wave));
        }
        return waves;
    }
    // What espeak-ng itself makes of the text, in frames at the null output's 44.1 kHz.
    static size_t ExpectedFrames(const std::string& text)
    {
        std::string error;
        std::optional<WaveData> wave = SpeechSynth().Say(text, "en-us", error);
        EXPECT_TRUE(wave) << error;
        return wave ? wave->Frames() * 2 : 0;
    }
    static void ExpectSaid(const WaveData& said, const std::string& text)
    {
        EXPECT_EQ(said.rate, 44100u);
        const size_t expected = ExpectedFrames(text);
        // The library varies by a few samples from one synthesis to the next.
        EXPECT_NEAR(double(said.Frames()), double(expected), expected / 50.0) << text;
        EXPECT_GT(testenv::Loudest(said.samples), 2000) << text;
    }

    std::vector<std::string> traced;
};

}

TEST_F(CallerSpeechSimTest, AKnownCallerIsSaidByNameOnceAfterTheFirstRingTone)
{
    ASSERT_TRUE(LinkedByReconnect());
    ContactOnSim("Sam Orwell", "5550001");

    RingOnSim("5550001");
    ASSERT_TRUE(SpeechMade());
    Advance(kRingToneMs - 1);
    EXPECT_EQ(SpeechesPlayed(), 0u) << "not before the first tone has played once";
    Advance(1);
    EXPECT_EQ(SpeechesPlayed(), 1u);
    EXPECT_TRUE(audio.NullOutput()->IsPlayingOver());
    // The ring goes on and says nothing more.
    Advance(3 * kRingToneMs);
    Idle();
    ASSERT_EQ(Frame().Context()->status.mainState, PhoneStatus::kStateRinging);
    EXPECT_EQ(SpeechesPlayed(), 1u);
    const std::vector<WaveData> said = SpeechFiles();
    ASSERT_EQ(said.size(), 1u);
    ExpectSaid(said[0], "Sam Orwell");
    HangUp();
    EXPECT_FALSE(audio.NullOutput()->IsPlayingOver());

    // A ring that ends before its first tone is over says nothing.
    traced.clear();
    RingOnSim("5550003");
    ASSERT_TRUE(SpeechMade());
    Advance(kRingToneMs - 1);
    HangUp();
    Advance(kRingToneMs);
    EXPECT_EQ(SpeechesPlayed(), 1u);
    EXPECT_EQ(SpeechFiles().size(), 1u);
}

TEST_F(CallerSpeechSimTest, WhileThePhoneRingsThroughTheCarItselfNothingIsSaid)
{
    ASSERT_TRUE(LinkedByReconnect());
    EXPECT_EQ(Ask("inband on"), "ok inband on");
    ASSERT_TRUE(Until([&] { return Frame().Context()->PhoneIndicators().InbandRinging(); }));
    RingOnSim("5550004");
    Advance(2 * kRingToneMs);
    Idle();
    EXPECT_EQ(SpeechesPlayed(), 0u);
    HangUp();

    EXPECT_EQ(Ask("inband off"), "ok inband off");
    ASSERT_TRUE(Until([&] { return !Frame().Context()->PhoneIndicators().InbandRinging(); }));
    RingOnSim("5550004");
    ASSERT_TRUE(SpeechMade());
    Advance(kRingToneMs);
    EXPECT_EQ(SpeechesPlayed(), 1u);
    // Only the ring that was said has a speech of its own.
    std::vector<std::string> made;
    std::ranges::copy_if(
        traced, std::back_inserter(made), [](const auto& line) { return line.starts_with("sound speech"); });
    EXPECT_EQ(made, std::vector<std::string> { "sound speech ready" });
    HangUp();
}

namespace {

class CallerSpeechOffSimTest : public CallerSpeechSimTest {
protected:
    void BeforeStart() override
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Quorva\\Ostrilan", &key), ERROR_SUCCESS);
        const DWORD off = 0;
        ASSERT_EQ(
            RegSetValueExW(key, u"SpeakCaller", REG_DWORD, reinterpret_cast<const BYTE*>(&off), sizeof off),
            ERROR_SUCCESS);
        RegCloseKey(key);
    }
};

}

TEST_F(CallerSpeechOffSimTest, WithThePreferenceOffNothingIsSaid)
{
    ASSERT_TRUE(LinkedByReconnect());
    RingOnSim("5550005");
    Advance(2 * kRingToneMs);
    Idle();
    EXPECT_EQ(SpeechesPlayed(), 0u);
    EXPECT_TRUE(SpeechFiles().empty());
    // The ring itself played as always.
    const auto& events = audio.NullOutput()->Events();
    EXPECT_TRUE(std::any_of(events.begin(), events.end(), [](const NullAudioOutput::Event& e) {
        return e.kind == NullAudioOutput::Event::Kind::Play && e.loop && e.source.ends_with("ring_1.wav");
    }));
    HangUp();
}
