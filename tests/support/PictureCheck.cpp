#include "PictureCheck.h"

#include "platform/draw/ImageCodec.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace fs = std::filesystem;

namespace testenv {

namespace {

// A dimmed copy of the drawn picture with every differing pixel red.
Surface DiffImage(const Surface& drawn, const Surface& committed)
{
    Surface diff(drawn.Width(), drawn.Height());
    for (int y = 0; y < drawn.Height(); ++y) {
        for (int x = 0; x < drawn.Width(); ++x) {
            const uint32_t p = drawn.Pixel(x, y);
            diff.SetPixel(x, y, p == committed.Pixel(x, y) ? (p >> 2) & 0x3F3F3F : 0xFF0000);
        }
    }
    return diff;
}

// Where two pictures of one size differ: the box around every differing pixel and their count.
struct PictureDifference {
    int pixels = 0;
    RECT box {};
};

PictureDifference ComparePictures(const Surface& drawn, const Surface& committed)
{
    PictureDifference d;
    d.box = { drawn.Width(), drawn.Height(), 0, 0 };
    for (int y = 0; y < drawn.Height(); ++y) {
        for (int x = 0; x < drawn.Width(); ++x) {
            if (drawn.Pixel(x, y) == committed.Pixel(x, y))
                continue;
            ++d.pixels;
            d.box.left = std::min<LONG>(d.box.left, x);
            d.box.top = std::min<LONG>(d.box.top, y);
            d.box.right = std::max<LONG>(d.box.right, x + 1);
            d.box.bottom = std::max<LONG>(d.box.bottom, y + 1);
        }
    }
    return d;
}

}

::testing::AssertionResult MatchesPicture(const Surface& drawn, const std::string& name,
    const fs::path& folder, const fs::path& outFolder)
{
    const fs::path committed = folder / (name + ".png");
    if (const char* update = std::getenv("OSTRILAN_UPDATE_SCREENS"); update && std::string(update) == "1") {
        fs::create_directories(folder);
        if (!SavePng(drawn, committed))
            return ::testing::AssertionFailure() << "could not write " << committed;
        return ::testing::AssertionSuccess();
    }
    std::optional<Surface> picture = DecodeImageFile(committed);
    std::error_code ignored;
    fs::create_directories(outFolder, ignored);
    if (!picture || picture->Width() != drawn.Width() || picture->Height() != drawn.Height()) {
        SavePng(drawn, outFolder / (name + ".png"));
        auto failure = ::testing::AssertionFailure() << "picture " << name << ": ";
        if (!picture)
            return failure << "no readable " << committed << " (drawn one in " << outFolder.string() << ")";
        return failure << "committed " << picture->Width() << "x" << picture->Height() << ", drawn "
                       << drawn.Width() << "x" << drawn.Height();
    }
    const PictureDifference d = ComparePictures(drawn, *picture);
    if (d.pixels == 0) {
        // What an earlier run left for this picture no longer applies.
        fs::remove(outFolder / (name + ".png"), ignored);
        fs::remove(outFolder / (name + "-diff.png"), ignored);
        return ::testing::AssertionSuccess();
    }
    SavePng(drawn, outFolder / (name + ".png"));
    SavePng(DiffImage(drawn, *picture), outFolder / (name + "-diff.png"));
    return ::testing::AssertionFailure() << "picture " << name << " differs in " << d.pixels
        << " pixels within (" << d.box.left << "," << d.box.top << ")-(" << d.box.right << ","
        << d.box.bottom << "); drawn and diff images in " << outFolder.string();
}

}
