#include "SkinFixture.h"

#include "platform/controls/DialogTemplate.h"
#include "platform/draw/Blit.h"
#include "platform/draw/Image.h"
#include "platform/draw/MemoryDC.h"
#include "ui/CMyButton.h"
#include "ui/SkinLayout.h"
#include "ui/SkinScreen.h"

namespace {

constexpr UINT kTemplateId = 9001;
constexpr UINT kButtonId = 1001;
constexpr COLORREF kMainViewColor = RGB(200, 0, 0);
constexpr COLORREF kStatusColor = RGB(0, 200, 0);
constexpr RECT kButtonRect { 20, 60, 20 + 93, 60 + 87 };

class TestScreen : public SkinScreen {
public:
    explicit TestScreen(std::filesystem::path background)
        : m_background(std::move(background))
    {
    }

    void DoDataExchange(DataExchange* dx) override { DDX_Control(dx, int(kButtonId), m_button); }

    CMyButton m_button;
    mutable std::vector<std::string> steps;
    int contentPaints = 0;

protected:
    WString BackgroundPath() const override
    {
        steps.push_back(IsWindowVisible() ? "background after show" : "background before show");
        return FromUtf8(m_background.string());
    }
    void PrepareList() override { steps.push_back("list"); }
    void SetupButtons() override
    {
        steps.push_back("buttons");
        m_button.Setup(LoadDIBitmap(testenv::AppDir() / "images" / "btn_callplace.bti"), kButtonRect.left,
            kButtonRect.top, kButtonRect.Width(), kButtonRect.Height(), u"", false, true);
    }
    void PaintContent(HDC) override { ++contentPaints; }
    void OnFirstPaint() override { steps.push_back("first paint"); }

private:
    std::filesystem::path m_background;
};

class ScreenTest : public SkinFixture {
protected:
    ScreenTest()
    {
        DialogTemplate dialog;
        dialog.id = kTemplateId;
        dialog.rect = { 0, 0, 100, 100 };
        dialog.style = WS_POPUP;
        dialog.controls.push_back({ kButtonId, ControlClass::Button, u"", BS_OWNERDRAW, RECT { 0, 0, 10, 10 } });
        DialogTemplates::Register(dialog);
        m_mainView.Create(nullptr, skin::kFullScreen, WS_POPUP | WS_VISIBLE);
        m_system.Idle();
    }

    std::unique_ptr<TestScreen> Open(const std::filesystem::path& background)
    {
        auto screen = std::make_unique<TestScreen>(background);
        screen->SetHintText(u"Choose a phone");
        screen->SetStatusPainter([](HDC dc) { dc->FillSolidRect(skin::kStatusLine, kStatusColor); });
        EXPECT_TRUE(screen->Create(kTemplateId, nullptr));
        m_system.Idle();
        return screen;
    }

    static std::filesystem::path Background() { return testenv::AppDir() / "images" / "callhist" / "bg_callhist.pbg"; }

    bool HintDrawn(const TestScreen& screen)
    {
        for (const auto& drawn : m_system.DrawnTexts(screen.GetSafeHwnd()))
            if (drawn.text == u"Choose a phone" && drawn.rect == skin::kHintLine)
                return true;
        return false;
    }

    testenv::RecordingWindow m_mainView { kMainViewColor };
};

}

TEST_F(ScreenTest, OpensOverTheWholeScreenWithItsBackgroundAndHolesForTheMainView)
{
    std::unique_ptr<TestScreen> screen = Open(Background());
    ASSERT_TRUE(screen->HasBackground());
    RECT window;
    screen->GetWindowRect(&window);
    EXPECT_EQ(window, skin::kFullScreen);
    EXPECT_EQ(screen->steps, (std::vector<std::string> { "list", "background after show", "buttons", "first paint" }));

    // The background, whole and scaled into the client area, under the button and the two lines.
    std::unique_ptr<Image> image = Image::Load(Background());
    ASSERT_TRUE(image);
    Bitmap expected(480, 272);
    std::unique_ptr<MemoryDC> dc = CreateCompatibleDC(nullptr);
    dc->SelectBitmap(&expected);
    image->Draw(dc.get(), skin::kFullScreen);
    int differing = 0;
    for (int y = skin::kTitleHole.bottom; y < skin::kStatusLine.top; ++y)
        for (int x = 0; x < 480; ++x)
            if (!kButtonRect.Contains({ x, y }))
                differing += ScreenPixel(x, y) != (expected.Pixels().Pixel(x, y) & 0xFFFFFF);
    EXPECT_EQ(differing, 0);

    std::unique_ptr<Bitmap> strip = Strip("btn_callplace.bti");
    EXPECT_TRUE(ShowsFrame(*strip, 0, kButtonRect.Width(), kButtonRect.Height(), kButtonRect.left, kButtonRect.top));
    EXPECT_EQ(PixelsNot(skin::kTitleHole, kMainViewColor), 0);
    EXPECT_EQ(PixelsNot(skin::kCornerHole, kMainViewColor), 0);
    EXPECT_EQ(PixelsNot(RECT { 0, 0, skin::kTitleHole.left, skin::kTitleHole.bottom }, kMainViewColor),
        skin::kTitleHole.left * skin::kTitleHole.bottom)
        << "left of the title hole is the screen's own";
    EXPECT_EQ(PixelsNot(skin::kStatusLine, kStatusColor), 0);
    EXPECT_TRUE(HintDrawn(*screen));
    SaveShot(skin::kFullScreen, "screen.png");
}

TEST_F(ScreenTest, TapsInTheHolesReachTheMainViewAndTapsOnTheBackgroundSoundTheTouch)
{
    std::unique_ptr<TestScreen> screen = Open(Background());
    Tap(300, 10);
    Tap(460, 260);
    EXPECT_EQ(m_mainView.Count(WM_LBUTTONDOWN), 2);
    EXPECT_EQ(Played("touch.snd"), 0);

    Tap(300, 150);
    EXPECT_EQ(m_mainView.Count(WM_LBUTTONDOWN), 2);
    EXPECT_EQ(Played("touch.snd"), 1);

    Tap(kButtonRect.left + 5, kButtonRect.top + 5);
    EXPECT_EQ(Played("touch.snd"), 1) << "a button is not the background";
    EXPECT_EQ(Played("btnClick.snd"), 1);
}

TEST_F(ScreenTest, MissingBackgroundLeavesButtonsAndTextsOnAPlainScreen)
{
    testenv::TempDir dir;
    std::filesystem::path corrupt = dir / "bg_corrupt.pbg";
    std::FILE* file = std::fopen(corrupt.c_str(), "wb");
    ASSERT_TRUE(file);
    std::fputs("\x89PNG\r\n\x1a\n truncated", file);
    std::fclose(file);
    for (const std::filesystem::path& path : { dir / "missing.pbg", corrupt }) {
        std::unique_ptr<TestScreen> screen = Open(path);
        EXPECT_FALSE(screen->HasBackground());
        std::unique_ptr<Bitmap> strip = Strip("btn_callplace.bti");
        EXPECT_TRUE(ShowsFrame(*strip, 0, kButtonRect.Width(), kButtonRect.Height(), kButtonRect.left, kButtonRect.top));
        EXPECT_EQ(PixelsNot(skin::kStatusLine, kStatusColor), 0);
        EXPECT_TRUE(HintDrawn(*screen));
        EXPECT_EQ(ScreenPixel(300, 100), 0u);
    }
}

TEST_F(ScreenTest, FirstPaintWorkRunsOnceAndDestroyReleasesTheBackground)
{
    std::unique_ptr<TestScreen> screen = Open(Background());
    screen->Invalidate(true);
    m_system.Idle();
    screen->Invalidate(false);
    m_system.Idle();
    EXPECT_EQ(std::count(screen->steps.begin(), screen->steps.end(), "first paint"), 1);
    EXPECT_GE(screen->contentPaints, 3);
    EXPECT_TRUE(screen->FirstPaintDone());

    screen->DestroyWindow();
    m_system.Idle();
    EXPECT_FALSE(screen->HasBackground());
    EXPECT_EQ(PixelsNot(skin::kFullScreen, kMainViewColor), 0) << "the main view shows again";
}
