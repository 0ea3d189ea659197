#include "platform/backends/BackendFactory.h"
#include "platform/backends/PictureFit.h"

#include <gtest/gtest.h>

namespace {

struct TapCase {
    int x;
    int y;
    bool onPicture;
    LONG pictureX;
    LONG pictureY;
};

void ExpectTaps(const PictureFit& fit, std::initializer_list<TapCase> cases)
{
    for (const TapCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "tap at " << c.x << "," << c.y);
        const PictureFit::Tap tap = fit.ToPicture(c.x, c.y);
        EXPECT_EQ(tap.onPicture, c.onPicture);
        if (c.onPicture) {
            EXPECT_EQ(tap.at.x, c.pictureX);
            EXPECT_EQ(tap.at.y, c.pictureY);
        }
    }
}

}

TEST(PictureFit, OnA800x480PanelFillsTheWidthWithBarsAboveAndBelow)
{
    const PictureFit fit(480, 272, 800, 480);
    EXPECT_NEAR(fit.Factor(), 1.6667, 0.0001);
    EXPECT_EQ(fit.Placement(), (RECT { 0, 13, 800, 466 }));
    EXPECT_FALSE(fit.IsIdentity());
    ExpectTaps(fit,
        {
            { 0, 12, false, 0, 0 }, // the top bar's last row
            { 0, 13, true, 0, 0 }, // the picture's first row
            { 799, 465, true, 479, 271 }, // the picture's last pixel
            { 799, 466, false, 0, 0 }, // the bottom bar's first row
            { 400, 240, true, 240, 136 }, // the middle
            { 1, 14, true, 0, 0 }, // still the first pixel: it is 1.67 output pixels wide
            { 2, 15, true, 1, 1 },
        });
    // A tap on a bar lies outside the picture, so a press slid off ends outside.
    EXPECT_LT(fit.ToPicture(400, 0).at.y, 0);
    EXPECT_GE(fit.ToPicture(400, 479).at.y, 272);
    // A changed pixel reaches the output pixels around its block, clipped to the placement: pixel
    // 0,0 is output columns 0-1 and rows 13-14, and blends into the next one of each.
    EXPECT_EQ(fit.ToOutput({ 0, 0, 1, 1 }), (RECT { 0, 13, 3, 16 }));
    EXPECT_EQ(fit.ToOutput({ 479, 271, 480, 272 }), (RECT { 797, 463, 800, 466 }));
    EXPECT_EQ(fit.ToOutput({ 0, 0, 480, 272 }), (RECT { 0, 13, 800, 466 }));
    EXPECT_EQ(fit.ToOutput({ 500, 0, 600, 10 }), (RECT {}));
}

TEST(PictureFit, OnAWidePanelFillsTheHeightWithBarsLeftAndRight)
{
    const PictureFit fit(480, 272, 1280, 480);
    EXPECT_EQ(fit.Placement(), (RECT { 216, 0, 1063, 480 }));
    ExpectTaps(fit,
        { { 215, 100, false, 0, 0 }, { 216, 0, true, 0, 0 }, { 1062, 479, true, 479, 271 },
            { 1063, 479, false, 0, 0 } });
}

TEST(PictureFit, AtTheDevicesOwnSizeIsPixelForPixel)
{
    const PictureFit fit(480, 272, 480, 272);
    EXPECT_TRUE(fit.IsIdentity());
    ExpectTaps(fit, { { 0, 0, true, 0, 0 }, { 479, 271, true, 479, 271 }, { 480, 271, false, 0, 0 } });
    EXPECT_EQ(fit.ToOutput({ 10, 20, 30, 40 }), (RECT { 10, 20, 30, 40 }));
}

TEST(PictureFit, AnOutputWithNoPixelsHasNoPlacementAndNoTaps)
{
    const PictureFit fit(480, 272, 0, 0);
    EXPECT_TRUE(fit.Placement().IsEmpty());
    EXPECT_FALSE(fit.ToPicture(0, 0).onPicture);
    EXPECT_TRUE(fit.ToOutput({ 0, 0, 480, 272 }).IsEmpty());
}

TEST(WindowScale, TakesAnyFactorFromAQuarterToEightAndOneForAnythingElse)
{
    const std::pair<const char*, double> cases[] = { { "1.5", 1.5 }, { "2", 2.0 }, { "0.25", 0.25 },
        { "0.24", 1.0 }, { "8", 8.0 }, { "8.01", 1.0 }, { "2x", 1.0 }, { "nan", 1.0 }, { "", 1.0 }, { nullptr, 1.0 } };
    for (const auto& [text, scale] : cases)
        EXPECT_EQ(WindowScaleFrom(text), scale) << (text ? text : "(null)");
}
