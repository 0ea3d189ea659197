#include "platform/backends/PictureScaler.h"
#include "platform/backends/ScalerKernels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

constexpr uint32_t kUntouched = 0x123456;

// An output buffer filled with a colour the scaler never writes, so that bars stay visible.
struct Output {
    Output(int w, int h)
        : width(w)
        , pixels(size_t(w) * size_t(h), kUntouched)
    {
    }
    uint32_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    int width;
    std::vector<uint32_t> pixels;
};

// A 480 x 272 picture of pixels drawn from the seed, only the bits of `mask` kept.
std::vector<uint32_t> RandomPicture(unsigned seed, uint32_t mask = 0xFFFFFF)
{
    std::mt19937 random(seed);
    std::vector<uint32_t> picture(480 * 272);
    for (uint32_t& pixel : picture)
        pixel = random() & mask;
    return picture;
}

}

// A blend each side of the stroke, each channel on its own: magenta two thirds and green one third
// give 0xAA54AA, with no carry from one channel into the next.
TEST(PictureScaler, AOnePixelStrokeKeepsItsFullColourWithOneBlendedPixelEachSideAndTheBarsStay)
{
    // 3 x 1 onto 5 x 5: factor 5/3, placed on rows 1-2.
    const PictureFit fit(3, 1, 5, 5);
    ASSERT_EQ(fit.Placement(), (RECT { 0, 1, 5, 3 }));
    const std::pair<std::vector<uint32_t>, std::vector<uint32_t>> cases[] = {
        { { 0x000000, 0xFFFFFF, 0x000000 }, { 0x000000, 0x545454, 0xFFFFFF, 0x545454, 0x000000 } },
        { { 0xFF00FF, 0x00FF00, 0xFF00FF }, { 0xFF00FF, 0xAA54AA, 0x00FF00, 0xAA54AA, 0xFF00FF } },
    };
    for (const auto& [picture, row] : cases) {
        Output out(5, 5);
        PictureScaler(fit).Scale(picture.data(), 3, fit.ToOutput({ 0, 0, 3, 1 }), out.pixels.data(), 5);
        std::vector<uint32_t> expected(5 * 5, kUntouched);
        for (int y : { 1, 2 })
            std::copy(row.begin(), row.end(), expected.begin() + 5 * y);
        EXPECT_EQ(out.pixels, expected);
    }
}

// Wide enough for whole blocks of four columns; each form of the inner loops the processor runs.
TEST(PictureScaler, EveryFormOfTheLoopsBlendsAcrossAndDownAlike)
{
    const std::vector<uint32_t> first { 0x000000, 0xFFFFFF, 0x336699, 0xFF0000, 0x00FF00, 0x0000FF, 0x808080,
        0x102030, 0xFFFFFF, 0x000000, 0xC0C0C0, 0x404040 };
    std::vector<uint32_t> picture = first;
    picture.resize(36, 0xFFFFFF);
    const std::vector<uint32_t> across { 0x000000, 0x545454, 0xFFFFFF, 0x7698BA, 0x336699, 0xFF0000, 0xAA5400,
        0x00FF00, 0x0054AA, 0x0000FF, 0x808080, 0x5A6065, 0x102030, 0xAFB4BA, 0xFFFFFF, 0x000000, 0x3F3F3F,
        0xC0C0C0, 0x6A6A6A, 0x404040 };
    // A third of the way down to the white row.
    const std::vector<uint32_t> down { 0x545454, 0x8C8C8C, 0xFFFFFF, 0xA3BAD0, 0x7698BA, 0xFF5454, 0xC68C54,
        0x54FF54, 0x548CC6, 0x5454FF, 0xAAAAAA, 0x909498, 0x5F6A74, 0xC9CCD0, 0xFFFFFF, 0x545454, 0x7E7E7E,
        0xD4D4D4, 0x9B9B9B, 0x7F7F7F };
    const PictureFit fit(12, 3, 20, 5);
    for (const scaler::Kernels* kernels : { &scaler::Best(), &scaler::Plain() }) {
        PictureScaler scaler(fit, *kernels);
        Output out(20, 5);
        scaler.Scale(picture.data(), 12, fit.ToOutput({ 0, 0, 12, 3 }), out.pixels.data(), 20);
        EXPECT_EQ(std::vector<uint32_t>(out.pixels.begin(), out.pixels.begin() + 20), across);
        EXPECT_EQ(std::vector<uint32_t>(out.pixels.begin() + 20, out.pixels.begin() + 40), down);
        EXPECT_EQ(out.At(7, 2), 0xFFFFFFu);
    }
}

// The widest form against the plain one on pictures of every kind of pixel, made larger by whole and
// broken factors and smaller, whole and in parts that start and end anywhere.
TEST(PictureScaler, TheWidestFormGivesThePlainFormsPixelsOnEveryPanel)
{
    const std::vector<uint32_t> picture = RandomPicture(11, 0xFFFFFFFF);
    const std::vector<POINT> panels { { 800, 480 }, { 1024, 600 }, { 1280, 800 }, { 960, 544 }, { 481, 273 },
        { 320, 240 }, { 1920, 1080 } };
    const std::vector<RECT> areas { { 0, 0, 480, 272 }, { 1, 1, 2, 2 }, { 3, 10, 77, 11 }, { 401, 200, 480, 272 } };
    for (const POINT& panel : panels) {
        const PictureFit fit(480, 272, int(panel.x), int(panel.y));
        for (const RECT& area : areas) {
            Output wide(int(panel.x), int(panel.y));
            Output plain(int(panel.x), int(panel.y));
            PictureScaler(fit, scaler::Best()).Scale(picture.data(), 480, fit.ToOutput(area), wide.pixels.data(), wide.width);
            PictureScaler(fit, scaler::Plain())
                .Scale(picture.data(), 480, fit.ToOutput(area), plain.pixels.data(), plain.width);
            EXPECT_EQ(wide.pixels, plain.pixels) << panel.x << "x" << panel.y << " area " << area.left << "," << area.top;
        }
    }
}

// Output areas as a caller may give them, not widened to whole picture pixels: the first and last
// columns and rows may be blends (at 800 x 480 output column 1 blends picture pixels 0 and 1).
TEST(PictureScaler, AnOutputAreaEndingOnABlendGivesTheWholeFramesPixels)
{
    std::vector<uint32_t> picture = RandomPicture(5);
    const PictureFit fit(480, 272, 800, 480);
    Output whole(800, 480);
    PictureScaler(fit).Scale(picture.data(), 480, fit.ToOutput({ 0, 0, 480, 272 }), whole.pixels.data(), 800);
    for (const scaler::Kernels* kernels : { &scaler::Best(), &scaler::Plain() }) {
        for (const RECT& area : { RECT { 0, 13, 2, 15 }, RECT { 1, 14, 4, 16 }, RECT { 3, 100, 12, 101 },
                 RECT { 795, 460, 800, 466 } }) {
            Output part(800, 480);
            PictureScaler(fit, *kernels).Scale(picture.data(), 480, area, part.pixels.data(), 800);
            for (LONG y = area.top; y < area.bottom; ++y)
                for (LONG x = area.left; x < area.right; ++x)
                    EXPECT_EQ(part.At(int(x), int(y)), whole.At(int(x), int(y))) << x << "," << y;
        }
    }
}
