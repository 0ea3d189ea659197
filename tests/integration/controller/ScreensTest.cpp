#include "AppFixture.h"

TEST_F(AppTest, OpenScreenCreatesOnceAndLeavesAHiddenScreenHidden)
{
    ASSERT_TRUE(Start());
    Window* screen = Open<Window>(kScreenCallHist);
    ASSERT_TRUE(screen && screen->IsWindowVisible());
    screen->ShowWindow(SW_HIDE);
    Frame().OpenScreen(kScreenCallHist);
    EXPECT_EQ(Frame().ScreenWindow(kScreenCallHist), screen);
    EXPECT_FALSE(screen->IsWindowVisible());
    Frame().OpenScreen(kScreenNone);
    Frame().OpenScreen(10);
    Frame().SendMessage(WM_PHONE_CLOSE_SCREEN, kScreenAll, 0);
    Frame().CloseScreen(kScreenAll);
    EXPECT_THAT(TakeTrace("screen"),
        ::testing::ElementsAre("screen open 2 CDlgCallHist", "screen close 2 CDlgCallHist"));
}

// F10's release hides the frame unless an enabled screen is up; a call does not keep it up.
TEST_F(AppTest, F10HidesTheFrameOnlyWhileNoScreenIsUp)
{
    ASSERT_TRUE(Start());
    auto releaseF10 = [this] {
        Frame().PostMessage(WM_KEYUP, VK_F10, 0);
        Idle();
        return Frame().IsWindowVisible();
    };
    Frame().OpenScreen(kScreenPref);
    EXPECT_TRUE(releaseF10());
    Frame().ScreenWindow(kScreenPref)->EnableWindow(false);
    EXPECT_FALSE(releaseF10());
    Frame().ShowWindow(SW_SHOW);
    Frame().CloseScreen(kScreenPref);
    State(6);
    EXPECT_FALSE(releaseF10());
}
