#include "AudioFixture.h"
#include "platform/devices/SoundApi.h"
#include "ui/MasterVolume.h"

namespace {

class MasterVolumeTest : public AudioFixture {
protected:
    DWORD Word()
    {
        DWORD word = 0x12345678;
        EXPECT_EQ(waveOutGetVolume(nullptr, &word), MMSYSERR_NOERROR);
        return word;
    }
};

}

TEST_F(MasterVolumeTest, EachLevelWritesItsWordBracketedForTheDriverAndReadsBackAsThatLevel)
{
    TakeTrace();
    SetVolumeLevel(3);
    std::vector<std::string> expected = { "audio 8091 8 -> 1", "audio 8091 9 1", "sound volume 0xCCCCCCCC", "audio 8091 9 0" };
    EXPECT_EQ(TakeTrace(), expected);
    EXPECT_FALSE(m_audio.Driver().InVolumeChange());
    const DWORD words[] = { 0x00000000, 0x55555555, 0x99999999, 0xCCCCCCCC, 0xEEEEEEEE, 0xFFFFFFFF };
    for (int level : { 3, 0, 5, 1, 4, 2 }) {
        SetVolumeLevel(level);
        EXPECT_EQ(Word(), words[level]) << level;
        EXPECT_EQ(GetVolumeLevel(), level);
    }
}

TEST_F(MasterVolumeTest, ReadsTheLeftChannelByThresholds)
{
    struct Case {
        WORD left;
        int level;
    } cases[] = {
        { 0x0000, 0 }, { 0x2AAA, 0 }, { 0x2AAB, 1 }, { 0x7777, 1 }, { 0x7778, 2 }, { 0xB332, 2 }, { 0xB333, 3 },
        { 0xDDDD, 3 }, { 0xDDDE, 4 }, { 0xF776, 4 }, { 0xF777, 5 }, { 0xFFFF, 5 },
    };
    for (const Case& c : cases) {
        // The right channel is set to something else, which must not count.
        waveOutSetVolume(nullptr, DWORD(c.left) | (DWORD(0xFFFF - c.left) << 16));
        EXPECT_EQ(GetVolumeLevel(), c.level) << std::hex << c.left;
    }
}

TEST_F(MasterVolumeTest, StepsOneLevelStopsAtTheEndsAndFromAnUnreadableVolumeGoesToZero)
{
    SetVolumeLevel(2);
    VolumeUp();
    EXPECT_EQ(GetVolumeLevel(), 3);
    VolumeDown();
    VolumeDown();
    EXPECT_EQ(GetVolumeLevel(), 1);

    SetVolumeLevel(5);
    TakeTrace();
    VolumeUp();
    EXPECT_EQ(Word(), 0xFFFFFFFFu);
    SetVolumeLevel(0);
    TakeTrace();
    VolumeDown();
    EXPECT_EQ(Word(), 0u);
    for (const std::string& line : TakeTrace())
        EXPECT_EQ(line.find("8091 9 "), std::string::npos) << "nothing written at the ends: " << line;

    // An unreadable volume reads as -1: down leaves the word, up sets level 0.
    SetVolumeLevel(4);
    m_audio.FailVolumeReads(true);
    EXPECT_EQ(GetVolumeLevel(), -1);
    VolumeDown();
    EXPECT_EQ(m_audio.Player().Volume(), 0xEEEEEEEEu);
    VolumeUp();
    EXPECT_EQ(m_audio.Player().Volume(), 0u);
}

TEST_F(MasterVolumeTest, SetVolumeLevelUnmutesFirstEvenOutOfRange)
{
    SetVolumeLevel(2);
    for (int level : { 6, 100, -1 }) {
        SetMute(true);
        ASSERT_TRUE(IsMuted());
        TakeTrace();
        SetVolumeLevel(level);
        EXPECT_FALSE(IsMuted()) << level;
        EXPECT_EQ(Word(), 0x99999999u) << "out of range writes nothing";
        std::vector<std::string> trace = TakeTrace();
        ASSERT_GE(trace.size(), 2u);
        EXPECT_EQ(trace[1], "audio 8091 6 0");
    }
}
