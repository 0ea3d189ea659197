// The caller's contact name (else number) said once per ring after the first tone, never with the
// preference off or the car ringing; read back from the null output's WAVE files. The digits said
// are CallerSpeech's (unit_controller).

#include "AppFixture.h"

#include "platform/devices/NullAudioOutput.h"
#include "platform/devices/SpeechSynth.h"
#include "platform/devices/WaveReader.h"
#include "support/WaveBuilder.h"

#include <algorithm>

namespace {

// ring_1.wav, the default tone: 2.56 s.
constexpr uint64_t kRingToneMs = 2560;
constexpr uint8_t kInband = 8;

class CallerSpeechTest : public AppTest {
protected:
    void SetUp() override { audio.NullOutput()->CaptureTo(dir / "capture"); }

    void StartLinked()
    {
        ASSERT_TRUE(Start());
        ConnectPhone();
    }
    // Waits until the speech of the ring has been made, whatever comes of it.
    bool SpeechMade()
    {
        return ws.PumpUntil(
            [&] {
                for (const std::string& line : TakeTrace("sound"))
                    traced.push_back(line);
                return std::ranges::count(traced, "sound speech ready") > 0;
            },
            kGenerousWait);
    }
    size_t SpeechesPlayed()
    {
        return size_t(
            std::ranges::count_if(audio.NullOutput()->Events(), [](const NullAudioOutput::Event& e) {
                return e.kind == NullAudioOutput::Event::Kind::Over && e.source == "speech";
            }));
    }
    // The WAVE files of the speeches written so far.
    std::vector<std::filesystem::path> SpeechFiles() const
    {
        std::vector<std::filesystem::path> paths;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(dir / "capture", ec))
            if (entry.path().filename().string().ends_with("-speech.wav"))
                paths.push_back(entry.path());
        return paths;
    }
    // Said as long as espeak-ng itself makes the text, in frames at the null output's 44.1 kHz.
    static void ExpectSaid(const std::filesystem::path& file, const std::string& text)
    {
        const std::string bytes = testenv::ReadFile(file);
        WaveData said;
        ASSERT_TRUE(
            WaveReader::Parse(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), said));
        std::string error;
        std::optional<WaveData> wave = SpeechSynth().Say(text, "en-us", error);
        ASSERT_TRUE(wave) << error;
        const size_t expected = wave->Frames() * 2;
        EXPECT_EQ(said.rate, 44100u);
        // The library varies by a few samples from one synthesis to the next.
        EXPECT_NEAR(double(said.Frames()), double(expected), expected / 50.0) << text;
        EXPECT_GT(testenv::Loudest(said.samples), 2000) << text;
    }

    std::vector<std::string> traced;
};

}

TEST_F(CallerSpeechTest, AKnownCallerIsSaidByNameOnceAfterTheFirstRingTone)
{
    DropContacts("dropped.vcf", Card("Sam Orwell", "TEL:5550001\r\n"));
    StartLinked();
    ASSERT_TRUE(KnowsCaller(u"5550001"));

    Rings("5550001");
    ASSERT_TRUE(SpeechMade());
    Advance(kRingToneMs - 1);
    EXPECT_EQ(SpeechesPlayed(), 0u) << "not before the first tone has played once";
    Advance(1);
    EXPECT_EQ(SpeechesPlayed(), 1u);
    EXPECT_TRUE(audio.NullOutput()->IsPlayingOver());
    // The phone repeats its ring, which says nothing more.
    Ring();
    Advance(3 * kRingToneMs);
    Idle();
    EXPECT_EQ(SpeechesPlayed(), 1u);
    const std::vector<std::filesystem::path> said = SpeechFiles();
    ASSERT_EQ(said.size(), 1u);
    ExpectSaid(said[0], "Sam Orwell");
    CallOver();
    EXPECT_FALSE(audio.NullOutput()->IsPlayingOver());

    // A ring that ends before its first tone is over says nothing.
    traced.clear();
    Rings("5550003");
    ASSERT_TRUE(SpeechMade());
    Advance(kRingToneMs - 1);
    CallOver();
    Advance(kRingToneMs);
    EXPECT_EQ(SpeechesPlayed(), 1u);
    EXPECT_EQ(SpeechFiles().size(), 1u);
}

// Only 0 and 1 count for the ringing through the car: 2 leaves it on.
TEST_F(CallerSpeechTest, WhileThePhoneRingsThroughTheCarItselfNothingIsSaid)
{
    StartLinked();
    Indicator(kInband, 1);
    Indicator(kInband, 2);
    Rings("5550004");
    Advance(2 * kRingToneMs);
    Idle();
    EXPECT_EQ(SpeechesPlayed(), 0u);
    CallOver();

    Indicator(kInband, 0);
    Rings("5550004");
    ASSERT_TRUE(SpeechMade());
    Advance(kRingToneMs);
    EXPECT_EQ(SpeechesPlayed(), 1u);
    // Only the ring that was said has a speech of its own.
    EXPECT_EQ(
        std::ranges::count_if(traced, [](const auto& line) { return line.starts_with("sound speech"); }), 1);
}

TEST_F(CallerSpeechTest, WithThePreferenceOffNothingIsSaid)
{
    testenv::ScopedEnv off { "OSTRILAN_SPEAK_CALLER", "off" };
    StartLinked();
    Rings("5550005");
    Advance(2 * kRingToneMs);
    Idle();
    EXPECT_EQ(SpeechesPlayed(), 0u);
    EXPECT_TRUE(SpeechFiles().empty());
}
