#include "platform/devices/WaveReader.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

bool Load(const std::filesystem::path& path, WaveData& wave)
{
    std::string bytes = testenv::ReadFile(path);
    return WaveReader::Parse({ reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size() }, wave);
}

int Peak(const WaveData& wave)
{
    int peak = 0;
    for (int16_t s : wave.samples)
        peak = std::max(peak, std::abs(int(s)));
    return peak;
}

// An eight-bit zero is 0x80, which widens to exactly 0; anything near zero will do for the edges.
constexpr int kSilence = 256;

}

TEST(SoundAssets, RingTonesAreAudibleDistinctAndLoopWithoutAClick)
{
    std::vector<WaveData> tones(3);
    for (int i = 0; i < 3; ++i) {
        std::filesystem::path path = testenv::AppDir() / "ringtone" / ("ring_" + std::to_string(i + 1) + ".wav");
        WaveData& wave = tones[size_t(i)];
        ASSERT_TRUE(Load(path, wave)) << path;
        EXPECT_GE(wave.Frames(), wave.rate) << "at least a second: " << path;
        EXPECT_GT(Peak(wave), 8000) << path;
        // The loop joins the last sample to the first.
        EXPECT_LE(std::abs(wave.samples.front()), kSilence) << path;
        EXPECT_LE(std::abs(wave.samples.back()), kSilence) << path;
        EXPECT_LE(std::abs(wave.samples.back() - wave.samples.front()), kSilence) << path;
    }
    for (size_t a = 0; a < tones.size(); ++a)
        for (size_t b = a + 1; b < tones.size(); ++b)
            EXPECT_NE(tones[a].samples, tones[b].samples) << a + 1 << " and " << b + 1;
}

TEST(SoundAssets, InterfaceSoundsAreShortAudibleWaves)
{
    for (const char* name : { "btnClick.snd", "touch.snd", "startup.snd", "vol.snd", "warn.snd" }) {
        std::filesystem::path path = testenv::AppDir() / "FileBox/QuorvaApps/Common/Sound" / name;
        WaveData wave;
        ASSERT_TRUE(Load(path, wave)) << path;
        EXPECT_GT(Peak(wave), 4000) << name;
        EXPECT_LE(wave.Frames(), size_t(wave.rate) * 2) << name;
    }
}
