#include "WindowTest.h"

#include "platform/draw/DrawText.h"

namespace {

constexpr COLORREF kRed = RGB(200, 0, 0);
constexpr COLORREF kGreen = RGB(0, 200, 0);
constexpr COLORREF kBlue = RGB(0, 0, 200);
constexpr COLORREF kYellow = RGB(200, 200, 0);

using Painting = WindowTest;

}

// A child keeps its pixels through its parent's repaint: the screens' pictures show it.
TEST_F(Painting, ParentRepaintErasesOnlyWhenAsked)
{
    RecordingWindow parent(kRed);
    ASSERT_TRUE(parent.Create(nullptr, kFull, WS_POPUP | WS_VISIBLE));
    system.Idle();
    parent.received.clear();
    parent.InvalidateRect(nullptr, false);
    system.Idle();
    EXPECT_EQ(parent.Count(WM_PAINT), 1);
    EXPECT_EQ(parent.Count(WM_ERASEBKGND), 0);
    parent.Invalidate(true);
    system.Idle();
    EXPECT_EQ(parent.Count(WM_ERASEBKGND), 1);
}

// What a window covered before it moved is repainted from below. What it covers, and what it
// uncovers when it hides or goes, the screens' pictures show.
TEST_F(Painting, WhatAMovedWindowUncoversRepaints)
{
    RecordingWindow below(kBlue), cover(kRed);
    ASSERT_TRUE(below.Create(nullptr, kFull, WS_POPUP | WS_VISIBLE));
    ASSERT_TRUE(cover.Create(nullptr, RECT { 50, 50, 150, 150 }, WS_POPUP | WS_VISIBLE));
    system.Idle();
    EXPECT_EQ(At(60, 60), kRed);
    cover.SetWindowPos(nullptr, 200, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    system.Idle();
    EXPECT_EQ(At(60, 60), kBlue);
    EXPECT_EQ(At(210, 110), kRed);
}

TEST_F(Painting, TopmostStaysAboveLaterWindowsAndUpdateNowPaintsAtOnce)
{
    RecordingWindow top(kRed), later(kBlue);
    ASSERT_TRUE(top.Create(nullptr, kFull, WS_POPUP | WS_VISIBLE, 0, {}, WS_EX_TOPMOST));
    ASSERT_TRUE(later.Create(nullptr, kFull, WS_POPUP | WS_VISIBLE));
    system.Idle();
    EXPECT_EQ(At(5, 5), kRed);
    later.SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    // Repainting at once, without running the loop.
    later.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_EQ(At(5, 5), kBlue);
}

// A window shown and cut before it has drawn (a screen with holes) leaves the screen under its
// holes as it was; what it uncovers of a window that went meanwhile is painted from below.
TEST_F(Painting, AHoleCutBeforeTheFirstPaintRepaintsOnlyWhatChangedUnderIt)
{
    RecordingWindow bottom(kBlue), middle(kGreen);
    ASSERT_TRUE(bottom.Create(nullptr, kFull, WS_POPUP | WS_VISIBLE));
    ASSERT_TRUE(middle.Create(nullptr, RECT { 0, 0, 100, 100 }, WS_POPUP | WS_VISIBLE));
    system.Idle();
    bottom.received.clear();
    middle.received.clear();

    RecordingWindow screen(kRed);
    ASSERT_TRUE(screen.Create(nullptr, kFull, WS_POPUP | WS_VISIBLE));
    // Drawn outside a paint meanwhile: it lands where the new window has not drawn yet.
    HDC dc = bottom.GetDC();
    dc->FillSolidRect(RECT { 150, 0, 250, 20 }, kYellow);
    bottom.ReleaseDC(dc);
    Region shape(kFull);
    shape.Subtract(RECT { 0, 0, 300, 40 });
    screen.SetWindowRgn(&shape, true);
    system.Idle();
    EXPECT_EQ(At(10, 10), kGreen);
    EXPECT_EQ(At(200, 10), kYellow);
    EXPECT_EQ(At(280, 10), kBlue);
    EXPECT_EQ(At(200, 200), kRed);
    EXPECT_EQ(bottom.Count(WM_PAINT), 0);
    EXPECT_EQ(middle.Count(WM_PAINT), 0);

    screen.DestroyWindow();
    system.Idle();
    RecordingWindow again(kRed);
    ASSERT_TRUE(again.Create(nullptr, kFull, WS_POPUP | WS_VISIBLE));
    middle.ShowWindow(SW_HIDE);
    again.SetWindowRgn(&shape, true);
    system.Idle();
    EXPECT_EQ(At(10, 10), kBlue) << "the hidden window must not show through the hole";
    EXPECT_EQ(At(200, 200), kRed);
}

TEST_F(Painting, SixteenInvalidRectanglesRepaintAloneASeventeenthRepaintsTheirBounds)
{
    RecordingWindow window(kRed);
    ASSERT_TRUE(window.Create(nullptr, kFull, WS_POPUP | WS_VISIBLE));
    system.Idle();
    const std::pair<int, COLORREF> cases[] = { { 16, kGreen }, { 17, kBlue } };
    for (const auto& [count, color] : cases) {
        window.SetColor(color);
        for (int i = 0; i < count; ++i) {
            const RECT rect { i * 20, 0, i * 20 + 10, 10 };
            window.InvalidateRect(&rect, false);
        }
        system.Idle();
        EXPECT_EQ(At(5, 5), color) << count;
        EXPECT_EQ(At(15, 5), count == 16 ? kRed : kBlue) << count;
    }
}

// A text says what it lies on as the paint drew it; a later paint that leaves the text's middle
// out of its clip does not redraw there, so what it lies on is still what the last paint saw.
TEST_F(Painting, ATextKeepsTheBackgroundItsLastPaintSawWhereAPartialRepaintLeavesItsMiddleOut)
{
    RecordingWindow window(kBlue);
    const RECT line { 100, 100, 300, 120 };
    window.hook = [&](UINT m, WPARAM, LPARAM) {
        if (m != WM_PAINT)
            return false;
        PAINTSTRUCT ps;
        HDC dc = window.BeginPaint(&ps);
        dc->FillSolidRect(kFull, kBlue);
        dc->SetBkMode(TRANSPARENT);
        dc->SetTextColor(RGB(255, 255, 255));
        DrawText(dc, u"Ready", line, DT_CENTER);
        window.EndPaint(&ps);
        return true;
    };
    ASSERT_TRUE(window.Create(nullptr, kFull, WS_POPUP | WS_VISIBLE));
    system.Idle();
    auto background = [&] {
        const auto& texts = system.DrawnTexts(window.GetSafeHwnd());
        return texts.size() == 1 ? texts[0].look.background : RGB(1, 2, 3);
    };
    EXPECT_EQ(background(), kBlue);

    // Something else paints the middle red; the next paint covers only the line's left end.
    HDC dc = window.GetDC();
    dc->FillSolidRect(RECT { 180, 100, 220, 120 }, kRed);
    window.ReleaseDC(dc);
    const RECT leftEnd { 100, 100, 110, 120 };
    window.InvalidateRect(&leftEnd, false);
    system.Idle();
    EXPECT_EQ(At(200, 102), kRed) << "the middle was not repainted";
    EXPECT_EQ(background(), kBlue);

    window.InvalidateRect(nullptr, false);
    system.Idle();
    EXPECT_EQ(background(), kBlue);
}
