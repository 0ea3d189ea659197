#include "ui/RingTonePlayer.h"
#include "support/AudioFixture.h"
#include "ui/UiSound.h"

namespace {

using Kind = NullAudioOutput::Event::Kind;

class RingTonePlayerTest : public AudioFixture {
protected:
    // Starts (or stops) the tone and tells how long the interface thread was held up.
    DWORD Timed(const std::function<void()>& action)
    {
        DWORD before = GetTickCount();
        action();
        return GetTickCount() - before;
    }

    RingTonePlayer m_player;
};

}

TEST_F(RingTonePlayerTest, PreferenceSelectsTheToneWhichLoopsUntilStopped)
{
    const std::pair<DWORD, const char*> cases[] = { { 0, "/ringtone/ring_1.wav" },
        { 2, "/ringtone/ring_2.wav" }, { 3, "/ringtone/ring_3.wav" }, { 4, "/ringtone/ring_1.wav" } };
    for (const auto& [preference, file] : cases) {
        RingTonePlayer player;
        player.Start(preference);
        ASSERT_TRUE(player.IsPlaying() && !Events().empty()) << preference;
        EXPECT_TRUE(Events().back().kind == Kind::Play && Events().back().loop);
        EXPECT_TRUE(Events().back().source.ends_with(file)) << preference << ": " << Events().back().source;
        player.Stop();
        EXPECT_FALSE(player.IsPlaying());
    }
    size_t events = Events().size();
    m_player.Start(2);
    m_player.Start(3);
    ASSERT_EQ(Events().size(), events + 1);
}

// A missing tone file fails like a refused request.
TEST_F(RingTonePlayerTest, StartAndStopTryThreeTimesHalfASecondApart)
{
    struct Case {
        int failures;
        bool missingFile;
        DWORD waitedMs;
        bool playing;
    } cases[] = { { 2, false, 1000, true }, { 3, false, 1500, false }, { 0, true, 1500, false } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failures);
        testenv::TempDir empty;
        if (c.missingFile)
            OverrideModuleFolder(empty.Path());
        m_audio.FailNextPlayRequests(c.failures);
        RingTonePlayer player;
        size_t events = Events().size();
        EXPECT_EQ(Timed([&] { player.Start(1); }), c.waitedMs);
        EXPECT_EQ(player.IsPlaying(), c.playing);
        EXPECT_EQ(Events().size() - events, c.playing ? 1u : 0u);
        if (!c.playing && !c.missingFile) {
            // Nothing is left over: the next ring starts at once.
            EXPECT_EQ(Timed([&] { player.Start(1); }), 0u);
            EXPECT_TRUE(player.IsPlaying());
        }
        player.Stop();
        OverrideModuleFolder(testenv::AppDir());
    }

    m_player.Start(1);
    m_audio.FailNextPlayRequests(3);
    EXPECT_EQ(Timed([&] { m_player.Stop(); }), 1500u);
    EXPECT_TRUE(m_player.IsPlaying());
    EXPECT_TRUE(OutputPlaying());
    m_audio.FailNextPlayRequests(1);
    EXPECT_EQ(Timed([&] { m_player.Stop(); }), 500u);
    EXPECT_FALSE(m_player.IsPlaying());
    EXPECT_FALSE(OutputPlaying());
}

TEST_F(RingTonePlayerTest, StopCutsTheToneOrTheSoundThatReplacedItButNothingElse)
{
    PlayUiSound(kUiSoundClick);
    m_player.Stop();
    EXPECT_TRUE(OutputPlaying()) << "not ringing: the click is left alone";
    ASSERT_EQ(Events().size(), 1u);

    m_player.Start(1);
    PlayUiSound(kUiSoundClick);
    ASSERT_TRUE(OutputPlaying());
    m_player.Stop();
    EXPECT_FALSE(OutputPlaying());
    ASSERT_EQ(Events().size(), 4u);
    EXPECT_EQ(Events()[3].kind, Kind::Stop);
}
