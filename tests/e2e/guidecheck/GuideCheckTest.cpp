// The device's skin is known to miss the in-car numbers: the report must find it out in every
// language and still end in order with --report. The drawn texts measured are SkinChoiceTest's.

#include "platform/draw/ImageCodec.h"
#include "support/PictureCheck.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

const fs::path kWork = GUIDECHECK_WORK_DIR;
const fs::path kApp = OSTRILAN_TEST_APP_DIR;

std::string Read(const fs::path& file)
{
    std::ifstream in(file);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

std::pair<int, std::string> Check(const std::string& name, const std::string& arguments)
{
    const fs::path out = kWork / name;
    fs::remove_all(out);
    fs::create_directories(out);
    const std::string command = (kApp / "ostrilan-guidecheck").string() + " " + arguments + " --out "
        + (out / "run").string() + " >" + (out / "table.txt").string() + " 2>"
        + (out / "progress.txt").string();
    const int status = std::system(command.c_str());
    return { WIFEXITED(status) ? WEXITSTATUS(status) : -1, Read(out / "table.txt") };
}

}

TEST(GuideCheck, TheDefaultSkinsReportCoversAllLanguagesAndFindsTheSmallTitleBarButtons)
{
    auto [code, table] = Check("report", "--report");
    EXPECT_EQ(code, 0) << "--report ends in order";
    EXPECT_NE(table.find("screen | control or text | size | gap | contrast | verdict | languages\n"),
        std::string::npos);
    // The title bar's volume up, 24 x 23 px on every language's main view.
    EXPECT_NE(
        table.find(
            "main | CMyButton 1034 \"+\" | 24 x 23 px (4.6 x 4.4 mm) | 6 px | - | FAIL size,gap | all\n"),
        std::string::npos)
        << table;
    EXPECT_NE(table.find("summary size: FAIL"), std::string::npos);
    EXPECT_NE(
        table.find("history incoming | Delete one/Delete all | - | 2 px apart | - | FAIL apart | all\n"),
        std::string::npos);
    EXPECT_EQ(table.find("incomplete"), std::string::npos) << "every language walked to the end";
    EXPECT_NE(table.find("guidecheck: some rows fail\n"), std::string::npos);
}

TEST(GuideCheck, WithoutReportAFailingRowFailsTheRunAndBadArgumentsAreRefused)
{
    auto [code, table] = Check("strict", "--languages eng");
    EXPECT_EQ(code, 1);
    EXPECT_NE(table.find("summary height: FAIL"), std::string::npos) << table;
    EXPECT_EQ(Check("bad", "--target none").first, 2);
    EXPECT_EQ(Check("unknown", "--languages xyz").first, 2);
    EXPECT_EQ(Check("unskinned", "--languages eng --skin absent").first, 2);
}

// English screens compared with docs/screens/large/ (OSTRILAN_UPDATE_SCREENS=1 retakes them).
TEST(GuideCheck, TheLargeSkinPassesInEveryLanguageAndLooksAsItsPictures)
{
    auto [code, table] = Check("large", "--skin large --shots");
    EXPECT_EQ(code, 0) << table;
    EXPECT_NE(table.find("guidecheck: every row passes\n"), std::string::npos) << table;
    EXPECT_EQ(table.find("incomplete"), std::string::npos) << table;
    int pictures = 0;
    for (const fs::directory_entry& shot : fs::directory_iterator(kWork / "large/run/eng")) {
        if (shot.path().extension() != ".png")
            continue;
        ++pictures;
        // "07-dial-pad.png" is the picture "dial-pad".
        const std::string name = shot.path().stem().string().substr(3);
        std::optional<Surface> drawn = DecodeImageFile(shot.path());
        ASSERT_TRUE(drawn) << shot.path();
        EXPECT_TRUE(testenv::MatchesPicture(*drawn, name, testenv::SourceDir() / "docs/screens/large",
            testenv::BinaryDir() / "screens/large"));
    }
    EXPECT_EQ(pictures, 22);
}
