#include "SkinDescription.h"

#include "platform/draw/DIBitmap.h"
#include "platform/draw/ImageCodec.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// Every image of every skin description, read by the generator's own parser.
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

}

// Read by the application's own decoder. Strips are copied without transparency, so the pixels
// around a rounded button or a gauge must be the background's at its (first) place.
TEST(SkinImages, AreBuiltAtTheirSizeAndBlendIntoTheirPlace)
{
    EXPECT_EQ(kImages.size(), 100u);
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
    EXPECT_EQ(placed, 88);
}
