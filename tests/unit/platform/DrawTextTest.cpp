#include "platform/devices/Paths.h"
#include "platform/draw/DrawText.h"
#include "platform/draw/Font.h"
#include "platform/draw/ImageCodec.h"

#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr uint32_t kBackground = 0x102030;

class DrawTextTest : public ::testing::Test {
protected:
    DrawTextTest()
    {
        font = CreateFont(14, 6, FW_BOLD, OEM_CHARSET, FF_SWISS, u"Tahoma");
        dc.SelectFont(font.get());
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(RGB(255, 255, 100));
    }

    void SetUp() override
    {
        if (!font->Face())
            GTEST_SKIP() << "no font file installed";
    }

    // The smallest rectangle holding every pixel that is no longer the background.
    RECT Inked() const
    {
        RECT box {};
        for (int y = 0; y < screen.Height(); ++y)
            for (int x = 0; x < screen.Width(); ++x)
                if (screen.Pixel(x, y) != kBackground)
                    box = box.Union({ x, y, x + 1, y + 1 });
        return box;
    }

    Surface screen { 480, 272, kBackground };
    DeviceContext dc { &screen, {}, Region(screen.Bounds()) };
    std::unique_ptr<Font> font;
};

}

// The spacing of lines, and text kept to its rectangle, the pictures of buttons and screens show.
TEST_F(DrawTextTest, CarriageReturnsAreIgnoredAndASingleLineIgnoresLineFeeds)
{
    const RECT rect { 0, 0, 480, 272 };
    EXPECT_EQ(DrawText(&dc, u"First\nSecond", rect, DT_CENTER), 28);
    const std::vector<uint32_t> unix = screen.Pixels();
    screen.Fill(screen.Bounds(), kBackground);
    DrawText(&dc, u"First\r\nSecond", rect, DT_CENTER);
    EXPECT_EQ(screen.Pixels(), unix);

    screen.Fill(screen.Bounds(), kBackground);
    EXPECT_EQ(DrawText(&dc, u"First\nSecond", rect, DT_SINGLELINE), 14);
    EXPECT_LE(Inked().bottom, 14);
}

TEST(Font, FacesMapIgnoringCaseUnknownOnesFallBackAndABrokenFileDrawsNoText)
{
    EXPECT_EQ(Font::FileFor(u"NoSuchFace", FW_NORMAL), Font::FileFor(u"TAHOMA", FW_NORMAL));
    EXPECT_NE(Font::FileFor(u"Tahoma", FW_BOLD), Font::FileFor(u"Tahoma", FW_NORMAL));

    testenv::TempDir dir;
    std::filesystem::create_directories(dir.Path() / "fonts");
    ASSERT_TRUE(SavePng(Surface(2, 2), dir.Path() / "fonts" / "DejaVuSans.ttf"));
    OverrideModuleFolder(dir.Path());
    auto font = CreateFont(15, 0, FW_NORMAL, DEFAULT_CHARSET, 0, u"Tahoma");
    OverrideModuleFolder({});

    EXPECT_EQ(font->Face(), nullptr);
    Surface screen(40, 20, kBackground);
    DeviceContext dc(&screen, {}, Region(screen.Bounds()));
    dc.SelectFont(font.get());
    EXPECT_EQ(DrawText(&dc, u"Hello", screen.Bounds(), 0), 0);
    EXPECT_EQ(screen.Pixels(), std::vector<uint32_t>(40 * 20, kBackground));
}
