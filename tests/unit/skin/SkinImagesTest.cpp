#include "SkinDescription.h"

#include "platform/draw/DIBitmap.h"
#include "platform/draw/ImageCodec.h"
#include "support/TestEnv.h"
#include "ui/SkinPlaces.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

namespace {

namespace place = skin::place;

// Every image of every skin description (its path below images/, the size of one frame, its
// frames and the places the screens show it), read by the generator's own parser.
SkinDescription ReadSkin()
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(testenv::SourceDir() / "assets/skin"))
        if (entry.path().extension() == ".skin")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    SkinDescription skin;
    std::string error;
    for (const auto& file : files)
        if (!skin.Parse(testenv::ReadFile(file), file.filename().string(), error))
            return {};
    return skin;
}

const std::vector<ImageEntry> kImages = ReadSkin().images;

std::filesystem::path ImagePath(const std::string& path)
{
    return testenv::AppDir() / "images" / path;
}

Surface Load(const std::string& path)
{
    if (path.ends_with(".bti")) {
        auto bitmap = LoadDIBitmap(ImagePath(path));
        return bitmap ? bitmap->Pixels() : Surface();
    }
    return DecodeImageFile(ImagePath(path)).value_or(Surface());
}

// One frame of a strip, as its pixels.
std::vector<uint32_t> Frame(const Surface& strip, int width, int index)
{
    std::vector<uint32_t> pixels;
    for (int y = 0; y < strip.Height(); ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(strip.Pixel(index * width + x, y));
    return pixels;
}

double Luminance(uint32_t p)
{
    auto linear = [](double c) {
        c /= 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear((p >> 16) & 0xFF) + 0.7152 * linear((p >> 8) & 0xFF) + 0.0722 * linear(p & 0xFF);
}

bool IsButton(const ImageEntry& use)
{
    std::string name = std::filesystem::path(use.path).filename().string();
    return name.starts_with("btn_") || name.starts_with("tab_");
}

bool IsGauge(const ImageEntry& use)
{
    return use.path.find("gage") != std::string::npos || use.path == "lock.bti"
        || use.path == "ico_bluetooth.bti";
}

// Spread between a frame's darkest and lightest pixel.
double Spread(const std::vector<uint32_t>& px)
{
    auto [lo, hi] = std::minmax_element(
        px.begin(), px.end(), [](uint32_t a, uint32_t b) { return Luminance(a) < Luminance(b); });
    return Luminance(*hi) - Luminance(*lo);
}

// Where the program writes on a background, and in what colour: the area must be calm (no
// edges or icons under the text) and the text must stand out from it. The status and hint lines
// are centred texts, checked short of their ends where the panel's corners round off.
struct TextArea {
    const char* background;
    RECT area;
    uint32_t ink;
};

constexpr uint32_t kStatusInk = 0xFFFF64;
constexpr uint32_t kWhite = 0xFFFFFF;

// Two pixels inside a text's rectangle, clear of the panel edges around it.
constexpr RECT Inside(const RECT& r)
{
    return { r.left + 2, r.top + 2, r.right - 2, r.bottom - 2 };
}

// A call number is drawn from the top of its field, one line of 28 pixels.
constexpr RECT NumberLine(const RECT& r)
{
    return { r.left + 2, r.top, r.right - 2, r.top + 28 };
}

constexpr TextArea kTextAreas[] = {
    { "bg_main.pbg", { 56, 239, 420, 253 }, kStatusInk },
    { "bg_main.pbg", { 56, 256, 420, 270 }, kWhite },
    { "bg_main.pbg", { 432, 9, 472, 27 }, 0x22BDF3 },
    { "connect/bg_btconnect.pbg", { 56, 256, 420, 270 }, kWhite },
    { "connect/bg_btconnect.pbg", Inside(place::connect::address_heading), kWhite },
    { "connect/bg_btconnect.pbg", Inside(place::connect::name_heading), kWhite },
    { "pairmode/bg_pairmode.pbg", Inside(place::pairmode::address_heading), kWhite },
    { "pairmode/bg_pairmode.pbg", Inside(place::pairmode::name_heading), kWhite },
    { "pairmode/bg_pairmode.pbg", { 56, 256, 420, 270 }, kWhite },
    { "callhist/bg_callhist.pbg", { 56, 239, 420, 253 }, kStatusInk },
    { "incoming/bg_incoming.pbg", Inside(place::incoming::message), 0x0E7EFB },
    { "incoming/bg_incoming.pbg", NumberLine(place::incoming::number), 0x0EBBFB },
    { "incoming/bg_incoming.pbg", Inside(place::incoming::call_time), 0x0EBBFB },
    { "outgoing/bg_outgoing.pbg", Inside(place::outgoing::message), 0x0E7EFB },
    { "outgoing/bg_outgoing.pbg", NumberLine(place::outgoing::number), 0x0EBBFB },
    { "outgoing/bg_outgoing.pbg", Inside(place::outgoing::call_time), 0x0EBBFB },
    { "placecall/bg_placecall.pbg", Inside(place::placecall::number), 0x0FBAFF },
    { "placecall/bg_placecall.pbg", { 56, 256, 420, 270 }, kWhite },
    { "pref/bg_pref.pbg", Inside(place::pref::number), 0x0064FF },
    { "pref/bg_pref.pbg", Inside(place::pref::number), 0xFF6400 },
};

}

// Each image the skin describes is built at the frame size and count its screens use and the
// application's own decoder reads it: a strip is frames side by side, a background a PNG file.
// Every level of a gauge, and a button's normal, pressed and disabled frames, look different; a
// greyed button is quieter than a live one. Strips are copied onto their screen without
// transparency, so the pixels around a rounded button or a gauge must be those of the background
// at its (first) place.
TEST(SkinImages, AreBuiltAtTheirSizeWithDistinctFramesThatBlendIntoTheirPlace)
{
    EXPECT_EQ(kImages.size(), 84u);
    for (const char* path :
        { "bg_main.pbg", "numpad/bg_numpad.pbg", "btn_gomain.bti", "lock.bti", "callhist/tab_bg.bti",
            "numpad/btn_numpad_star.bti", "placecall/btn_pad_sharp.bti", "pref/btn_ring_3.bti" })
        EXPECT_TRUE(std::any_of(kImages.begin(), kImages.end(), [&](const ImageEntry& u) {
            return u.path == path;
        })) << path;
    int placed = 0;
    for (const ImageEntry& use : kImages) {
        SCOPED_TRACE(use.path);
        Surface image = Load(use.path);
        ASSERT_FALSE(image.IsEmpty()) << "missing or unreadable";
        EXPECT_EQ(image.Height(), use.height);
        if (!use.path.ends_with(".bti")) {
            EXPECT_EQ(image.Width(), use.width);
            EXPECT_EQ(testenv::ReadFile(ImagePath(use.path)).substr(1, 3), "PNG");
            continue;
        }
        EXPECT_EQ(image.Width() % use.width, 0) << "frames of unequal width";
        ASSERT_GE(image.Width() / use.width, use.frames);

        std::vector<int> frames { 0, 1, 3 };
        if (IsGauge(use)) {
            frames.resize(size_t(use.frames));
            std::iota(frames.begin(), frames.end(), 0);
        }
        for (size_t a = 0; (IsGauge(use) || IsButton(use)) && a < frames.size(); ++a)
            for (size_t b = a + 1; b < frames.size(); ++b)
                EXPECT_NE(Frame(image, use.width, frames[a]), Frame(image, use.width, frames[b]))
                    << "frames " << frames[a] << ", " << frames[b];
        EXPECT_TRUE(!IsButton(use) || Spread(Frame(image, use.width, 3)) < Spread(Frame(image, use.width, 0)))
            << "a greyed button is quieter than a live one";

        auto place = std::find_if(
            use.body.begin(), use.body.end(), [](const Directive& d) { return d.name == "place"; });
        if (place == use.body.end())
            continue;
        const int x = std::stoi(place->args.at(1)), y = std::stoi(place->args.at(2));
        Surface background = Load(place->args.at(0));
        ASSERT_FALSE(background.IsEmpty());
        ++placed;
        for (int f = 0; f < use.frames; ++f) {
            EXPECT_EQ(image.Pixel(f * use.width, 0), background.Pixel(x, y)) << "frame " << f;
            EXPECT_EQ(image.Pixel(f * use.width + use.width - 1, 0), background.Pixel(x + use.width - 1, y))
                << "frame " << f;
        }
    }
    EXPECT_EQ(placed, 75);
}

TEST(SkinTextAreas, AreCalmAndLetTheirTextStandOut)
{
    // Large bold text needs a ratio of 3 to read; a calm area varies less than a faint gradient.
    constexpr double kMinContrast = 3.0;
    constexpr double kMaxLuminanceSpread = 0.02;
    for (const TextArea& t : kTextAreas) {
        Surface bg = Load(t.background);
        ASSERT_FALSE(bg.IsEmpty()) << t.background;
        double lo = 1, hi = 0;
        POINT darkest {}, lightest {};
        for (int y = t.area.top; y < t.area.bottom; ++y)
            for (int x = t.area.left; x < t.area.right; ++x) {
                double l = Luminance(bg.Pixel(x, y));
                if (l < lo)
                    lo = l, darkest = { x, y };
                if (l > hi)
                    hi = l, lightest = { x, y };
            }
        EXPECT_LT(hi - lo, kMaxLuminanceSpread)
            << t.background << ": darkest at " << darkest.x << "," << darkest.y << ", lightest at "
            << lightest.x << "," << lightest.y;
        // WCAG's contrast ratio between the ink and the lightest of the area.
        EXPECT_GE(
            (std::max(Luminance(t.ink), hi) + 0.05) / (std::min(Luminance(t.ink), hi) + 0.05), kMinContrast)
            << t.background << " at " << t.area.left << "," << t.area.top;
    }
}
