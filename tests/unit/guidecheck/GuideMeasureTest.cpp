#include "GuideMeasure.h"
#include "Contrast.h"

#include <gtest/gtest.h>

namespace {

// One screen under the frame, its buttons given as "id:left,top,right,bottom".
std::string Windows(const std::string& screenClass,
    const std::vector<std::pair<int, std::array<int, 4>>>& buttons, const std::string& above = "")
{
    std::string children;
    for (const auto& [id, r] : buttons) {
        children += std::string(children.empty() ? "" : ", ")
            + "{\"class\": \"CMyButton\", \"id\": " + std::to_string(id) + ", \"text\": \"\", \"rect\": ["
            + std::to_string(r[0]) + ", " + std::to_string(r[1]) + ", " + std::to_string(r[2]) + ", "
            + std::to_string(r[3]) + "], \"visible\": true, \"enabled\": true, \"children\": []}";
    }
    return "[{\"class\": \"CMainFrame\", \"id\": 0, \"text\": \"\", \"rect\": [0, 0, 800, 480], \"visible\": "
           "true, "
           "\"enabled\": true, \"children\": [{\"class\": \""
        + screenClass
        + "\", \"id\": 0, \"text\": \"\", \"rect\": [0, 0, 800, 480], \"visible\": true, \"enabled\": true, "
          "\"children\": ["
        + children + "]}" + above + "]}]";
}

std::string Texts(const std::string& screenClass, const std::string& text, int height, int width,
    std::array<int, 4> r, const std::string& color, const std::string& background)
{
    return "[{\"class\": \"" + screenClass + "\", \"id\": 0, \"texts\": [{\"text\": \"" + text
        + "\", \"rect\": [" + std::to_string(r[0]) + ", " + std::to_string(r[1]) + ", " + std::to_string(r[2])
        + ", " + std::to_string(r[3]) + "], \"width\": " + std::to_string(width)
        + ", \"height\": " + std::to_string(height) + ", \"color\": \"" + color + "\", \"background\": \""
        + background + "\"}]}]";
}

std::vector<GuideRow> Measure(const std::string& windows, const std::string& texts = "[]")
{
    return GuideMeasure(GuideLimits {}).Screen("state", JsonValue::Parse(windows), JsonValue::Parse(texts));
}

std::string Verdict(const std::vector<GuideRow>& rows, const std::string& itemStart)
{
    for (const GuideRow& row : rows) {
        if (row.item.rfind(itemStart, 0) == 0)
            return row.Verdict();
    }
    return "missing";
}

}

TEST(GuideMeasure, TouchTargetsFrom62By62AndGapsFrom8Pass)
{
    // 62 x 62 and 8 px from its neighbour; the other 61 wide and 7 px from a third.
    auto rows = Measure(Windows(
        "CDlgTest", { { 1, { 0, 0, 62, 62 } }, { 2, { 70, 0, 131, 62 } }, { 3, { 138, 0, 200, 62 } } }));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].Verdict(), "PASS");
    EXPECT_EQ(rows[1].Verdict(), "FAIL size,gap");
    EXPECT_EQ(rows[1].gap, "7 px");
    EXPECT_EQ(rows[2].Verdict(), "FAIL gap");
    // Diagonal neighbours are as far apart as the larger of the two clear spaces.
    EXPECT_EQ(GuideMeasure::Gap({ 0, 0, 10, 10 }, { 15, 18, 20, 20 }), 8);
    EXPECT_EQ(GuideMeasure::Gap({ 0, 0, 10, 10 }, { 5, 5, 20, 20 }), 0);
}

TEST(GuideMeasure, AcceptAndRejectMustStand62Apart)
{
    using Buttons = std::vector<std::pair<int, std::array<int, 4>>>;
    const struct {
        const char* screen;
        Buttons buttons;
        const char *pair, *verdict;
    } rows[] = {
        { "CDlgIncoming", { { 1039, { 0, 0, 62, 62 } }, { 1038, { 124, 0, 186, 62 } } }, "Accept/Reject", "PASS" },
        { "CDlgIncoming", { { 1039, { 0, 0, 62, 62 } }, { 1038, { 123, 0, 185, 62 } } }, "Accept/Reject",
            "FAIL apart" },
        // Call waiting's panel lies on the call screen; its buttons pair by the panel.
        { "CDlgCallWaiting", { { 1101, { 0, 0, 150, 60 } }, { 1103, { 0, 64, 150, 124 } } },
            "Hold and answer/Reject", "FAIL apart" },
        // The same ids on another screen are no such pair.
        { "CDlgPref", { { 1039, { 0, 0, 62, 62 } }, { 1038, { 70, 0, 132, 62 } } }, "Accept/Reject", "missing" },
    };
    for (const auto& row : rows)
        EXPECT_EQ(Verdict(Measure(Windows(row.screen, row.buttons)), row.pair), row.verdict) << row.screen;
}

TEST(GuideMeasure, ATargetUnderALaterScreenIsNotMeasured)
{
    const std::string cover
        = ", {\"class\": \"CDlgOver\", \"id\": 0, \"text\": \"\", \"rect\": [0, 0, 100, 100], "
          "\"visible\": true, \"enabled\": true, \"children\": []}";
    EXPECT_TRUE(Measure(Windows("CDlgTest", { { 1, { 0, 0, 62, 62 } } }, cover)).empty());
    EXPECT_EQ(Measure(Windows("CDlgTest", { { 1, { 200, 0, 262, 62 } } }, cover)).size(), 1u);
}

// Primary texts from 26 px, others from 20; contrast from 4.5:1; a text 1 px too wide fails.
TEST(GuideMeasure, TextHeightContrastAndFit)
{
    const struct {
        const char *screen, *text;
        int height, width;
        const char *color, *background, *verdict, *contrast;
    } rows[] = {
        { "CDlgIncoming", "5551234", 26, 100, "#ffffff", "#000000", "PASS", nullptr },
        { "CDlgIncoming", "5551234", 25, 100, "#ffffff", "#000000", "FAIL height", nullptr },
        { "CDlgPref", "Ring tone", 20, 100, "#ffffff", "#000000", "PASS", nullptr },
        { "CDlgPref", "Ring tone", 19, 100, "#ffffff", "#000000", "FAIL height", nullptr },
        { "CDlgPref", "Ring", 20, 100, "#767676", "#ffffff", "PASS", "4.54:1" },
        { "CDlgPref", "Ring", 20, 100, "#777777", "#ffffff", "FAIL contrast", "4.48:1" },
        { "CDlgPref", "Ring", 20, 101, "#000000", "#ffffff", "FAIL fit", nullptr },
        // Shortened to fit is cut.
        { "CDlgPref", "Klingelt\u2026", 20, 90, "#000000", "#ffffff", "FAIL fit", nullptr },
        { "CDlgPref", "Ring", 20, 100, "#000000", "#nothex", "FAIL contrast", nullptr },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.text) + " " + row.color + " " + std::to_string(row.height));
        auto measured = Measure(
            "[]", Texts(row.screen, row.text, row.height, row.width, { 0, 0, 100, 30 }, row.color, row.background));
        ASSERT_EQ(measured.size(), 1u);
        EXPECT_EQ(measured[0].Verdict(), row.verdict);
        if (row.contrast) {
            EXPECT_EQ(measured[0].contrast, row.contrast);
        }
    }

    GuideMeasure measure(GuideLimits {});
    EXPECT_TRUE(measure.ContrastPasses(4.5));
    EXPECT_FALSE(measure.ContrastPasses(4.499));
    EXPECT_EQ(contrast::ParseColor("#1a2B3c"), 0x1A2B3Cu);
    EXPECT_EQ(contrast::ParseColor("1a2b3c"), std::nullopt);
}

TEST(GuideLimits, CommandLineNumbersReplaceTheDefaultsAndBadOnesAreRefused)
{
    GuideLimits limits;
    std::vector<std::string> args { "--report", "--target", "66", "--mm-per-pixel", "0.183", "--contrast",
        "7" };
    EXPECT_EQ(limits.Take(args), std::nullopt);
    EXPECT_EQ(args, std::vector<std::string> { "--report" });
    EXPECT_EQ(limits.minTarget, 66);
    EXPECT_DOUBLE_EQ(limits.mmPerPixel, 0.183);
    EXPECT_DOUBLE_EQ(limits.minContrast, 7.0);
    EXPECT_EQ(limits.minGap, 8);
    for (std::vector<std::string> bad : { std::vector<std::string> { "--gap", "-1" }, { "--gap", "8px" },
             { "--mm-per-pixel", "0" }, { "--text" } }) {
        GuideLimits unchanged;
        EXPECT_NE(unchanged.Take(bad), std::nullopt) << bad[0];
    }
}
