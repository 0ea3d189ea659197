#include "platform/devices/HelperProgram.h"
#include "platform/devices/NullAudioOutput.h"
#include "platform/devices/SpeechSynth.h"
#include "platform/devices/SpeechWorker.h"
#include "platform/devices/WaveReader.h"
#include "support/TestEnv.h"
#include "support/WaveBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <csignal>
#include <fstream>
#include <iterator>

namespace {

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

// The application's own helper, as built.
SpeechSynth Synth(std::filesystem::path dataFolder = {})
{
    return SpeechSynth(testenv::AppDir() / "ostrilan-say", std::move(dataFolder));
}

// A stand-in helper, a shell script, for the ways one can fail.
std::filesystem::path Script(const testenv::TempDir& dir, const std::string& name, const std::string& body)
{
    const std::filesystem::path path = dir / name;
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
}

}

// The voice reaches the helper: German says the name in its own way, about 12 % longer.
TEST(SpeechSynth, TheHelperSaysTheTextInTheVoiceAndNamesWhatIsMissing)
{
    std::string error;
    std::optional<WaveData> english = Synth().Say("Sam Orwell", "en-us", error);
    ASSERT_TRUE(english) << error;
    std::optional<WaveData> german = Synth().Say("Sam Orwell", "de", error);
    ASSERT_TRUE(german) << error;
    EXPECT_GT(german->Frames(), english->Frames() + english->Frames() / 20);

    // The reason names the helper and what it said.
    testenv::TempDir empty;
    EXPECT_FALSE(Synth(empty.Path()).Say("Sam Orwell", "en-us", error));
    EXPECT_EQ(error.rfind("ostrilan-say: espeak-ng cannot start", 0), 0u) << error;
}

TEST(SpeechSynth, AHelperThatWritesNoSpeechOrTooMuchGivesNothing)
{
    testenv::TempDir dir;
    const std::vector<int16_t> samples { 100, -100, 200 };
    ASSERT_TRUE(
        testenv::WaveBuilder::Write(dir / "good.wav", testenv::WaveBuilder::Pcm16(1, 16000, samples)));
    std::string error;
    std::optional<WaveData> good
        = SpeechSynth(Script(dir, "good", "cat " + (dir / "good.wav").string())).Say("x", "en", error);
    ASSERT_TRUE(good) << error;
    EXPECT_EQ(good->rate, 16000u);
    EXPECT_EQ(good->samples, samples);

    const std::filesystem::path plain = dir / "plain";
    std::ofstream(plain) << "#!/bin/sh\n";
    EXPECT_FALSE(SpeechSynth(plain).Say("x", "en", error));
    EXPECT_EQ(error, "plain: could not be started: " + plain.string() + ": Permission denied");
    // 2 MiB is the most: a helper writing more is ended, and what it wrote dropped.
    const std::string cat = "cat " + (dir / "good.wav").string();
    EXPECT_TRUE(SpeechSynth(Script(dir, "full", cat + "; head -c 2097102 /dev/zero")).Say("x", "en", error)) << error;
    const std::pair<std::string, std::string> failing[] = { { "echo junk", "junk: wrote no speech that can be played" },
        { "echo 'no voice here' >&2; echo second line >&2; exit 1", "fails: no voice here" },
        { "exit 3", "quiet: ended with code 3" }, { "kill -9 $$", "killed: ended by a signal" },
        { cat + "; head -c 2097103 /dev/zero", "flood: wrote more than it may" } };
    for (const auto& [body, reason] : failing) {
        const std::string name = reason.substr(0, reason.find(':'));
        EXPECT_FALSE(SpeechSynth(Script(dir, name, body)).Say("x", "en", error)) << name;
        EXPECT_EQ(error, reason);
    }
}

TEST(HelperProgram, TheInputIsWholeUpTo4096BytesAndTheArgumentsArrive)
{
    testenv::TempDir dir;
    const std::filesystem::path count = Script(dir, "count", "echo \"$1 $2 $(wc -c)\"");
    auto counted = [&](size_t bytes) {
        HelperResult result = HelperProgram::Run(
            count, { "de", "two words" }, std::string(bytes, 'a'), 100, std::chrono::seconds(20));
        EXPECT_TRUE(result.Succeeded()) << result.Reason();
        return std::string(result.output.begin(), result.output.end());
    };
    EXPECT_EQ(counted(4096), "de two words 4096\n");
    EXPECT_EQ(counted(4097), "de two words 4096\n");
    EXPECT_EQ(counted(0), "de two words 0\n");
}

// The application blocks the signals it reads from a file descriptor and ignores SIGPIPE; its
// helper starts with neither.
TEST(HelperProgram, StartsWithNoSignalBlockedOrIgnored)
{
    testenv::TempDir dir;
    sigset_t blocked, before;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGTERM);
    ASSERT_EQ(pthread_sigmask(SIG_BLOCK, &blocked, &before), 0);
    void (*pipeBefore)(int) = std::signal(SIGPIPE, SIG_IGN);
    HelperResult result
        = HelperProgram::Run(Script(dir, "status", "exec grep -E '^Sig(Blk|Ign)' /proc/self/status"), {}, {},
            1000, std::chrono::seconds(20));
    std::signal(SIGPIPE, pipeBefore);
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    ASSERT_TRUE(result.Succeeded()) << result.Reason();
    const std::string status(result.output.begin(), result.output.end());
    EXPECT_EQ(status.substr(0, 25), "SigBlk:\t0000000000000000\n");
    const size_t ignored = status.find("SigIgn:\t");
    ASSERT_NE(ignored, std::string::npos) << status;
    // SIGPIPE is signal 13, the mask's bit 12.
    EXPECT_EQ(std::stoull(status.substr(ignored + 8, 16), nullptr, 16) & 0x1000, 0u) << status;
}

// The limit holds from its start, whether the helper keeps its output open or closes it and
// lingers; one that ends within it is heard out.
TEST(HelperProgram, AHelperStillRunningAtTheLimitIsEndedAndReaped)
{
    testenv::TempDir dir;
    const std::chrono::milliseconds limit(1500);
    auto run = [&](const std::string& body) {
        const auto start = std::chrono::steady_clock::now();
        HelperResult result = HelperProgram::Run(Script(dir, "helper", body), {}, {}, 100, limit);
        return std::pair(result, std::chrono::steady_clock::now() - start);
    };
    for (const char* body : { "echo partial; exec sleep 30", "exec >&- 2>&-; exec sleep 30" }) {
        auto [result, took] = run(body);
        EXPECT_EQ(result.end, HelperResult::End::TimedOut) << body;
        EXPECT_TRUE(result.output.empty()) << body;
        EXPECT_GE(took, limit) << body;
        EXPECT_LT(took, limit + std::chrono::seconds(5)) << body;
    }
    auto [inTime, inTimeTook] = run("sleep 0.3; echo done");
    EXPECT_TRUE(inTime.Succeeded()) << inTime.Reason();
    EXPECT_EQ(std::string(inTime.output.begin(), inTime.output.end()), "done\n");
    EXPECT_LT(inTimeTook, limit);
}

namespace {

// The tickets a worker has said are done, as its window would get them.
class DoneTickets {
public:
    SpeechWorker::Done Callback()
    {
        return [this](uint32_t ticket) {
            std::lock_guard lock(m_mutex);
            m_done.push_back(ticket);
        };
    }
    bool Wait(uint32_t ticket)
    {
        return testenv::Eventually([&] { return Told(ticket) > 0; }, std::chrono::seconds(30));
    }
    size_t Told(uint32_t ticket)
    {
        std::lock_guard lock(m_mutex);
        return size_t(std::count(m_done.begin(), m_done.end(), ticket));
    }

private:
    std::mutex m_mutex;
    std::vector<uint32_t> m_done;
};

}

TEST(SpeechWorker, HandsOnTheLatestRequestAtTheOutputRateAndDropsOnesReplaced)
{
    DoneTickets done;
    SpeechWorker worker(44100, done.Callback(), Synth());
    // The second replaces the first unless the first had already begun; either way only the
    // latest is kept.
    worker.Request(1, "Sam Orwell", "en-us");
    worker.Request(2, "Ann Lee", "en-us");
    ASSERT_TRUE(done.Wait(2));
    EXPECT_EQ(worker.Take(1), nullptr);
    std::shared_ptr<const PcmSound> sound = worker.Take(2);
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(sound->rate, 44100u);
    EXPECT_EQ(worker.Take(2), nullptr) << "taken once";

    // A sound made but not taken is released when the ring ends, and a speech under way then is
    // neither kept nor told.
    worker.Request(3, "Ann Lee", "en-us");
    ASSERT_TRUE(done.Wait(3));
    worker.Cancel();
    EXPECT_EQ(worker.Take(3), nullptr);
    worker.Request(4, "Ann Lee", "en-us");
    worker.Cancel();
    worker.Request(5, "Sam", "en-us");
    ASSERT_TRUE(done.Wait(5));
    EXPECT_EQ(done.Told(4), 0u);
    EXPECT_NE(worker.Take(5), nullptr);
}

TEST(SpeechWorker, WithoutTheLibrarysDataEachRequestEndsWithNoSound)
{
    testenv::TempDir empty;
    DoneTickets done;
    SpeechWorker worker(44100, done.Callback(), Synth(empty.Path()));
    for (uint32_t ticket : { 7u, 8u }) {
        worker.Request(ticket, "Sam Orwell", "en-us");
        ASSERT_TRUE(done.Wait(ticket));
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
    EXPECT_EQ(Left(output, 300), std::vector<int16_t>(300, 1000 + 1000));
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

TEST(AudioOutput, TheNullOutputWritesEachSoundStartedAsAWaveFileWhenAskedUpToSixtyFour)
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

    // 63 more sounds: the 64th file is written, the 65th not.
    for (int i = 0; i < 63; ++i)
        output.Start(Constant(1, 1), false, "click");
    auto files = std::distance(
        std::filesystem::directory_iterator(dir / "capture"), std::filesystem::directory_iterator());
    EXPECT_EQ(files, 64);
    EXPECT_TRUE(std::filesystem::exists(dir / "capture" / "063-click.wav"));
}
