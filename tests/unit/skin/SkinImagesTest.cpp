#include "platform/draw/DIBitmap.h"
#include "platform/draw/ImageCodec.h"
#include "support/TestEnv.h"
#include "ui/SkinPlaces.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

namespace {

namespace place = skin::place;

// Every image the screens load: its path below images/, the size of one frame as the screens
// place it, and the frames they index.
struct ImageUse {
    const char* path;
    int width;
    int height;
    int frames;
};

const ImageUse kListed[] = {
    // Main view, its gauges and the shared return button.
    { "bg_main.pbg", 480, 272, 1 },
    { "ico_bluetooth.bti", 24, 26, 4 },
    { "btn_home.bti", 45, 32, 4 },
    { "btn_pwroff.bti", 33, 32, 4 },
    { "btn_callplace.bti", 93, 87, 4 },
    { "btn_callhist.bti", 93, 87, 4 },
    { "btn_redial.bti", 93, 87, 4 },
    { "btn_connect.bti", 93, 87, 4 },
    { "btn_pairmode.bti", 93, 87, 4 },
    { "btn_pref.bti", 93, 87, 4 },
    { "btn_vol_up.bti", 24, 23, 4 },
    { "btn_vol_dn.bti", 24, 23, 4 },
    { "btn_mute.bti", 24, 23, 4 },
    { "btn_mic_gain_up.bti", 24, 23, 4 },
    { "btn_mic_gain_dn.bti", 24, 23, 4 },
    { "mic_gage.bti", 38, 18, 6 },
    { "volume_gage.bti", 38, 18, 6 },
    { "battery_gage.bti", 29, 15, 4 },
    { "lock.bti", 16, 18, 2 },
    { "btn_gomain.bti", 33, 32, 4 },
    // Call history.
    { "callhist/bg_callhist.pbg", 480, 272, 1 },
    { "callhist/btn_dial.bti", 66, 66, 4 },
    { "callhist/btn_delselect.bti", 46, 46, 4 },
    { "callhist/btn_delall.bti", 46, 46, 4 },
    { "callhist/tab_bg.bti", 89, 29, 4 },
    // Connect.
    { "connect/bg_btconnect.pbg", 480, 272, 1 },
    { "connect/btn_connect.bti", 66, 67, 4 },
    { "connect/btn_disconnect.bti", 66, 67, 4 },
    // Incoming call.
    { "incoming/bg_incoming.pbg", 480, 272, 1 },
    { "incoming/btn_go_num.bti", 32, 29, 4 },
    { "incoming/btn_accept.bti", 60, 60, 4 },
    { "incoming/btn_deny.bti", 43, 44, 4 },
    { "incoming/btn_mic_mute.bti", 38, 38, 4 },
    { "incoming/btn_audio_trans.bti", 60, 60, 4 },
    // Outgoing call.
    { "outgoing/bg_outgoing.pbg", 480, 272, 1 },
    { "outgoing/btn_go_num.bti", 32, 29, 4 },
    { "outgoing/btn_audio_trans.bti", 60, 60, 4 },
    { "outgoing/btn_mic_mute.bti", 38, 38, 4 },
    { "outgoing/btn_end.bti", 52, 52, 4 },
    // In-call keypad: its background fills the 307 x 85 keypad window.
    { "numpad/bg_numpad.pbg", 307, 85, 1 },
    { "numpad/btn_close.bti", 22, 22, 4 },
    // Pair mode.
    { "pairmode/bg_pairmode.pbg", 480, 272, 1 },
    { "pairmode/btn_pairinghf.bti", 58, 57, 4 },
    { "pairmode/btn_pairinghs.bti", 58, 57, 4 },
    { "pairmode/btn_cancelpair.bti", 51, 50, 4 },
    { "pairmode/btn_delpair.bti", 46, 46, 4 },
    // Dial pad; its keys also serve the preferences screen.
    { "placecall/bg_placecall.pbg", 480, 272, 1 },
    { "placecall/btn_dial.bti", 66, 66, 4 },
    { "placecall/btn_callhome.bti", 59, 58, 4 },
    { "placecall/btn_callhist.bti", 59, 58, 4 },
    { "placecall/btn_pad_del.bti", 41, 36, 4 },
    // Preferences.
    { "pref/bg_pref.pbg", 480, 272, 1 },
    { "pref/btn_changehome.bti", 39, 34, 4 },
    { "pref/btn_cancelhome.bti", 39, 34, 4 },
    { "pref/btn_numpad_del.bti", 39, 34, 4 },
    { "pref/btn_answ_on.bti", 39, 30, 4 },
    { "pref/btn_answ_off.bti", 39, 30, 4 },
    { "pref/btn_ring_1.bti", 69, 21, 4 },
    { "pref/btn_ring_2.bti", 69, 21, 4 },
    { "pref/btn_ring_3.bti", 69, 21, 4 },
};

// The keys 0-9, * and # of the in-call keypad and the dial pad, named alike.
std::vector<ImageUse> AllImages()
{
    static std::vector<std::string> keyPaths;
    std::vector<ImageUse> out(std::begin(kListed), std::end(kListed));
    if (keyPaths.empty())
        for (std::string key : { "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "star", "sharp" }) {
            keyPaths.push_back("numpad/btn_numpad_" + key + ".bti");
            keyPaths.push_back("placecall/btn_pad_" + key + ".bti");
        }
    for (size_t i = 0; i < keyPaths.size(); ++i)
        out.push_back(i % 2 ? ImageUse { keyPaths[i].c_str(), 66, 26, 4 } : ImageUse { keyPaths[i].c_str(), 47, 25, 4 });
    return out;
}

const std::vector<ImageUse> kImages = AllImages();

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

std::vector<ImageUse> Buttons()
{
    std::vector<ImageUse> out;
    std::copy_if(kImages.begin(), kImages.end(), std::back_inserter(out), IsButton);
    return out;
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
class SkinButton : public ::testing::TestWithParam<ImageUse> { };

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

TEST_P(SkinButton, LooksPressedAndDisabledDifferently)
{
    const ImageUse& use = GetParam();
    Surface strip = Load(use.path);
    ASSERT_FALSE(strip.IsEmpty());
    auto normal = Frame(strip, use.width, 0), pressed = Frame(strip, use.width, 1),
         disabled = Frame(strip, use.width, 3);
    EXPECT_NE(normal, pressed);
    EXPECT_NE(normal, disabled);
    EXPECT_NE(pressed, disabled);
    // A greyed button is quieter than a live one: less spread between its darkest and lightest.
    auto spread = [](const std::vector<uint32_t>& px) {
        auto [lo, hi] = std::minmax_element(
            px.begin(), px.end(), [](uint32_t a, uint32_t b) { return Luminance(a) < Luminance(b); });
        return Luminance(*hi) - Luminance(*lo);
    };
    EXPECT_LT(spread(disabled), spread(normal)) << use.path;
}

INSTANTIATE_TEST_SUITE_P(AllImages, SkinImage, ::testing::ValuesIn(kImages), TestName);
INSTANTIATE_TEST_SUITE_P(AllButtons, SkinButton, ::testing::ValuesIn(Buttons()), TestName);

TEST(SkinGauges, EveryLevelOfAGaugeLooksDifferent)
{
    for (const char* path :
        { "mic_gage.bti", "volume_gage.bti", "battery_gage.bti", "lock.bti", "ico_bluetooth.bti" }) {
        auto use = std::find_if(kImages.begin(), kImages.end(),
            [&](const ImageUse& u) { return std::string(u.path) == path; });
        Surface strip = Load(path);
        ASSERT_FALSE(strip.IsEmpty()) << path;
        for (int a = 0; a < use->frames; ++a)
            for (int b = a + 1; b < use->frames; ++b)
                EXPECT_NE(Frame(strip, use->width, a), Frame(strip, use->width, b))
                    << path << " frames " << a << ", " << b;
    }
}

namespace {

// Strips are copied onto their screen without transparency, so the pixels around a rounded
// button or a gauge must be the background's own.
// A sample of places, one or more of every screen, against the background it is placed on.
struct Placement {
    const skin::place::Control& strip;
    const char* background;
};

constexpr Placement kPlacements[] = {
    { place::main::btn_home, "bg_main.pbg" },
    { place::main::btn_callplace, "bg_main.pbg" },
    { place::main::btn_pref, "bg_main.pbg" },
    { place::main::btn_mute, "bg_main.pbg" },
    { place::main::mic_gage, "bg_main.pbg" },
    { place::main::volume_gage, "bg_main.pbg" },
    { place::main::battery_gage, "bg_main.pbg" },
    { place::main::lock, "bg_main.pbg" },
    { place::main::ico_bluetooth, "bg_main.pbg" },
    { place::connect::btn_gomain, "connect/bg_btconnect.pbg" },
    { place::incoming::btn_accept, "incoming/bg_incoming.pbg" },
    { place::incoming::btn_go_num, "incoming/bg_incoming.pbg" },
    { place::outgoing::btn_end, "outgoing/bg_outgoing.pbg" },
    { place::numpad::btn_close, "numpad/bg_numpad.pbg" },
    { place::numpad::btn_numpad_sharp, "numpad/bg_numpad.pbg" },
    { place::placecall::btn_pad_1, "placecall/bg_placecall.pbg" },
    { place::placecall::btn_dial, "placecall/bg_placecall.pbg" },
    { place::pairmode::btn_delpair, "pairmode/bg_pairmode.pbg" },
    { place::callhist::tab_bg[0], "callhist/bg_callhist.pbg" },
    { place::pref::btn_ring_3, "pref/bg_pref.pbg" },
};

// "connect\\btn_connect.bti" as a path below images/.
std::string StripPath(const char16_t* image)
{
    std::string path;
    for (const char16_t* c = image; *c; ++c)
        path += *c == u'\\' ? '/' : char(*c);
    return path;
}

}

TEST(SkinPlacement, StripCornersMatchTheBackgroundBehindThem)
{
    for (const Placement& p : kPlacements) {
        const std::string path = StripPath(p.strip.image);
        auto use = std::find_if(kImages.begin(), kImages.end(),
            [&](const ImageUse& u) { return u.path == path; });
        ASSERT_NE(use, kImages.end()) << path;
        Surface strip = Load(path), background = Load(p.background);
        ASSERT_FALSE(strip.IsEmpty() || background.IsEmpty()) << path;
        const int x = p.strip.rect.left, y = p.strip.rect.top;
        EXPECT_EQ(p.strip.rect.Width(), use->width) << path;
        for (int f = 0; f < use->frames; ++f) {
            EXPECT_EQ(strip.Pixel(f * use->width, 0), background.Pixel(x, y)) << path << " frame " << f;
            EXPECT_EQ(strip.Pixel(f * use->width + use->width - 1, 0), background.Pixel(x + use->width - 1, y))
                << path << " frame " << f;
        }
    }
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
