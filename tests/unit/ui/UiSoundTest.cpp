#include "ui/UiSound.h"
#include "platform/devices/WaveReader.h"
#include "support/AudioFixture.h"
#include "support/WaveBuilder.h"

#include <cstdlib>

namespace {

WaveData Load(const std::filesystem::path& path)
{
    std::string bytes = testenv::ReadFile(path);
    WaveData wave;
    EXPECT_TRUE(WaveReader::Parse({ reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size() }, wave))
        << path;
    return wave;
}

}

// Paths are found whatever their case; other kinds, and sounds missing from the folder, play nothing.
TEST_F(AudioFixture, EachInterfaceSoundKindPlaysItsBuiltFileAShortAudibleWave)
{
    const std::pair<int, const char*> cases[] = {
        { 0, "\\FileBox\\QuorvaApps\\Common\\Sound\\btnClick.snd" },
        { 1, "\\FileBox\\QuorvaApps\\Common\\Sound\\touch.snd" },
        { 2, "\\FileBox\\QuorvaApps\\common\\sound\\startup.snd" },
        { 3, "\\FileBox\\QuorvaApps\\Common\\Sound\\vol.snd" },
        { 9, "\\FileBox\\QuorvaApps\\Common\\Sound\\warn.snd" },
    };
    for (const auto& [kind, path] : cases) {
        size_t before = Events().size();
        PlayUiSound(kind);
        // Only sounds that were found and read are recorded.
        ASSERT_EQ(Events().size(), before + 1) << kind;
        EXPECT_EQ(Events().back().source, path);
        EXPECT_FALSE(Events().back().loop);
        std::string name = std::string(path).substr(std::string(path).rfind('\\') + 1);
        WaveData wave = Load(testenv::AppDir() / "FileBox/QuorvaApps/Common/Sound" / name);
        EXPECT_GT(testenv::Loudest(wave.samples), 4000) << name;
        EXPECT_LE(wave.Frames(), size_t(wave.rate) * 2) << name;
    }
    TakeTrace();
    for (int kind : { 4, 5, 8, 10, -1 })
        PlayUiSound(kind);
    for (const std::string& line : TakeTrace())
        EXPECT_EQ(line.find("sound play"), std::string::npos) << line;
    testenv::TempDir empty;
    OverrideModuleFolder(empty.Path());
    PlayUiSound(kUiSoundClick);
    EXPECT_EQ(Events().size(), 5u);
}

TEST(SoundAssets, RingTonesAreAudibleDistinctAndLoopWithoutAClick)
{
    std::vector<WaveData> tones;
    for (const char* name : { "ring_1.wav", "ring_2.wav", "ring_3.wav" }) {
        const WaveData& wave = tones.emplace_back(Load(testenv::AppDir() / "ringtone" / name));
        ASSERT_GE(wave.Frames(), wave.rate) << "at least a second: " << name;
        EXPECT_GT(testenv::Loudest(wave.samples), 8000) << name;
        // The loop joins last to first: both near zero (an eight-bit zero, 0x80, widens to 0).
        EXPECT_LE(std::abs(wave.samples.front()) + std::abs(wave.samples.back()), 256) << name;
    }
    EXPECT_TRUE(tones[0].samples != tones[1].samples && tones[1].samples != tones[2].samples
        && tones[0].samples != tones[2].samples);
}
