#include "AudioFixture.h"
#include "ui/UiSound.h"

TEST_F(AudioFixture, EachInterfaceSoundKindPlaysItsBuiltFile)
{
    struct Case {
        int kind;
        const char* path;
    } cases[] = {
        { 0, "\\FileBox\\QuorvaApps\\Common\\Sound\\btnClick.snd" },
        { 1, "\\FileBox\\QuorvaApps\\Common\\Sound\\touch.snd" },
        { 2, "\\FileBox\\QuorvaApps\\common\\sound\\startup.snd" },
        { 3, "\\FileBox\\QuorvaApps\\Common\\Sound\\vol.snd" },
        { 9, "\\FileBox\\QuorvaApps\\Common\\Sound\\warn.snd" },
    };
    for (const Case& c : cases) {
        size_t before = Events().size();
        PlayUiSound(c.kind);
        // Only sounds that were found and read are recorded.
        ASSERT_EQ(Events().size(), before + 1) << c.kind;
        EXPECT_EQ(Events().back().source, c.path);
        EXPECT_FALSE(Events().back().loop);
        EXPECT_TRUE(OutputPlaying());
    }
}

TEST_F(AudioFixture, OtherKindsAndMissingSoundsPlayNothingQuietly)
{
    for (int kind : { 4, 5, 8, 10, -1 })
        PlayUiSound(kind);
    for (const std::string& line : TakeTrace())
        EXPECT_EQ(line.find("sound play"), std::string::npos) << line;
    testenv::TempDir empty;
    OverrideModuleFolder(empty.Path());
    PlayUiSound(kUiSoundClick);
    EXPECT_TRUE(Events().empty());
    EXPECT_FALSE(OutputPlaying());
}
