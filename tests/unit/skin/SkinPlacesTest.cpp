#include "ui/SkinPlaces.h"
#include "support/DeviceSkinText.h"
#include "ui/SkinPlacesFile.h"

#include <gtest/gtest.h>

namespace {

namespace place = skin::place;

using testenv::Replaced;

class SkinPlaces : public ::testing::Test {
protected:
    void TearDown() override { skin::RestoreDevicePlaces(); }
    const std::string device = testenv::DeviceSkinLayout();
};

void ExpectDevicePlaces()
{
    EXPECT_EQ(place::incoming::btn_accept.rect, (RECT { 314, 56, 374, 116 }));
    EXPECT_EQ(std::u16string(place::incoming::btn_accept.image), u"incoming\\btn_accept.bti");
    EXPECT_EQ(place::callhist::tab_bg[2].rect, (RECT { 227, 48, 316, 77 }));
    EXPECT_EQ(place::callhist::list_row_height, 35);
    EXPECT_EQ(skin::font::incoming::message.height, 18);
    EXPECT_EQ(skin::font::incoming::message.width, 7);
    EXPECT_EQ(skin::font::incoming::message.color, RGB(0x0e, 0x7e, 0xfb));
    EXPECT_EQ(skin::colour::pref::number_edited, RGB(0xff, 0x64, 0x00));
    EXPECT_EQ(place::shared::full_screen, (RECT { 0, 0, 480, 272 }));
}

}

// From skingen's text. A moved control and a changed font through the application: SkinChoiceTest.
TEST_F(SkinPlaces, TextOfTheDeviceSkinReadsBackAndAMovedControlMoves)
{
    std::string error;
    ASSERT_TRUE(skin::ApplyPlaces(device, error)) << error;
    ExpectDevicePlaces();

    std::string moved = Replaced(device, "control incoming btn_accept incoming/btn_accept.bti 314 56 374 116",
        "control incoming btn_accept big/accept.bti 500 300 700 400");
    moved = Replaced(moved, "number callhist list_row_height 35", "number callhist list_row_height 62");
    moved = Replaced(moved, "colour pref number_edited #ff6400", "colour pref number_edited #F0e0D0");
    ASSERT_TRUE(skin::ApplyPlaces(moved, error)) << error;
    EXPECT_EQ(skin::colour::pref::number_edited, RGB(0xf0, 0xe0, 0xd0));
    EXPECT_EQ(std::u16string(place::incoming::btn_accept.image), u"big\\accept.bti");
    EXPECT_EQ(place::callhist::list_row_height, 62);
    EXPECT_EQ(place::incoming::btn_deny.rect, (RECT { 382, 84, 425, 128 }));

    skin::RestoreDevicePlaces();
    ExpectDevicePlaces();
}

// Coordinates run from 0 to 4096, font sides from 1 to 256 and a file to 64 KiB.
TEST_F(SkinPlaces, FaultyTextIsRefusedWholeAndEdgesAreTakenFromBothSides)
{
    const std::string accept = "control incoming btn_accept incoming/btn_accept.bti 314 56 374 116";
    const std::string list = "rect callhist list 49 82 312 222";
    const std::string rows = "number callhist list_row_height 35";
    const std::string font = "font incoming message 18 7 #0e7efb bold";
    const std::string colour = "colour shared list_even_row #4370a5";
    const std::string panel = "rect shared full_screen 0 0 480 272";
    // The answer button placed as the rest of its line says.
    auto acceptAt = [&](const std::string& rest) {
        return Replaced(device, accept, "control incoming btn_accept " + rest);
    };
    const struct {
        std::string text;
        bool taken;
        std::string error;
    } cases[] = {
        { Replaced(device, font + "\n", ""), false, "no font for incoming message" },
        { device + accept + "\n", false, "btn_accept placed more than 1 times" },
        { Replaced(device, "control callhist tab_bg callhist/tab_bg.bti 227 48 316 77\n", ""), false,
            "callhist tab_bg (placed 2 of 3 times)" },
        { device + list + "\n", false, "list given twice" },
        { device + "rect incoming ghost 1 1 2 2\n", false, "no rect incoming ghost" },
        { device + "shade incoming btn_accept red\n", false, "unknown line 'shade'" },
        { Replaced(device, accept, "control incoming btn_accept 314 56 374 116"), false, "takes 7 words" },
        { Replaced(device, list, "control callhist list a.bti 1 1 2 2"), false, "no control callhist list" },
        { Replaced(device, colour, "colour shared text #4370a5"), false, "no colour shared text" },
        { Replaced(device, font, "font incoming message 0 7 #0e7efb bold"), false, "bad font" },
        { Replaced(device, font, "font incoming message 1 0 #0e7efb bold"), true, "" },
        { Replaced(device, font, "font incoming message 256 256 #0e7efb bold"), true, "" },
        { Replaced(device, font, "font incoming message 18 7 #0e7efb"), false, "takes 6 words" },
        { Replaced(device, font, "font incoming message 18 7 #0e7efb heavy"), false, "bad font" },
        { Replaced(device, font, "font incoming message 257 7 #0e7efb bold"), false, "bad font" },
        { Replaced(device, font, "font incoming message 18 257 #0e7efb bold"), false, "bad font" },
        { Replaced(device, font, "font incoming message 18 7 0e7efb bold"), false, "bad font" },
        { Replaced(device, colour, "colour shared list_even_row #fffff"), false, "bad colour" },
        { Replaced(device, colour, "colour shared list_even_row #fffffff"), false, "bad colour" },
        { Replaced(device, colour, "colour shared list_even_row #ffffgf"), false, "bad colour" },
        { Replaced(device, panel, "rect shared full_screen 1 0 480 272"), false, "must start at 0 0" },
        { Replaced(device, panel, "rect shared full_screen 0 1 480 272"), false, "must start at 0 0" },
        { acceptAt("../../outside/x.bti 314 56 374 116"), false, "bad image name" },
        { acceptAt("/rooted/x.bti 314 56 374 116"), false, "bad image name" },
        { acceptAt("in\\x.bti 314 56 374 116"), false, "bad image name" },
        { acceptAt("a.bti 314 56 314 116"), false, "bad rectangle" },
        { acceptAt("a.bti 314 56 374 56"), false, "bad rectangle" },
        { acceptAt("a.bti -1 56 374 116"), false, "bad rectangle" },
        { acceptAt("a.bti 0 0 4097 116"), false, "bad rectangle" },
        { acceptAt("a.bti 0 0 4096 4096"), true, "" },
        { acceptAt("a.bti 1 2x 3 4"), false, "bad rectangle" },
        { Replaced(device, rows, "number callhist list_row_height 0"), false, "bad number" },
        { Replaced(device, rows, "number callhist list_row_height 1"), true, "" },
        { device + std::string(64 * 1024 - device.size() - 1, '#') + "\n", true, "" },
        { device + std::string(64 * 1024 - device.size(), '#') + "\n", false, "larger than 65536 bytes" },
        { Replaced(device, accept, "\r\n  # a comment\n\n" + accept + " \t\r"), true, "" },
    };
    for (const auto& c : cases) {
        std::string error;
        skin::RestoreDevicePlaces();
        EXPECT_EQ(skin::ApplyPlaces(c.text, error), c.taken) << c.error;
        EXPECT_NE(error.find(c.error), std::string::npos) << "'" << error << "' for '" << c.error << "'";
        if (!c.taken) {
            EXPECT_EQ(place::incoming::btn_accept.rect, (RECT { 314, 56, 374, 116 })) << c.error;
        }
    }
    std::string error;
    EXPECT_FALSE(skin::ApplyPlaces("", error));
    EXPECT_NE(error.find("no control for "), std::string::npos) << error;
}

// Touched while driving: no action on a small panel is smaller than the call screen's answer button.
TEST(DeviceSkin, SmallPanelButtonsAreAtLeastAsLargeAsTheAnswerButton)
{
    auto size = [](const RECT& r) { return std::pair(r.right - r.left, r.bottom - r.top); };
    EXPECT_EQ(size(place::incoming::btn_accept.rect), std::pair(60, 60));
    for (const place::Control* button : { &place::callwait::btn_hold_answer, &place::callwait::btn_end_answer,
             &place::callwait::btn_reject, &place::callwait::btn_swap, &place::callwait::btn_merge,
             &place::callwait::btn_end, &place::assistant::btn_end }) {
        EXPECT_GE(size(button->rect).first, 60);
        EXPECT_GE(size(button->rect).second, 60);
    }
}
