#include "ControllerFixture.h"

#include "controller/PhoneMessages.h"
#include "controller/TextTable.h"

#include <gmock/gmock.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ScreensTest : public ControllerTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(StartFrame());
        TakeTrace();
    }
    void ReleaseF10()
    {
        frame.PostMessage(WM_KEYUP, VK_F10, 0);
        ws.Idle();
    }
};

TEST_F(ScreensTest, OpenScreenCreatesOnceAndLeavesAHiddenScreenHidden)
{
    frame.SendMessage(WM_PHONE_OPEN_SCREEN, kScreenCallHist, 0);
    Dialog* screen = frame.ScreenWindow(kScreenCallHist);
    ASSERT_TRUE(screen && screen->IsWindowVisible());
    EXPECT_EQ(screen->GetParent(), &frame);
    screen->ShowWindow(SW_HIDE);
    frame.OpenScreen(kScreenCallHist);
    EXPECT_EQ(frame.ScreenWindow(kScreenCallHist), screen);
    EXPECT_FALSE(screen->IsWindowVisible());
    frame.OpenScreen(kScreenNone);
    frame.OpenScreen(9);
    EXPECT_THAT(Only(TakeTrace(), "screen"), ElementsAre("screen open 2 Screen2"));
}

TEST_F(ScreensTest, CloseAllGoesInItsOrderAndClosingTwiceDoesNothing)
{
    for (UINT kind : { kScreenPref, kScreenOutgoing, kScreenIncoming, kScreenPairMode, kScreenConnect,
             kScreenCallHist, kScreenPlaceCall })
        frame.OpenScreen(kind);
    TakeTrace();
    frame.SendMessage(WM_PHONE_CLOSE_SCREEN, kScreenAll, 0);
    EXPECT_THAT(Only(TakeTrace(), "screen"),
        ElementsAre("screen close 1 Screen1", "screen close 2 Screen2", "screen close 4 Screen4",
            "screen close 5 Screen5", "screen close 6 Screen6", "screen close 7 Screen7",
            "screen close 8 Screen8"));
    frame.CloseScreen(kScreenAll);
    frame.CloseScreen(kScreenIncoming);
    frame.CloseScreen(kScreenNone);
    EXPECT_THAT(Only(TakeTrace(), "screen"), IsEmpty());
    for (UINT kind = 1; kind < kScreenKindCount; ++kind)
        EXPECT_EQ(frame.ScreenWindow(kind), nullptr);
}

TEST_F(ScreensTest, F10HidesTheFrameOnlyWhileNoScreenIsUp)
{
    frame.OpenScreen(kScreenPref);
    ReleaseF10();
    EXPECT_TRUE(frame.IsWindowVisible());
    // A disabled screen does not count.
    frame.ScreenWindow(kScreenPref)->EnableWindow(false);
    ReleaseF10();
    EXPECT_FALSE(frame.IsWindowVisible());
    frame.ShowWindow(SW_SHOW);
    frame.CloseScreen(kScreenPref);
    frame.PostMessage(WM_KEYDOWN, VK_F10, 0);
    ws.Idle();
    EXPECT_TRUE(frame.IsWindowVisible());
    ReleaseF10();
    EXPECT_FALSE(frame.IsWindowVisible());
    // A call in progress does not keep it up.
    frame.ShowWindow(SW_SHOW);
    State(PhoneStatus::kStateInCall);
    ASSERT_EQ(frame.m_pPhoneStatus->mainState, PhoneStatus::kStateInCall);
    ReleaseF10();
    EXPECT_FALSE(frame.IsWindowVisible());
}

TEST_F(ScreensTest, ErrorTextsCoverTheSeventeenStatusCodes)
{
    EXPECT_EQ(frame.GetErrorText(0), TextTable::Text("CERR0001"));
    EXPECT_EQ(frame.GetErrorText(16), TextTable::Text("CERR0017"));
    EXPECT_FALSE(frame.GetErrorText(16).empty());
    EXPECT_TRUE(frame.GetErrorText(17).empty());
    EXPECT_TRUE(frame.GetErrorText(UINT(-1)).empty());
}
