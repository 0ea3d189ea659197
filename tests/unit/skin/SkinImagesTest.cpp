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
#include <ostream>
#include <string>
#include <vector>

namespace {

namespace place = skin::place;

// Where the skin description puts an image: a background and the top-left corner on it.
struct Place {
    std::string background;
    int x;
    int y;
};

// Every image the skin describes: its path below images/, the size of one frame, its frames and
// the places the screens show it.
struct ImageUse {
    std::string path;
    int width;
    int height;
    int frames;
    std::vector<Place> places;
};

// The images of every skin description, read by the generator's own parser (tested on its own).
std::vector<ImageUse> DescribedImages()
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
    std::vector<ImageUse> out;
    for (const ImageEntry& image : skin.images) {
        out.push_back({ image.path, image.width, image.height, image.frames, {} });
        for (const Directive& d : image.body)
            if (d.name == "place")
                out.back().places.push_back({ d.args.at(0), std::stoi(d.args.at(1)), std::stoi(d.args.at(2)) });
    }
    return out;
}

const std::vector<ImageUse> kImages = DescribedImages();

bool IsStrip(const std::string& path)
{
    return path.size() > 4 && path.substr(path.size() - 4) == ".bti";
}

std::filesystem::path ImagePath(const std::string& path)
{
    return testenv::AppDir() / "images" / path;
}

uint32_t Le(const std::string& bytes, size_t at, int count)
{
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + size_t(i)]);
    return value;
}

Surface Load(const std::string& path)
{
    if (IsStrip(path)) {
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

void PrintTo(const ImageUse& use, std::ostream* out)
{
    *out << use.path;
}

bool IsButton(const ImageUse& use)
{
    std::string name = std::filesystem::path(use.path).filename().string();
    return name.rfind("btn_", 0) == 0 || name.rfind("tab_", 0) == 0;
}

std::string TestName(const ::testing::TestParamInfo<ImageUse>& info)
{
    std::string name = info.param.path;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

class SkinImage : public ::testing::TestWithParam<ImageUse> { };

}

TEST(SkinDescriptions, DescribeEveryImageTheScreensLoad)
{
    EXPECT_EQ(kImages.size(), 84u);
    for (const char* path : { "bg_main.pbg", "numpad/bg_numpad.pbg", "btn_gomain.bti", "lock.bti",
             "callhist/tab_bg.bti", "numpad/btn_numpad_star.bti", "placecall/btn_pad_sharp.bti", "pref/btn_ring_3.bti" })
        EXPECT_TRUE(std::any_of(kImages.begin(), kImages.end(), [&](const ImageUse& u) { return u.path == path; }))
            << path;
}

TEST_P(SkinImage, ExistsWithTheFrameSizeAndCountItsScreenUses)
{
    const ImageUse& use = GetParam();
    std::string bytes = testenv::ReadFile(ImagePath(use.path));
    ASSERT_FALSE(bytes.empty()) << use.path << " is missing";
    if (IsStrip(use.path)) {
        // A Windows bitmap: file header, then the info header with width, height and depth.
        ASSERT_GE(bytes.size(), 54u);
        EXPECT_EQ(bytes.substr(0, 2), "BM");
        EXPECT_EQ(Le(bytes, 14, 4), 40u) << "not a BITMAPINFOHEADER";
        int width = int(Le(bytes, 18, 4));
        int height = int(Le(bytes, 22, 4));
        EXPECT_EQ(Le(bytes, 28, 2), 24u) << "not 24 bits per pixel";
        EXPECT_EQ(height, use.height) << "a positive height: bottom-up rows";
        EXPECT_EQ(width % use.width, 0) << "frames of unequal width";
        EXPECT_GE(width / use.width, use.frames);
    } else {
        ASSERT_GE(bytes.size(), 24u);
        EXPECT_EQ(bytes.substr(1, 3), "PNG");
        EXPECT_EQ(int(uint32_t(uint8_t(bytes[16])) << 24 | uint32_t(uint8_t(bytes[17])) << 16
                      | uint32_t(uint8_t(bytes[18])) << 8 | uint8_t(bytes[19])),
            use.width);
    }
    // And the application's own decoder reads it at that size.
    Surface image = Load(use.path);
    EXPECT_EQ(image.Height(), use.height);
    EXPECT_GE(image.Width(), use.width * use.frames);
}

INSTANTIATE_TEST_SUITE_P(AllImages, SkinImage, ::testing::ValuesIn(kImages), TestName);

// Every level of a gauge, and a button's normal, pressed and disabled frames, look different; a
// greyed button is quieter than a live one: less spread between its darkest and lightest.
TEST(SkinFrames, GaugeLevelsAndButtonStatesLookDifferent)
{
    auto spread = [](const std::vector<uint32_t>& px) {
        auto [lo, hi] = std::minmax_element(
            px.begin(), px.end(), [](uint32_t a, uint32_t b) { return Luminance(a) < Luminance(b); });
        return Luminance(*hi) - Luminance(*lo);
    };
    for (const ImageUse& use : kImages) {
        bool gauge = use.path.find("gage") != std::string::npos || use.path == "lock.bti"
            || use.path == "ico_bluetooth.bti";
        if (!gauge && !IsButton(use))
            continue;
        Surface strip = Load(use.path);
        ASSERT_FALSE(strip.IsEmpty()) << use.path;
        std::vector<int> frames { 0, 1, 3 };
        if (gauge) {
            frames.resize(size_t(use.frames));
            std::iota(frames.begin(), frames.end(), 0);
        }
        for (size_t a = 0; a < frames.size(); ++a)
            for (size_t b = a + 1; b < frames.size(); ++b)
                EXPECT_NE(Frame(strip, use.width, frames[a]), Frame(strip, use.width, frames[b]))
                    << use.path << " frames " << frames[a] << ", " << frames[b];
        if (!gauge) {
            EXPECT_LT(spread(Frame(strip, use.width, 3)), spread(Frame(strip, use.width, 0))) << use.path;
        }
    }
}

// Strips are copied onto their screen without transparency, so the pixels around a rounded
// button or a gauge must be those of the background at its (first) place.
TEST(SkinPlacement, StripCornersMatchTheBackgroundBehindThem)
{
    int checked = 0;
    for (const ImageUse& use : kImages) {
        if (use.places.empty())
            continue;
        const Place& p = use.places.front();
        Surface strip = Load(use.path), background = Load(p.background);
        ASSERT_FALSE(strip.IsEmpty() || background.IsEmpty()) << use.path;
        for (int f = 0; f < use.frames; ++f) {
            EXPECT_EQ(strip.Pixel(f * use.width, 0), background.Pixel(p.x, p.y)) << use.path << " frame " << f;
            EXPECT_EQ(strip.Pixel(f * use.width + use.width - 1, 0), background.Pixel(p.x + use.width - 1, p.y))
                << use.path << " frame " << f;
        }
        ++checked;
    }
    EXPECT_EQ(checked, 75);
}

namespace {

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

// WCAG's contrast ratio between two luminances.
double Contrast(double a, double b)
{
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

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
        EXPECT_GE(Contrast(Luminance(t.ink), hi), kMinContrast)
            << t.background << " at " << t.area.left << "," << t.area.top;
    }
}
