#include "platform/draw/FontCache.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <cmath>

// A face asked for an average character width is stretched or narrowed to it, but never past
// twice or half its own: 1.95 and 0.55 times are given, 3 and 0.3 times stop at 2 and 0.5.
TEST(FontFace, GlyphsTakeTheAskedWidthUpToTwiceAndDownToHalfTheirOwn)
{
    const std::filesystem::path file = testenv::AppDir() / "fonts" / "DejaVuSans.ttf";
    const std::u32string alphabet = U"abcdefghijklmnopqrstuvwxyz";
    auto measure = [&](int width) {
        FontFace* face = FontCache::Instance().Face(file, 400, width);
        return face ? face->MeasureWidth(alphabet) : 0;
    };
    const int natural = measure(0);
    ASSERT_GT(natural, 0);
    const std::pair<double, double> cases[] = { { 1.95, 1.95 }, { 3.0, 2.0 }, { 0.55, 0.55 }, { 0.3, 0.5 } };
    for (const auto& [asked, given] : cases) {
        const int width = int(std::lround(asked * natural / 26.0));
        EXPECT_NEAR(measure(width) / double(natural), given, 0.01) << asked;
    }
}
