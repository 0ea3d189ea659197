#include "WindowTest.h"

namespace {

constexpr COLORREF kRed = RGB(200, 0, 0);
constexpr COLORREF kGreen = RGB(0, 200, 0);
constexpr COLORREF kBlue = RGB(0, 0, 200);
constexpr COLORREF kGrey = RGB(90, 90, 90);

using Painting = WindowTest;

}

TEST_F(Painting, ChildPixelsSurviveParentRepaint)
{
    RecordingWindow parent(kRed);
    RecordingWindow child(kGreen);
    ASSERT_TRUE(parent.Create(nullptr, kFull, WS_POPUP | WS_VISIBLE));
    ASSERT_TRUE(child.Create(&parent, RECT { 100, 100, 150, 150 }, WS_CHILD | WS_VISIBLE));
    system.Idle();
    EXPECT_EQ(At(120, 120), kGreen);
    EXPECT_EQ(At(10, 10), kRed);

    int childPaints = child.Count(WM_PAINT);
    parent.Invalidate(true);
    system.Idle();
    EXPECT_EQ(At(120, 120), kGreen);
    EXPECT_EQ(child.Count(WM_PAINT), childPaints) << "the parent's repaint must not need the child";
}

TEST_F(Painting, EraseComesBeforePaintOnlyWhenAsked)
{
    RecordingWindow w(kRed);
    w.SetBackgroundColor(kBlue);
    ASSERT_TRUE(w.Create(nullptr, kFull, WS_POPUP | WS_VISIBLE));
    system.Idle();
    w.received.clear();
    w.InvalidateRect(nullptr, false);
    system.Idle();
    EXPECT_EQ(w.Count(WM_ERASEBKGND), 0);
    w.InvalidateRect(nullptr, true);
    system.Idle();
    EXPECT_EQ(w.Count(WM_ERASEBKGND), 1);
}

TEST_F(Painting, RegionHoleShowsWindowBelowAndPassesTapsToIt)
{
    RecordingWindow below(kBlue);
    RecordingWindow screen(kGrey);
    ASSERT_TRUE(below.Create(nullptr, kFull, WS_POPUP | WS_VISIBLE));
    ASSERT_TRUE(screen.Create(nullptr, kFull, WS_POPUP | WS_VISIBLE));
    Region shape(kFull);
    shape.Subtract(RECT { 85, 0, 480, 37 }).Subtract(RECT { 430, 237, 480, 272 });
    ASSERT_TRUE(screen.SetWindowRgn(&shape, true));
    system.Idle();
    EXPECT_EQ(At(100, 10), kBlue);
    EXPECT_EQ(At(84, 10), kGrey);
    EXPECT_EQ(At(450, 250), kBlue);
    EXPECT_EQ(At(200, 100), kGrey);

    // The window below repaints into the hole and nowhere else.
    below.SetColor(kGreen);
    below.Invalidate(true);
    system.Idle();
    EXPECT_EQ(At(100, 10), kGreen);
    EXPECT_EQ(At(200, 100), kGrey);

    system.InjectMouse(WM_LBUTTONDOWN, 431, 240);
    system.InjectMouse(WM_LBUTTONUP, 431, 240);
    system.InjectMouse(WM_LBUTTONDOWN, 429, 240);
    system.InjectMouse(WM_LBUTTONUP, 429, 240);
    system.Idle();
    EXPECT_EQ(below.Count(WM_LBUTTONDOWN), 1);
    EXPECT_EQ(screen.Count(WM_LBUTTONDOWN), 1);
}

TEST_F(Painting, HidingMovingOrDestroyingAWindowRepaintsWhatItCovered)
{
    RecordingWindow below(kBlue);
    RecordingWindow cover(kRed);
    ASSERT_TRUE(below.Create(nullptr, kFull, WS_POPUP | WS_VISIBLE));
    ASSERT_TRUE(cover.Create(nullptr, RECT { 50, 50, 150, 150 }, WS_POPUP | WS_VISIBLE));
    system.Idle();
    EXPECT_EQ(At(60, 60), kRed);

    below.received.clear();
    cover.ShowWindow(SW_HIDE);
    system.Idle();
    EXPECT_EQ(At(60, 60), kBlue);
    EXPECT_EQ(below.Count(WM_ERASEBKGND), 1);

    cover.ShowWindow(SW_SHOW);
    system.Idle();
    EXPECT_EQ(At(60, 60), kRed);
    cover.SetWindowPos(nullptr, 200, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    system.Idle();
    EXPECT_EQ(At(60, 60), kBlue);
    EXPECT_EQ(At(210, 110), kRed);
    cover.DestroyWindow();
    system.Idle();
    EXPECT_EQ(At(210, 110), kBlue);
}

TEST_F(Painting, WindowDrawsOnlyInsideItsVisibleRegion)
{
    RecordingWindow lower(kBlue);
    RecordingWindow upper(kRed);
    ASSERT_TRUE(lower.Create(nullptr, kFull, WS_POPUP | WS_VISIBLE));
    ASSERT_TRUE(upper.Create(nullptr, RECT { 0, 0, 100, 100 }, WS_POPUP | WS_VISIBLE));
    system.Idle();
    // Drawing outside painting goes through the same clip.
    HDC dc = lower.GetDC();
    dc->FillSolidRect(kFull, kGreen);
    lower.ReleaseDC(dc);
    EXPECT_EQ(At(50, 50), kRed);
    EXPECT_EQ(At(150, 150), kGreen);
}

TEST_F(Painting, TopmostStaysAboveLaterWindowsAndUpdateNowPaintsAtOnce)
{
    RecordingWindow top(kRed);
    RecordingWindow later(kBlue);
    ASSERT_TRUE(top.Create(nullptr, kFull, WS_POPUP | WS_VISIBLE, 0, {}, WS_EX_TOPMOST));
    ASSERT_TRUE(later.Create(nullptr, kFull, WS_POPUP | WS_VISIBLE));
    system.Idle();
    EXPECT_EQ(At(5, 5), kRed);
    later.SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    // Repainting at once, without running the loop.
    later.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_EQ(At(5, 5), kBlue);
}
