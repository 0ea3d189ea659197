#include "platform/draw/Bitmap.h"
#include "platform/draw/Blit.h"
#include "platform/draw/MemoryDC.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kWhite = 0xFFFFFF;

// A memory context over a bitmap, both owned, as a paint handler would set them up.
struct MemoryCanvas {
    MemoryCanvas(int w, int h, uint32_t fill)
        : bitmap(w, h, fill)
        , dc(CreateCompatibleDC(nullptr))
    {
        dc->SelectBitmap(&bitmap);
    }
    Bitmap bitmap;
    std::unique_ptr<MemoryDC> dc;
};

}

TEST(StretchBlt, ScalesACheckerKeepingCornerColoursAndBlendingTheMiddle)
{
    // Corner i is at column i % 2 and row i / 2, in the checker and in the band it fills.
    const uint32_t corners[] = { kRed, kGreen, kBlue, kWhite };
    MemoryCanvas checker(2, 2, 0);
    for (int i = 0; i < 4; ++i)
        checker.bitmap.Pixels().SetPixel(i % 2, i / 2, corners[i]);
    MemoryCanvas band(480, 272, 0);
    ASSERT_TRUE(StretchBlt(band.dc.get(), 0, 37, 480, 200, checker.dc.get(), 0, 0, 2, 2));

    const Surface& s = band.bitmap.Pixels();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(s.Pixel(i % 2 * 479, 37 + i / 2 * 199), corners[i]) << i;
    EXPECT_EQ(s.Pixel(240, 36), 0u);
    EXPECT_EQ(s.Pixel(240, 237), 0u);
    // Bilinear: the centre is an even mix of all four, half of each channel.
    uint32_t mid = s.Pixel(240, 137);
    for (int shift : { 0, 8, 16 })
        EXPECT_NEAR(int((mid >> shift) & 0xFF), 0x7F, 8);
}

// Scaled in height only, rows are mixed several pixels at a time: every channel and every pixel
// of a row (five: one past a group of four) gets the same exact mix.
TEST(StretchBlt, ScalingInHeightOnlyMixesEveryChannelOfEveryPixelExactly)
{
    MemoryCanvas source(5, 2, 0x102030);
    source.bitmap.Pixels().Fill({ 0, 1, 5, 2 }, 0xF0E0D0);
    MemoryCanvas dest(5, 4, 0);
    ASSERT_TRUE(StretchBlt(dest.dc.get(), 0, 0, 5, 4, source.dc.get(), 0, 0, 5, 2));
    const uint32_t rows[] = { 0x102030, 0x485058, 0xB8B0A8, 0xF0E0D0 };
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(dest.bitmap.Pixels().Pixel(x, y), rows[y]) << x << "," << y;
}

TEST(Blit, RefusesEmptyOrAbsurdBitmapsMissingContextsOtherOperationsAndSourcesOffTheSource)
{
    // 8192 pixels a side at most, either way.
    const std::tuple<int, int, bool> sizes[] = { { 480, 272, true }, { 0, 272, false }, { 480, -1, false },
        { 8192, 1, true }, { 1, 8192, true }, { 8193, 1, false }, { 1, 8193, false } };
    for (auto [w, h, made] : sizes)
        EXPECT_EQ(CreateCompatibleBitmap(nullptr, w, h) != nullptr, made) << w << "x" << h;

    MemoryCanvas canvas(8, 8, 0);
    MemoryCanvas source(4, 4, kRed);
    auto empty = CreateCompatibleDC(nullptr);
    EXPECT_FALSE(BitBlt(canvas.dc.get(), 0, 0, 4, 4, nullptr, 0, 0));
    EXPECT_FALSE(BitBlt(canvas.dc.get(), 0, 0, 4, 4, empty.get(), 0, 0));
    EXPECT_FALSE(BitBlt(canvas.dc.get(), 0, 0, 4, 4, source.dc.get(), 0, 0, 0x00EE0086));
    StretchBlt(canvas.dc.get(), 0, 0, 8, 8, source.dc.get(), 2, 2, 4, 4);
    EXPECT_EQ(canvas.bitmap.Pixels().Pixel(4, 4), 0u);
}
