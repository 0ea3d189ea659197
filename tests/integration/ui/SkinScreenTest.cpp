#include "SkinFixture.h"

#include "platform/controls/DialogTemplate.h"
#include "ui/CMyButton.h"
#include "ui/SkinScreen.h"

namespace {

constexpr UINT kTemplateId = 9001;
constexpr UINT kButtonId = 1001;
constexpr COLORREF kMainViewColor = RGB(200, 0, 0);
constexpr COLORREF kStatusColor = RGB(0, 200, 0);
constexpr RECT kButtonRect { 20, 60, 20 + 93, 60 + 87 };
// Where every screen writes its status.
constexpr RECT kFull { 0, 0, 480, 272 }, kStatusLine { 50, 237, 430, 254 };

class TestScreen : public SkinScreen {
public:
    void DoDataExchange(DataExchange* dx) override { DDX_Control(dx, int(kButtonId), m_button); }

    CMyButton m_button;
    mutable std::vector<std::string> steps;
    std::filesystem::path background = testenv::AppDir() / "images/callhist/bg_callhist.pbg";

protected:
    WString BackgroundPath() const override
    {
        steps.push_back(IsWindowVisible() ? "background when shown" : "background while hidden");
        return FromUtf8(background.string());
    }
    void PrepareList() override { steps.push_back("list"); }
    void SetupButtons() override
    {
        steps.push_back("buttons");
        m_button.Setup(LoadDIBitmap(testenv::AppDir() / "images" / "btn_callplace.bti"), kButtonRect.left,
            kButtonRect.top, kButtonRect.Width(), kButtonRect.Height(), u"", false, true);
    }
    void OnFirstPaint() override { steps.push_back("first paint"); }
};

}

TEST_F(SkinFixture, ScreenOpensOverTheMainViewWithItsBackgroundAndTwoHolesTheMainViewAnswersIn)
{
    DialogTemplates::Register({ kTemplateId, RECT { 0, 0, 100, 100 }, WS_POPUP, u"",
        { { kButtonId, ControlClass::Button, u"", BS_OWNERDRAW, RECT { 0, 0, 10, 10 } } } });
    testenv::RecordingWindow mainView { kMainViewColor };
    mainView.Create(nullptr, kFull, WS_POPUP | WS_VISIBLE);
    auto screen = std::make_unique<TestScreen>();
    screen->SetHintText(u"Choose a phone");
    screen->SetStatusPainter([](HDC dc) { dc->FillSolidRect(kStatusLine, kStatusColor); });
    ASSERT_TRUE(screen->Create(kTemplateId, nullptr));
    m_system.Idle();
    EXPECT_EQ(screen->steps,
        (std::vector<std::string> { "list", "background when shown", "buttons", "first paint" }));
    // The background drawn whole around the button, the status and hint lines drawn, the title
    // bar and the corner left to the main view.
    EXPECT_TRUE(LooksLike(kFull, "screen.png"));

    // Repaints keep the first-paint work to the first one; destroy gives the background back.
    screen->Invalidate(true);
    m_system.Idle();
    EXPECT_EQ(std::count(screen->steps.begin(), screen->steps.end(), "first paint"), 1);

    // Taps in the holes reach the main view; taps on the background sound the touch.
    Tap(300, 10);
    Tap(460, 260);
    EXPECT_EQ(mainView.Count(WM_LBUTTONDOWN), 2);
    EXPECT_EQ(Played("touch.snd"), 0);
    Tap(300, 150);
    EXPECT_EQ(mainView.Count(WM_LBUTTONDOWN), 2);
    EXPECT_EQ(Played("touch.snd"), 1);
    Tap(kButtonRect.left + 5, kButtonRect.top + 5);
    EXPECT_EQ(Played("touch.snd"), 1) << "a button is not the background";
    EXPECT_EQ(Played("btnClick.snd"), 1);

    screen->DestroyWindow();
    m_system.Idle();
    EXPECT_FALSE(screen->HasBackground());
    EXPECT_EQ(PixelsNot(kFull, kMainViewColor), 0);

    // Without its background file a screen is plain black, its button drawn all the same.
    TestScreen plain;
    plain.background = "/nonexistent/bg.pbg";
    ASSERT_TRUE(plain.Create(kTemplateId, nullptr));
    m_system.Idle();
    EXPECT_FALSE(plain.HasBackground());
    EXPECT_EQ(ScreenPixel(300, 100), 0u);
    EXPECT_TRUE(ShowsFrame("btn_callplace.bti", 0, kButtonRect));
}
