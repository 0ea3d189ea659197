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
    Frame().OpenScreen(9);
    Frame().SendMessage(WM_PHONE_CLOSE_SCREEN, kScreenAll, 0);
    Frame().CloseScreen(kScreenAll);
    EXPECT_THAT(TakeTrace("screen"),
        ::testing::ElementsAre("screen open 2 CDlgCallHist", "screen close 2 CDlgCallHist"));
}
