// A ring tone played through the real SDL audio path, with SDL's disk driver standing in for the
// sound card: what the device would have heard is read back from the file it writes.

#include "platform/devices/AudioSystem.h"
#include "platform/devices/Paths.h"
#include "platform/devices/SoundApi.h"
#include "support/TestEnv.h"
#include "support/WaveBuilder.h"
#include "ui/RingTonePlayer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

using namespace std::chrono_literals;
using testenv::WaveBuilder;

constexpr uint32_t kToneRate = 44100;
// A tenth of a second: a 20 ms burst of tone, then silence; many loops fit in a short test.
constexpr size_t kPeriodFrames = kToneRate / 10;
constexpr int kAmplitude = 12000;
// Stereo 16-bit output.
constexpr size_t kBytesPerFrame = 4;

uintmax_t SizeOf(const std::filesystem::path& path)
{
    std::error_code ec;
    uintmax_t size = std::filesystem::file_size(path, ec);
    return ec ? 0 : size;
}

// Waits, in real time and never past 20 s, until the file has grown to at least size.
bool WaitForSize(const std::filesystem::path& path, uintmax_t size)
{
    return testenv::Eventually([&] { return SizeOf(path) >= size; }, 20s);
}

// Installs the sound services on the test's folder, and leaves the defaults behind.
struct Installed {
    Installed(AudioSystem& audio, const std::filesystem::path& folder)
    {
        AudioSystem::Install(&audio);
        OverrideModuleFolder(folder);
    }
    ~Installed()
    {
        OverrideModuleFolder({});
        AudioSystem::Install(nullptr);
    }
};

}

TEST(RingToneDiskAudio, RingToneIsHeardLoopsAndStopsWhenTold)
{
    testenv::TempDir dir;
    const std::filesystem::path output = dir / "out.raw";
    testenv::ScopedEnv driver("SDL_AUDIODRIVER", "disk"), file("SDL_DISKAUDIOFILE", output.c_str());
    AudioSystem audio(AudioSystem::OutputChoice::Sdl);
    if (audio.NullOutput())
        GTEST_SKIP() << "SDL's disk audio driver is not available";
    std::vector<int16_t> stereo;
    for (size_t i = 0; i < kPeriodFrames; ++i)
        stereo.insert(stereo.end(), 2,
            int16_t(
                i < kToneRate / 50 ? kAmplitude * std::sin(2 * M_PI * 1000.0 * double(i) / kToneRate) : 0));
    std::filesystem::create_directories(dir / "ringtone");
    ASSERT_TRUE(
        WaveBuilder::Write(dir / "ringtone" / "ring_1.wav", WaveBuilder::Pcm16(2, kToneRate, stereo)));
    const Installed installed(audio, dir.Path());
    waveOutSetVolume(nullptr, 0xFFFFFFFF);

    RingTonePlayer player;
    uintmax_t started = SizeOf(output);
    player.Start(1);
    ASSERT_TRUE(player.IsPlaying());

    // Half a second of output: about five loops of the tone.
    uint32_t rate = audio.Player().Output().Rate();
    ASSERT_TRUE(WaitForSize(output, started + rate / 2 * kBytesPerFrame)) << "the device wrote nothing";
    player.Stop();
    ASSERT_FALSE(player.IsPlaying());
    uintmax_t stopped = SizeOf(output);
    // Buffers filled before the stop may still be written; a few more after them must be silent.
    constexpr uintmax_t kSettle = 4 * 1024 * kBytesPerFrame;
    ASSERT_TRUE(WaitForSize(output, stopped + 3 * kSettle));
    std::string raw = testenv::ReadFile(output);
    // The left channel's samples from a byte offset of the raw output up to another.
    auto left = [&](size_t from, size_t to) {
        std::vector<int16_t> samples;
        for (size_t at = from - from % kBytesPerFrame; at + kBytesPerFrame <= std::min(to, raw.size());
             at += kBytesPerFrame)
            std::memcpy(&samples.emplace_back(), raw.data() + at, sizeof(int16_t));
        return samples;
    };

    // Bursts of sound that begin after at least 5 ms of silence, at full volume, one a period.
    std::vector<int16_t> ringing = left(size_t(started), size_t(stopped));
    int peak = 0;
    std::vector<size_t> bursts;
    for (size_t i = 0, quiet = rate; i < ringing.size(); ++i) {
        peak = std::max(peak, std::abs(int(ringing[i])));
        if (std::abs(ringing[i]) <= kAmplitude / 4)
            ++quiet;
        else if (std::exchange(quiet, 0) >= rate / 200)
            bursts.push_back(i);
    }
    EXPECT_GT(peak, kAmplitude * 9 / 10) << "the tone is heard at full volume";
    ASSERT_GE(bursts.size(), 3u) << "the tone repeats";
    for (size_t i = 1; i < bursts.size(); ++i)
        EXPECT_NEAR(double(bursts[i] - bursts[i - 1]), double(kPeriodFrames * rate / kToneRate), 2.0) << i;

    std::vector<int16_t> after = left(size_t(stopped + kSettle), raw.size());
    ASSERT_FALSE(after.empty());
    EXPECT_TRUE(std::all_of(after.begin(), after.end(), [](int16_t s) { return s == 0; }))
        << "silent after the stop";
}
