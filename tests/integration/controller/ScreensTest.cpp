#include "AppFixture.h"

using ::testing::ElementsAre;

class ScreensTest : public AppTest {
protected:
    void SetUp() override { ASSERT_TRUE(Start()); }
    void ReleaseF10()
    {
        Frame().PostMessage(WM_KEYUP, VK_F10, 0);
        Idle();
    }
};

TEST_F(ScreensTest, OpenScreenCreatesOnceAndLeavesAHiddenScreenHidden)
{
    Window* screen = Open<Window>(kScreenCallHist);
    ASSERT_TRUE(screen && screen->IsWindowVisible());
    screen->ShowWindow(SW_HIDE);
    Frame().OpenScreen(kScreenCallHist);
    EXPECT_EQ(Frame().ScreenWindow(kScreenCallHist), screen);
    EXPECT_FALSE(screen->IsWindowVisible());
    Frame().OpenScreen(kScreenNone);
    Frame().OpenScreen(9);
    Frame().SendMessage(WM_PHONE_CLOSE_SCREEN, kScreenAll, 0);
    Frame().CloseScreen(kScreenAll);
    EXPECT_THAT(TakeTrace("screen"), ElementsAre("screen open 2 CDlgCallHist", "screen close 2 CDlgCallHist"));
}

TEST_F(ScreensTest, F10HidesTheFrameOnlyWhileNoScreenIsUp)
{
    Frame().OpenScreen(kScreenPref);
    ReleaseF10();
    EXPECT_TRUE(Frame().IsWindowVisible());
    // A disabled screen does not count.
    Frame().ScreenWindow(kScreenPref)->EnableWindow(false);
    ReleaseF10();
    EXPECT_FALSE(Frame().IsWindowVisible());
}
