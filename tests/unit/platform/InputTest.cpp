#include "WindowTest.h"

#include "platform/win/WindowApi.h"

namespace {

using Input = WindowTest;

const testenv::RecordingWindow::Received& First(const RecordingWindow& w, UINT message)
{
    return *std::find_if(w.received.begin(), w.received.end(), [&](auto& r) { return r.message == message; });
}

}

TEST_F(Input, TapGoesToTheTopmostEnabledWindowUnderItAndTheUpFollowsTheDownOutside)
{
    RecordingWindow parent, child;
    ASSERT_TRUE(parent.Create(nullptr, kFull, WS_POPUP | WS_VISIBLE));
    ASSERT_TRUE(child.Create(&parent, RECT { 100, 50, 200, 100 }, WS_CHILD | WS_VISIBLE));
    system.InjectMouse(WM_LBUTTONDOWN, 150, 60);
    system.InjectMouse(WM_MOUSEMOVE, 300, 200);
    system.InjectMouse(WM_LBUTTONUP, 300, 200);
    system.Idle();
    ASSERT_EQ(child.Count(WM_LBUTTONDOWN), 1);
    EXPECT_EQ(First(child, WM_LBUTTONDOWN).lParam, 0x000A0032) << "x 50, y 10 in the child";
    EXPECT_EQ(First(child, WM_LBUTTONDOWN).wParam, MK_LBUTTON);
    EXPECT_EQ(child.Count(WM_MOUSEMOVE), 1);
    ASSERT_EQ(child.Count(WM_LBUTTONUP), 1);
    EXPECT_EQ(First(child, WM_LBUTTONUP).lParam, 0x009600C8) << "x 200, y 150";
    EXPECT_EQ(parent.Count(WM_LBUTTONDOWN) + parent.Count(WM_LBUTTONUP), 0);

    // As on the device, a tap falls through a disabled control to its parent (a disabled top-level
    // window takes nothing: the message box test taps its owner).
    child.EnableWindow(false);
    clock->Advance(1000);
    Tap(150, 60);
    EXPECT_EQ(child.Count(WM_LBUTTONDOWN), 1);
    EXPECT_EQ(parent.Count(WM_LBUTTONDOWN), 1);
}

TEST_F(Input, QuickSecondTapIsDoubleClickOnlyForWindowsThatWantIt)
{
    RecordingWindow plain, button;
    button.doubleClicks = true;
    ASSERT_TRUE(plain.Create(nullptr, RECT { 0, 0, 240, 272 }, WS_POPUP | WS_VISIBLE));
    ASSERT_TRUE(button.Create(nullptr, RECT { 240, 0, 480, 272 }, WS_POPUP | WS_VISIBLE));
    Tap(10, 10);
    Tap(11, 11);
    EXPECT_EQ(plain.Count(WM_LBUTTONDOWN), 2);
    EXPECT_EQ(plain.Count(WM_LBUTTONDBLCLK), 0);

    Tap(300, 10);
    Tap(302, 12);
    Tap(302, 12); // a third tap starts again
    EXPECT_EQ(button.Count(WM_LBUTTONDOWN), 2);
    EXPECT_EQ(button.Count(WM_LBUTTONDBLCLK), 1);

    clock->Advance(500);
    Tap(310, 20);
    EXPECT_EQ(button.Count(WM_LBUTTONDBLCLK), 2) << "half a second and 8 pixels away is still a double click";
    Tap(302, 12);
    clock->Advance(501);
    Tap(302, 12);
    EXPECT_EQ(button.Count(WM_LBUTTONDBLCLK), 2) << "too late for a double click";
    Tap(311, 12);
    EXPECT_EQ(button.Count(WM_LBUTTONDBLCLK), 2) << "too far for a double click";
}

TEST_F(Input, KeysArriveAsKeyUpAndAreSeenByAncestorsFirst)
{
    RecordingWindow frame, view;
    ASSERT_TRUE(frame.Create(nullptr, kFull, WS_POPUP | WS_VISIBLE));
    ASSERT_TRUE(view.Create(&frame, kFull, WS_CHILD | WS_VISIBLE));
    view.SetFocus();
    std::vector<UINT> frameSaw;
    frame.pretranslate = [&](MSG* msg) {
        frameSaw.push_back(msg->message);
        // The frame keeps F1 to itself.
        return msg->message == WM_KEYUP && msg->wParam == VK_F1;
    };
    system.InjectKey(VK_F1);
    system.InjectKey(VK_F10);
    system.Idle();
    EXPECT_EQ(frameSaw, (std::vector<UINT> { WM_KEYDOWN, WM_KEYUP, WM_KEYDOWN, WM_KEYUP }));
    ASSERT_EQ(view.Count(WM_KEYUP), 1);
    EXPECT_EQ(First(view, WM_KEYUP).wParam, 0x79u);
}
