#include "ImageFiles.h"
#include "LayoutHeader.h"
#include "SkinDescription.h"
#include "SkinPainter.h"

#include "platform/draw/DIBitmap.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

namespace {

SkinDescription Parsed(const std::string& text)
{
    SkinDescription skin;
    std::string error;
    EXPECT_TRUE(skin.Parse(text, "t.skin", error)) << error;
    return skin;
}

}

TEST(SkinDescription, ErrorsNameTheFileAndLine)
{
    const std::pair<const char*, const char*> cases[]
        = { { "    icon phone\n", "t.skin:1" }, { "colour a #000000\nbuttn a.bti 10x10\n", "t.skin:2" } };
    for (const auto& [text, where] : cases) {
        SkinDescription skin;
        std::string error;
        EXPECT_FALSE(skin.Parse(text, "t.skin", error)) << text;
        EXPECT_EQ(error.rfind(where, 0), 0u) << error;
    }
}

// The real skins' layout lines are read back by SkinPlaces from the build's device-skin.layout.
TEST(SkinLayoutText, AFaultySharedValueNamesItsLine)
{
    std::string error;
    for (const char* faulty : { "shared\n    font text 28 11 navy\n", "shared\n    font text 0 11 #ffffff\n",
             "shared\n    colour list_text #12345\n", "shared\n    font text 28 #ffffff\n",
             "shared\n    font text 28 11 #ffffff weight=heavy\n" }) {
        error.clear();
        EXPECT_EQ(ComposeLayoutText(Parsed(faulty), error), "") << faulty;
        EXPECT_EQ(error.rfind("t.skin:2: ", 0), 0u) << error;
    }
}

TEST(BitmapWriter, RowsArePaddedAndStoredBottomUp)
{
    // Five pixels of 3 bytes need one byte of padding per row.
    Raster image(5, 3, { 0, 0, 0, 1 });
    image.At(0, 0) = Rgba::FromBytes(255, 0, 0);
    image.At(4, 0) = Rgba::FromBytes(0, 255, 0);
    image.At(2, 2) = Rgba::FromBytes(0, 0, 255);
    testenv::TempDir dir;
    ASSERT_TRUE(WriteBmp(image, dir / "t.bti"));
    std::string bytes = testenv::ReadFile(dir / "t.bti");
    ASSERT_EQ(bytes.size(), 54u + 3 * 16);
    EXPECT_EQ(bytes[22], 3) << "a positive height: rows stored bottom-up";
    auto bitmap = LoadDIBitmap(dir / "t.bti");
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->Pixels().Pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(bitmap->Pixels().Pixel(4, 0), 0x00FF00u);
    EXPECT_EQ(bitmap->Pixels().Pixel(2, 2), 0x0000FFu);
}

// The disabled frame from the skin's colours. Strips over their place: SkinImages (real skin).
TEST(SkinPainter, PaintsFramesFromStylesAndNamesUnknownColours)
{
    GlyphRenderer glyphs;
    ASSERT_TRUE(glyphs.Open(OSTRILAN_TEXT_FONT, OSTRILAN_ICON_FONT, OSTRILAN_ICON_NAMES));
    SkinDescription skin = Parsed("colour disabled-fill #202020\ncolour disabled-border #303030\n"
                                  "colour disabled-ink #404040\n"
                                  "style lit\n"
                                  "    fill@1 #ff0000\n"
                                  "button b.bti 20x20\n"
                                  "    style lit\n"
                                  "    fill #0000ff\n");
    SkinPainter painter(skin, glyphs);
    std::string error;
    ASSERT_TRUE(painter.PaintAll(error)) << error;
    const Raster& button = painter.Find("b.bti")->pixels;
    Rgba normal = button.At(10, 14), pressed = button.At(20 + 10, 14), disabled = button.At(60 + 10, 14);
    EXPECT_GT(normal.b, 0.9f);
    EXPECT_GT(pressed.r, 0.9f) << "the style's pressed fill beats the button's general fill";
    EXPECT_LT(pressed.b, 0.1f);
    EXPECT_NEAR(disabled.r, 0x20 / 255.f, 0.01f);

    // The painter keeps the description: it must outlive it.
    SkinDescription unknownColour = Parsed("background bg.pbg 20x20\n    gradient navy\n");
    SkinPainter unknown(unknownColour, glyphs);
    EXPECT_FALSE(unknown.PaintAll(error));
    EXPECT_EQ(error.rfind("t.skin:2", 0), 0u) << error;
}

// Groups may use groups nine deep below an image; a tenth is refused, as a loop would be.
TEST(SkinPainter, GroupsNestNineDeepAndNoDeeper)
{
    GlyphRenderer glyphs;
    ASSERT_TRUE(glyphs.Open(OSTRILAN_TEXT_FONT, OSTRILAN_ICON_FONT, OSTRILAN_ICON_NAMES));
    for (int groups : { 9, 10 }) {
        std::string text = "background bg.pbg 20x20\n    use g1\n";
        for (int g = 1; g < groups; ++g)
            text += "group g" + std::to_string(g) + "\n    use g" + std::to_string(g + 1) + "\n";
        text += "group g" + std::to_string(groups) + "\n    gradient #ff0000\n";
        SkinDescription skin = Parsed(text);
        SkinPainter painter(skin, glyphs);
        std::string error;
        EXPECT_EQ(painter.PaintAll(error), groups == 9) << groups << ": " << error;
    }
}
