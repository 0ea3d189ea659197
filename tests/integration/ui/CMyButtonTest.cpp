#include "SkinFixture.h"

#include "ui/CMyButton.h"

namespace {

constexpr COLORREF kParentColor = RGB(10, 20, 30);
constexpr int kW = 93, kH = 87, kTop = 60;
constexpr char kStrip[] = "btn_callplace.bti";

RECT Place(int slot)
{
    return { slot * 96, kTop, slot * 96 + kW, kTop + kH };
}

class ButtonTest : public SkinFixture {
protected:
    ButtonTest() { m_parent.Create(nullptr, RECT { 0, 0, 480, 272 }, WS_POPUP | WS_VISIBLE); }

    CMyButton& Add(int slot, const WString& caption = {}, bool holdLook = false)
    {
        auto& button = m_buttons[size_t(slot)];
        button.Create(&m_parent, RECT { 0, 0, 20, 20 }, WS_CHILD | BS_OWNERDRAW, UINT(100 + slot));
        RECT at = Place(slot);
        button.Setup(Strip(kStrip), at.left, at.top, kW, kH, caption, holdLook, true);
        return button;
    }

    testenv::RecordingWindow m_parent { kParentColor };
    CMyButton m_buttons[6];
};

}

TEST_F(ButtonTest, EachStateShowsItsFrameOfTheStripAndEachTapClicks)
{
    Add(0);
    Add(1);
    Add(2, u"Call").SetLatched(true);
    Add(3, u"Call\nhome").EnableWindow(false);
    Add(4, {}, true);
    m_system.Idle();
    Tap(Place(4).left + 5, kTop + 5);
    m_system.InjectMouse(WM_LBUTTONDOWN, Place(1).left + 40, kTop + 40);
    m_system.Idle();

    // Frames 0, 1 (held down), 1 (latched), 3 (disabled) and 1 (the hold look keeps the press); one
    // line of caption stands on the raised bottom, two lines start ten pixels below the middle.
    EXPECT_TRUE(LooksLike(RECT { 0, kTop, 480, kTop + kH }, "button-states.png"));

    m_system.InjectMouse(WM_LBUTTONUP, Place(1).left + 40, kTop + 40);
    m_system.Idle();
    EXPECT_TRUE(ShowsFrame(kStrip, 0, Place(1)));
    EXPECT_EQ(m_parent.Clicks(101), 1);
    EXPECT_EQ(Played("btnClick.snd"), 2);

    // A disabled button neither clicks nor sounds.
    Tap(Place(3).left + 5, kTop + 5);
    EXPECT_EQ(m_parent.Clicks(103), 0);
    EXPECT_EQ(Played("btnClick.snd"), 2);

    // A double tap is two clicks with two sounds.
    Tap(30, kTop + 30);
    m_clock->Advance(100);
    Tap(31, kTop + 31);
    EXPECT_EQ(m_parent.Clicks(100), 2);
    EXPECT_EQ(Played("btnClick.snd"), 4);
    EXPECT_TRUE(ShowsFrame(kStrip, 0, Place(0)));

    // A button whose image is missing still clicks.
    m_buttons[5].Create(&m_parent, RECT {}, WS_CHILD | BS_OWNERDRAW, 105);
    m_buttons[5].Setup(Strip("no-such-strip.bti"), 0, 170, kW, kH, u"", false, true);
    m_system.Idle();
    Tap(5, 175);
    EXPECT_EQ(m_parent.Clicks(105), 1);
}

// The edge from both sides, and a refused hold that ends as a tap, are the assistant's tests on the
// main view's dial tile (AssistantTest, BridgeTest); here what the button alone does.
TEST_F(ButtonTest, HeldToItsEdgeTheButtonAsksAndATakenHoldClicksNothing)
{
    CMyButton& button = Add(0);
    int asked = 0;
    button.SetLongPress(500, [&] {
        ++asked;
        return true;
    });
    m_system.Idle();

    // Held to it and taken: let go at once, the release neither clicks nor sounds.
    m_system.InjectMouse(WM_LBUTTONDOWN, 40, kTop + 40);
    m_system.Idle();
    m_system.Advance(500);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(ShowsFrame(kStrip, 0, Place(0)));
    m_system.InjectMouse(WM_LBUTTONUP, 40, kTop + 40);
    m_system.Idle();
    EXPECT_EQ(m_parent.Clicks(100), 0);
    EXPECT_EQ(Played("btnClick.snd"), 0);

    // A finger slid off before the edge holds nothing, and lifted off the button clicks nothing.
    m_system.Advance(1000);
    m_system.InjectMouse(WM_LBUTTONDOWN, 40, kTop + 40);
    m_system.InjectMouse(WM_MOUSEMOVE, 300, 250);
    m_system.Idle();
    m_system.Advance(600);
    m_system.InjectMouse(WM_LBUTTONUP, 300, 250);
    m_system.Idle();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(m_parent.Clicks(100), 0);
}
