#include "SkinFixture.h"

#include "platform/controls/Button.h"
#include "ui/CMyButton.h"

namespace {

constexpr COLORREF kParentColor = RGB(10, 20, 30);
constexpr UINT kButtonId = 1001;
constexpr int kX = 100, kY = 60, kW = 93, kH = 87;
constexpr RECT kButtonRect { kX, kY, kX + kW, kY + kH };

class ButtonTest : public SkinFixture {
protected:
    ButtonTest()
    {
        m_parent.Create(nullptr, RECT { 0, 0, 480, 272 }, WS_POPUP | WS_VISIBLE);
        m_button.Create(&m_parent, RECT { 0, 0, 20, 20 }, WS_CHILD | BS_OWNERDRAW, kButtonId);
        m_strip = Strip("btn_callplace.bti");
        EXPECT_TRUE(m_strip);
    }

    void SetUp(const WString& caption = {}, bool holdLook = false, bool clickSound = true)
    {
        m_button.Setup(Strip("btn_callplace.bti"), kX, kY, kW, kH, caption, holdLook, clickSound);
        m_system.Idle();
    }

    ::testing::AssertionResult Shows(int frame) { return ShowsFrame(*m_strip, frame, kW, kH, kX, kY); }

    int Notifications(UINT code)
    {
        int count = 0;
        for (const auto& r : m_parent.received)
            count += r.message == WM_COMMAND && LOWORD(r.wParam) == kButtonId && HIWORD(r.wParam) == code;
        return count;
    }

    // Rows of the button where the captioned picture differs from the bare frame.
    std::vector<int> CaptionRows(int frame)
    {
        std::vector<int> rows;
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) {
                if (ScreenPixel(kX + x, kY + y) != (m_strip->Pixels().Pixel(frame * kW + x, y) & 0xFFFFFF)) {
                    rows.push_back(y);
                    break;
                }
            }
        }
        return rows;
    }

    testenv::RecordingWindow m_parent { kParentColor };
    CMyButton m_button;
    std::unique_ptr<Bitmap> m_strip;
};

}

TEST_F(ButtonTest, NothingIsDrawnBeforeSetupEvenWhenTheScreenRepaints)
{
    m_system.Idle();
    m_button.MoveWindow(kButtonRect);
    m_button.ShowWindow(SW_SHOW);
    m_parent.Invalidate(true);
    m_button.Invalidate(true);
    m_system.Idle();
    // The parent's paint is clipped out of its child, so the area keeps what the parent drew there
    // before the button showed.
    EXPECT_EQ(PixelsNot(kButtonRect, kParentColor), 0);
    EXPECT_FALSE(m_button.IsSetUp());
}

TEST_F(ButtonTest, StatesShowTheirFramesOfTheStrip)
{
    SetUp();
    EXPECT_TRUE(Shows(CMyButton::kFrameNormal));
    SaveShot(kButtonRect, "button-states.png");

    m_system.InjectMouse(WM_LBUTTONDOWN, kX + 40, kY + 40);
    m_system.Idle();
    EXPECT_TRUE(Shows(CMyButton::kFramePressed)) << "pressed while held";
    SaveShot(kButtonRect, "button-states.png");
    m_system.InjectMouse(WM_LBUTTONUP, kX + 40, kY + 40);
    m_system.Idle();
    EXPECT_TRUE(Shows(CMyButton::kFrameNormal)) << "released";
    EXPECT_EQ(Notifications(BN_CLICKED), 1);
    EXPECT_EQ(Played("btnClick.snd"), 1);

    m_button.SetLatched(true);
    m_button.Invalidate(true);
    m_system.Idle();
    EXPECT_TRUE(Shows(CMyButton::kFramePressed)) << "latched";
    SaveShot(kButtonRect, "button-states.png");

    m_button.EnableWindow(false);
    m_system.Idle();
    EXPECT_TRUE(Shows(CMyButton::kFrameDisabled)) << "disabled, even when latched";
    SaveShot(kButtonRect, "button-states.png");
    Tap(kX + 40, kY + 40);
    EXPECT_EQ(Notifications(BN_CLICKED), 1);
    EXPECT_EQ(Played("btnClick.snd"), 1);
}

TEST_F(ButtonTest, HoldLookKeepsThePressedFrameAfterRelease)
{
    SetUp({}, true, false);
    EXPECT_TRUE(Shows(CMyButton::kFrameNormal));
    Tap(kX + 10, kY + 10);
    EXPECT_TRUE(Shows(CMyButton::kFramePressed));
    EXPECT_EQ(Notifications(BN_CLICKED), 1);
    EXPECT_EQ(Played("btnClick.snd"), 0) << "no click sound asked for";
    SaveShot(kButtonRect, "button-hold-look.png");

    // A latched hold-look button is not redrawn latched by the owner-draw path, only by an erase.
    m_button.SetLatched(false);
    m_button.Invalidate(false);
    m_system.Idle();
    EXPECT_TRUE(Shows(CMyButton::kFramePressed));
    m_button.Invalidate(true);
    m_system.Idle();
    EXPECT_TRUE(Shows(CMyButton::kFrameNormal));
}

TEST_F(ButtonTest, DoubleTapCountsAsTwoClicksWithTwoClickSounds)
{
    SetUp();
    Tap(kX + 30, kY + 30);
    m_clock->Advance(100);
    Tap(kX + 31, kY + 31);
    EXPECT_EQ(Notifications(BN_CLICKED), 2);
    EXPECT_EQ(Played("btnClick.snd"), 2);
    EXPECT_TRUE(Shows(CMyButton::kFrameNormal));

    // Taps far enough apart in time are two single clicks.
    m_clock->Advance(WindowSystem::kDoubleClickMs + 100);
    Tap(kX + 30, kY + 30);
    EXPECT_EQ(Notifications(BN_CLICKED), 3);
    EXPECT_EQ(Played("btnClick.snd"), 3);
}

TEST_F(ButtonTest, OneLineCaptionSitsTenPixelsAboveTheBottom)
{
    SetUp(u"Call");
    std::vector<int> rows = CaptionRows(CMyButton::kFrameNormal);
    ASSERT_FALSE(rows.empty());
    EXPECT_LT(rows.back(), kH - 10);
    EXPECT_GE(rows.back(), kH - 10 - 5) << "the text stands on the lowered bottom";
    EXPECT_GT(rows.front(), kH / 2);
    SaveShot(kButtonRect, "button-caption-one-line.png");

    // The caption follows the frame when pressed.
    m_system.InjectMouse(WM_LBUTTONDOWN, kX + 40, kY + 40);
    m_system.Idle();
    EXPECT_FALSE(CaptionRows(CMyButton::kFramePressed).empty());
    m_system.InjectMouse(WM_LBUTTONUP, kX + 40, kY + 40);
}

TEST_F(ButtonTest, TwoLineCaptionStartsBelowTheMiddle)
{
    SetUp(u"Call\nhome");
    std::vector<int> rows = CaptionRows(CMyButton::kFrameNormal);
    ASSERT_FALSE(rows.empty());
    EXPECT_GE(rows.front(), kH / 2 + 10);
    EXPECT_LE(rows.front(), kH / 2 + 10 + 5);
    // Two lines of 14-pixel text: the block is taller than one line.
    EXPECT_GT(rows.back() - rows.front(), 14);
    SaveShot(kButtonRect, "button-caption-two-lines.png");
}

TEST_F(ButtonTest, MissingStripDrawsNothingAndStillClicks)
{
    m_button.Setup(Strip("no-such-strip.bti"), kX, kY, kW, kH, u"", false, true);
    m_system.Idle();
    Tap(kX + 5, kY + 5);
    EXPECT_EQ(Notifications(BN_CLICKED), 1);
}
