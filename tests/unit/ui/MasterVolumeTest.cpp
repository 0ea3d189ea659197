#include "ui/MasterVolume.h"
#include "platform/devices/SoundApi.h"
#include "support/AudioFixture.h"

using MasterVolumeTest = AudioFixture;

TEST_F(MasterVolumeTest, EachLevelWritesItsWordBracketedForTheDriverAndReadsBackAsThatLevel)
{
    TakeTrace();
    SetVolumeLevel(3);
    std::vector<std::string> expected
        = { "audio 8091 8 -> 1", "audio 8091 9 1", "sound volume 0xCCCCCCCC", "audio 8091 9 0" };
    EXPECT_EQ(TakeTrace(), expected);
    const DWORD words[] = { 0x00000000, 0x55555555, 0x99999999, 0xCCCCCCCC, 0xEEEEEEEE, 0xFFFFFFFF };
    for (int level : { 3, 0, 5, 1, 4, 2 }) {
        SetVolumeLevel(level);
        DWORD word = 0x12345678;
        EXPECT_EQ(waveOutGetVolume(nullptr, &word), MMSYSERR_NOERROR);
        EXPECT_EQ(word, words[level]) << level;
        EXPECT_EQ(GetVolumeLevel(), level);
    }

    // The left channel alone is read, by thresholds; the right is set to something else.
    const std::pair<WORD, int> reads[]
        = { { 0x0000, 0 }, { 0x2AAA, 0 }, { 0x2AAB, 1 }, { 0x7777, 1 }, { 0x7778, 2 }, { 0xB332, 2 },
              { 0xB333, 3 }, { 0xDDDD, 3 }, { 0xDDDE, 4 }, { 0xF776, 4 }, { 0xF777, 5 }, { 0xFFFF, 5 } };
    for (const auto& [left, level] : reads) {
        waveOutSetVolume(nullptr, DWORD(left) | (DWORD(0xFFFF - left) << 16));
        EXPECT_EQ(GetVolumeLevel(), level) << std::hex << left;
    }
}

// An unreadable volume is level -1; setting a level unmutes first, even one out of range.
TEST_F(MasterVolumeTest, StepsSetsAndUnmutesAtTheEdges)
{
    struct Case {
        const char* what;
        int start;
        bool unreadable, muted;
        std::function<void()> action;
        DWORD word;
        bool writes;
    } cases[] = {
        { "up", 2, false, false, VolumeUp, 0xCCCCCCCC, true },
        { "up at the top", 5, false, false, VolumeUp, 0xFFFFFFFF, false },
        { "down at the bottom", 0, false, false, VolumeDown, 0x00000000, false },
        { "down, unreadable", 4, true, false, VolumeDown, 0xEEEEEEEE, false },
        { "up, unreadable", 4, true, false, VolumeUp, 0x00000000, true },
        { "set 6, muted", 2, false, true, [] { SetVolumeLevel(6); }, 0x99999999, false },
        { "set -1, muted", 2, false, true, [] { SetVolumeLevel(-1); }, 0x99999999, false },
        { "set 1, muted", 2, false, true, [] { SetVolumeLevel(1); }, 0x55555555, true },
    };
    for (const Case& c : cases) {
        m_audio.FailVolumeReads(false);
        SetVolumeLevel(c.start);
        SetMute(c.muted);
        ASSERT_EQ(IsMuted(), c.muted);
        m_audio.FailVolumeReads(c.unreadable);
        EXPECT_EQ(GetVolumeLevel(), c.unreadable ? -1 : c.start) << c.what;
        TakeTrace();
        c.action();
        std::vector<std::string> trace = TakeTrace();
        EXPECT_FALSE(IsMuted()) << c.what;
        EXPECT_EQ(m_audio.Player().Volume(), c.word) << c.what;
        EXPECT_EQ(std::count(trace.begin(), trace.end(), "audio 8091 9 1"), c.writes ? 1 : 0) << c.what;
        EXPECT_EQ(trace.size() > 1 && trace[1] == "audio 8091 6 0", c.muted) << c.what << ": unmuted first";
    }
}
