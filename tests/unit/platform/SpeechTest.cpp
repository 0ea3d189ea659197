// Speech made in memory by espeak-ng, and a sound played over the voice: the voice ducked while it
// plays and back afterwards, and what played written out as WAVE files when asked.

#include "platform/devices/AudioSystem.h"
#include "platform/devices/NullAudioOutput.h"
#include "platform/devices/SpeechSynth.h"
#include "platform/devices/SpeechWorker.h"
#include "platform/devices/WaveReader.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <fstream>
#include <iterator>

namespace {

int16_t Loudest(const std::vector<int16_t>& samples)
{
    int16_t loudest = 0;
    for (int16_t s : samples)
        loudest = std::max<int16_t>(loudest, int16_t(std::min(32767, std::abs(int(s)))));
    return loudest;
}

std::shared_ptr<const PcmSound> Constant(size_t frames, int16_t value)
{
    PcmSound sound;
    sound.rate = NullAudioOutput::kRate;
    sound.samples.assign(frames * PcmSound::kChannels, value);
    return std::make_shared<const PcmSound>(std::move(sound));
}

std::vector<int16_t> Left(NullAudioOutput& output, size_t frames)
{
    std::vector<int16_t> stereo(frames * PcmSound::kChannels);
    output.Render(stereo.data(), frames);
    std::vector<int16_t> left;
    for (size_t i = 0; i < stereo.size(); i += PcmSound::kChannels)
        left.push_back(stereo[i]);
    return left;
}

}

TEST(SpeechSynth, SaysANameInEachVoiceAndFallsBackToEnglishForAnUnknownOne)
{
    SpeechSynth synth;
    std::string error;
    std::optional<WaveData> english = synth.Say("Sam Orwell", "en-us", error);
    ASSERT_TRUE(english) << error;
    EXPECT_EQ(english->rate, 22050u);
    EXPECT_EQ(english->channels, 1);
    // A name of two words lasts between half a second and three.
    EXPECT_GT(english->Frames(), 22050u / 2);
    EXPECT_LT(english->Frames(), 22050u * 3);
    EXPECT_GT(Loudest(english->samples), 2000);

    // The same text, twice: the same length, but for the library's few samples of variation.
    std::optional<WaveData> again = synth.Say("Sam Orwell", "en-us", error);
    ASSERT_TRUE(again);
    EXPECT_NEAR(double(again->Frames()), double(english->Frames()), english->Frames() / 100.0);

    // German says the name in its own way, about 12 % longer.
    std::optional<WaveData> german = synth.Say("Sam Orwell", "de", error);
    ASSERT_TRUE(german) << error;
    EXPECT_GT(german->Frames(), english->Frames() + english->Frames() / 20);

    // A voice that does not exist speaks as "en" does, not as the voice before.
    std::optional<WaveData> unknown = synth.Say("Sam Orwell", "xx-none", error);
    ASSERT_TRUE(unknown) << error;
    std::optional<WaveData> fallback = synth.Say("Sam Orwell", "en", error);
    ASSERT_TRUE(fallback);
    EXPECT_NEAR(double(unknown->Frames()), double(fallback->Frames()), fallback->Frames() / 100.0);
    EXPECT_LT(fallback->Frames(), english->Frames() - english->Frames() / 20);

    // Nothing to say is no sound, with its reason.
    error.clear();
    EXPECT_FALSE(synth.Say("", "en-us", error));
    EXPECT_FALSE(error.empty());
}

TEST(SpeechSynth, WithoutItsDataItSaysWhyAndTheLibraryStillServesOthers)
{
    testenv::TempDir empty;
    std::string error;
    EXPECT_FALSE(SpeechSynth(empty.Path()).Say("Sam Orwell", "en-us", error));
    EXPECT_NE(error.find("espeak-ng"), std::string::npos) << error;

    std::optional<WaveData> wave = SpeechSynth().Say("Sam Orwell", "en-us", error);
    EXPECT_TRUE(wave) << error;
}

TEST(SpeechSynth, AVeryLongTextIsCutNotSaidForMinutes)
{
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "Constantinople ";
    std::string error;
    std::optional<WaveData> wave = SpeechSynth().Say(text, "en-us", error);
    ASSERT_TRUE(wave) << error;
    EXPECT_LE(wave->Frames(), 22050u * 20);
}

// 256 bytes are said, the 257th not: "99" ends a text of 256 bytes and is said as "ninety-nine",
// longer than the "9" of 255; a "999" crossing the edge is still "ninety-nine".
TEST(SpeechSynth, TextsAreSaidUpTo256Bytes)
{
    const std::string spaces(252, ' ');
    auto frames = [&](const std::string& tail) {
        std::string error;
        std::optional<WaveData> wave = SpeechSynth().Say(spaces + tail, "en-us", error);
        EXPECT_TRUE(wave) << error;
        return wave ? double(wave->Frames()) : 0.0;
    };
    const double nine = frames("1 9"), ninetyNine = frames("1 99"), crossing = frames("1 999");
    EXPECT_GT(ninetyNine, nine + 2205) << "a tenth of a second more for the 256th byte";
    EXPECT_NEAR(crossing, ninetyNine, 441);
}

TEST(SpeechWorker, HandsOnTheLatestRequestAtTheOutputRateAndDropsOnesReplaced)
{
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<uint32_t> done;
    SpeechWorker worker(44100, [&](uint32_t ticket) {
        std::lock_guard lock(mutex);
        done.push_back(ticket);
        changed.notify_all();
    });
    // The second replaces the first unless the first had already begun; either way only the
    // latest is kept.
    worker.Request(1, "Sam Orwell", "en-us");
    worker.Request(2, "Ann Lee", "en-us");
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(30),
            [&] { return std::find(done.begin(), done.end(), 2u) != done.end(); }));
    }
    EXPECT_EQ(worker.Take(1), nullptr);
    std::shared_ptr<const PcmSound> sound = worker.Take(2);
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(sound->rate, 44100u);
    std::string error;
    std::optional<WaveData> direct = SpeechSynth().Say("Ann Lee", "en-us", error);
    ASSERT_TRUE(direct);
    // 22050 Hz made twice as long, give or take the library's variation of a few samples.
    EXPECT_NEAR(double(sound->Frames()), double(direct->Frames() * 2), direct->Frames() / 50.0);
    EXPECT_EQ(worker.Take(2), nullptr) << "taken once";
}

TEST(SpeechWorker, WithoutTheLibrarysDataEachRequestEndsWithNoSound)
{
    testenv::TempDir empty;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<uint32_t> done;
    SpeechWorker worker(
        44100,
        [&](uint32_t ticket) {
            std::lock_guard lock(mutex);
            done.push_back(ticket);
            changed.notify_all();
        },
        empty.Path());
    for (uint32_t ticket : { 7u, 8u }) {
        worker.Request(ticket, "Sam Orwell", "en-us");
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(30),
            [&] { return std::find(done.begin(), done.end(), ticket) != done.end(); }));
        lock.unlock();
        EXPECT_EQ(worker.Take(ticket), nullptr);
    }
}

TEST(AudioOutput, ASoundOverTheVoiceDucksItToAQuarterAndTheVoiceComesBackAfter)
{
    testenv::ScopedVirtualClock clock;
    NullAudioOutput output;
    output.Start(Constant(1000, 4000), true, "ring");
    EXPECT_EQ(Left(output, 10), std::vector<int16_t>(10, 4000));

    output.StartOver(Constant(300, 1000), "speech");
    EXPECT_TRUE(output.IsPlayingOver());
    // 4000 at a quarter plus the speech, for exactly the speech's 300 frames.
    std::vector<int16_t> during = Left(output, 300);
    EXPECT_EQ(during, std::vector<int16_t>(300, 1000 + 1000));
    EXPECT_FALSE(output.IsPlayingOver());
    EXPECT_EQ(Left(output, 10), std::vector<int16_t>(10, 4000));

    // Loud parts do not wrap round.
    output.Start(Constant(1000, 32000), true, "ring");
    output.StartOver(Constant(100, 30000), "speech");
    EXPECT_EQ(Left(output, 100), std::vector<int16_t>(100, 32767));

    // A stop ends both.
    output.StartOver(Constant(100, 1000), "speech");
    output.Stop();
    EXPECT_FALSE(output.IsPlayingOver());
    EXPECT_EQ(Left(output, 10), std::vector<int16_t>(10, 0));
}

TEST(AudioOutput, TheNullOutputWritesEachSoundStartedAsAWaveFileWhenAsked)
{
    testenv::ScopedVirtualClock clock;
    testenv::TempDir dir;
    NullAudioOutput output;
    output.Start(Constant(10, 1), false, "before");
    output.CaptureTo(dir / "capture");
    output.Start(Constant(441, 1234), true, "\\FileBox\\ring tone/ring_1.wav");
    output.StartOver(Constant(100, -5), "speech");

    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir / "capture"))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    ASSERT_EQ(names, (std::vector<std::string> { "000-ring_1.wav", "001-speech.wav" }));

    std::string bytes = testenv::ReadFile(dir / "capture" / "000-ring_1.wav");
    WaveData wave;
    ASSERT_TRUE(WaveReader::Parse(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), wave));
    EXPECT_EQ(wave.rate, 44100u);
    EXPECT_EQ(wave.channels, 2);
    EXPECT_EQ(wave.Frames(), 441u);
    EXPECT_EQ(wave.samples.front(), 1234);
    EXPECT_EQ(output.Events().back().kind, NullAudioOutput::Event::Kind::Over);
    EXPECT_EQ(output.Events().back().source, "speech");
}

TEST(AudioOutput, CaptureStopsAtSixtyFourFiles)
{
    testenv::ScopedVirtualClock clock;
    testenv::TempDir dir;
    NullAudioOutput output;
    output.CaptureTo(dir.Path());
    for (int i = 0; i < 65; ++i)
        output.Start(Constant(1, 1), false, "click");
    auto files = std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator());
    EXPECT_EQ(files, 64);
    EXPECT_TRUE(std::filesystem::exists(dir / "063-click.wav"));
}
