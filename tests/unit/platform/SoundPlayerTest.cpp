#include "platform/core/Text.h"
#include "platform/devices/NullAudioOutput.h"
#include "platform/devices/SoundApi.h"
#include "platform/tooling/Trace.h"
#include "support/AudioFixture.h"
#include "support/WaveBuilder.h"

#include <gtest/gtest.h>

using testenv::WaveBuilder;

namespace {

constexpr uint32_t kRate = NullAudioOutput::kRate;

class SoundPlayerTest : public AudioFixture {
protected:
    SoundPlayerTest() { waveOutSetVolume(nullptr, 0xFFFFFFFF); }

    // A mono sound at the output rate, so rendered samples compare one to one.
    WString MakeSound(const std::string& name, std::vector<int16_t> samples)
    {
        std::filesystem::path path = m_dir / name;
        EXPECT_TRUE(WaveBuilder::Write(path, WaveBuilder::Pcm16(1, kRate, samples)));
        return FromUtf8(path.string());
    }

    // Left channel of what the device would pull next.
    std::vector<int16_t> Pull(size_t frames, bool right = false)
    {
        std::vector<int16_t> stereo(frames * 2);
        m_audio.NullOutput()->Render(stereo.data(), frames);
        std::vector<int16_t> side;
        for (size_t i = right ? 1 : 0; i < stereo.size(); i += 2)
            side.push_back(stereo[i]);
        return side;
    }
};

constexpr DWORD kAsync = SND_FILENAME | SND_ASYNC;
constexpr DWORD kLoop = SND_FILENAME | SND_ASYNC | SND_LOOP;

}

TEST_F(SoundPlayerTest, BadRequestsFailAndLeaveThePlayingSoundAlone)
{
    WString good = MakeSound("good.wav", std::vector<int16_t>(100, 500));
    ASSERT_TRUE(PlaySoundW(good.c_str(), nullptr, kLoop));
    EXPECT_FALSE(PlaySoundW(FromUtf8((m_dir / "missing.wav").string()).c_str(), nullptr, kAsync));
    EXPECT_FALSE(PlaySoundW(FromUtf8(m_dir.Path().string()).c_str(), nullptr, kAsync)) << "a folder";
    // A loop that would never return, and sounds that are not files, are refused.
    EXPECT_FALSE(PlaySoundW(good.c_str(), nullptr, SND_FILENAME | SND_LOOP));
    EXPECT_FALSE(PlaySoundW(good.c_str(), nullptr, SND_ASYNC));

    EXPECT_EQ(Pull(1), (std::vector<int16_t> { 500 }));
    ASSERT_EQ(m_audio.NullOutput()->Events().size(), 1u);
}

// A sound's length on the clock, 1 ms before its end and at it: CallerSpeechSimTest, with the
// ring tone.
TEST_F(SoundPlayerTest, ASynchronousSoundReturnsAfterItsLengthAndTheNullOutputKeepsABoundedRecord)
{
    WString tenth = MakeSound("tenth.wav", std::vector<int16_t>(kRate / 10, 1));
    DWORD before = GetTickCount();
    ASSERT_TRUE(PlaySoundW(tenth.c_str(), nullptr, SND_FILENAME | SND_SYNC));
    EXPECT_EQ(GetTickCount() - before, 100u);

    // A program without sound left running plays sounds for ever: the record of them stays bounded.
    for (int i = 0; i < 200; ++i)
        ASSERT_TRUE(PlaySoundW(tenth.c_str(), nullptr, i == 199 ? kLoop : kAsync));
    const auto& events = m_audio.NullOutput()->Events();
    EXPECT_EQ(events.size(), 64u);
    EXPECT_TRUE(events.back().loop);
}

TEST(AudioSystem, FallsBackToTheNullOutputWhenNoDeviceOpens)
{
    testenv::TempDir dir;
    Trace::Open((dir / "trace").string());
    {
        testenv::ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
        AudioSystem audio(AudioSystem::OutputChoice::Sdl);
        EXPECT_NE(audio.NullOutput(), nullptr);
        DWORD volume = 0;
        ASSERT_EQ(audio.GetVolume(&volume), MMSYSERR_NOERROR);
        EXPECT_EQ(volume, 0xCCCCCCCCu) << "the driver starts at four fifths on both sides";
    }
    Trace::Close();
    std::string trace = testenv::ReadFile(dir / "trace");
    EXPECT_NE(trace.find("sound no audio device"), std::string::npos) << trace;
    EXPECT_NE(trace.find("sound output null"), std::string::npos) << trace;
}

// Sounds are kept converted between plays, but never outlive a change of their file.
TEST_F(SoundPlayerTest, PlaysOnceOrLoopsReplacesAndNeverFromAnOutdatedCopy)
{
    WString tone = MakeSound("tone.wav", { 1000, 2000, 3000 });
    ASSERT_TRUE(PlaySoundW(tone.c_str(), nullptr, kAsync));
    EXPECT_EQ(Pull(5), (std::vector<int16_t> { 1000, 2000, 3000, 0, 0 }));
    ASSERT_TRUE(PlaySoundW(tone.c_str(), nullptr, kLoop));
    EXPECT_EQ(Pull(7), (std::vector<int16_t> { 1000, 2000, 3000, 1000, 2000, 3000, 1000 }));
    m_audio.Player().SetMuted(true); // silent, but the sound goes on underneath
    EXPECT_EQ(Pull(2), (std::vector<int16_t> { 0, 0 }));
    m_audio.Player().SetMuted(false);
    EXPECT_EQ(Pull(1), (std::vector<int16_t> { 1000 }));
    // The volume word scales each side: full on the left, half on the right.
    ASSERT_EQ(waveOutSetVolume(nullptr, 0x8000FFFF), MMSYSERR_NOERROR);
    DWORD volume = 0;
    EXPECT_NE(waveOutGetVolume(reinterpret_cast<HWAVEOUT>(1), &volume), MMSYSERR_NOERROR) << "only device 0";
    EXPECT_EQ(Pull(1, false), (std::vector<int16_t> { 2000 }));
    EXPECT_EQ(Pull(1, true), (std::vector<int16_t> { 1500 }));
    waveOutSetVolume(nullptr, 0);
    EXPECT_EQ(Pull(1), (std::vector<int16_t> { 0 }));
    waveOutSetVolume(nullptr, 0xFFFFFFFF);
    MakeSound("tone.wav", { -5, -6 });
    ASSERT_TRUE(PlaySoundW(tone.c_str(), nullptr, kAsync));
    EXPECT_EQ(Pull(3), (std::vector<int16_t> { -5, -6, 0 }));
    std::filesystem::remove(m_dir / "tone.wav");
    EXPECT_FALSE(PlaySoundW(tone.c_str(), nullptr, kAsync));

    WString other = MakeSound("other.wav", std::vector<int16_t>(100, 222));
    ASSERT_TRUE(PlaySoundW(other.c_str(), nullptr, kLoop));
    ASSERT_TRUE(PlaySoundW(MakeSound("tone.wav", { 7, 8 }).c_str(), nullptr, kAsync));
    EXPECT_EQ(Pull(3), (std::vector<int16_t> { 7, 8, 0 }));
    ASSERT_TRUE(PlaySoundW(other.c_str(), nullptr, kLoop));
    EXPECT_TRUE(PlaySoundW(nullptr, nullptr, 0));
    EXPECT_FALSE(m_audio.Player().IsPlaying());
    EXPECT_EQ(Pull(2), (std::vector<int16_t> { 0, 0 }));
}

// A sound is refused before it is converted when the output's copy would pass 8 MiB: at the
// output rate a mono sound of F frames becomes F + 1 stereo frames of 4 bytes.
TEST_F(SoundPlayerTest, AFileOrAConvertedCopyPassingEightMebibytesIsRefused)
{
    WString longest = MakeSound("longest.wav", std::vector<int16_t>(2'097'151, 700));
    WString over = MakeSound("over.wav", std::vector<int16_t>(2'097'152, 700));
    EXPECT_FALSE(PlaySoundW(over.c_str(), nullptr, kAsync));
    ASSERT_TRUE(PlaySoundW(longest.c_str(), nullptr, kAsync));
    EXPECT_EQ(Pull(2), (std::vector<int16_t> { 700, 700 }));

    // A short sound padded by a chunk of its own to a file of 8 MiB plays; a byte more is refused.
    WaveBuilder::Bytes file = WaveBuilder::Riff({ WaveBuilder::Chunk("fmt ", WaveBuilder::Fmt(1, kRate, 16)),
        WaveBuilder::Chunk("junk", WaveBuilder::Bytes(8'388'608 - 56, 0)),
        WaveBuilder::Chunk("data", WaveBuilder::Samples16({ 900, 900 })) });
    ASSERT_EQ(file.size(), 8'388'608u);
    const WString padded = FromUtf8((m_dir / "padded.wav").string());
    file.push_back(0);
    ASSERT_TRUE(WaveBuilder::Write(m_dir / "padded.wav", file));
    EXPECT_FALSE(PlaySoundW(padded.c_str(), nullptr, kAsync));
    file.pop_back();
    ASSERT_TRUE(WaveBuilder::Write(m_dir / "padded.wav", file));
    EXPECT_TRUE(PlaySoundW(padded.c_str(), nullptr, kAsync));
    EXPECT_EQ(Pull(2), (std::vector<int16_t> { 900, 900 }));
}
