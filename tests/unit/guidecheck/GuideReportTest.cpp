#include "GuideReport.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

GuideRow Row(const std::string& item, bool pass)
{
    GuideRow row;
    row.screen = "main";
    row.item = item;
    row.size = "24 x 23 px";
    row.findings.push_back({ GuideCheck::Target, pass, 23 });
    return row;
}

std::string Printed(const GuideReport& report, size_t languages)
{
    char* text = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    report.Print(out, languages);
    std::fclose(out);
    std::string s(text, size);
    std::free(text);
    return s;
}

}

TEST(GuideReport, RowsAlikeInEveryLanguageArePrintedOnceAndAFailureFailsTheWhole)
{
    GuideReport report;
    report.Add("eng", { Row("Volume up", false), Row("Call", true) });
    report.Add("ger", { Row("Volume up", false) });
    const std::string text = Printed(report, 2);
    EXPECT_NE(text.find("main | Call | 24 x 23 px | - | - | PASS | eng\n"), std::string::npos) << text;
    EXPECT_NE(text.find("summary size: FAIL, 2 rows, 1 failing; worst: main | Volume up"), std::string::npos)
        << text;
    EXPECT_NE(text.find("summary contrast: PASS, 0 rows, 0 failing\n"), std::string::npos) << text;
    EXPECT_FALSE(report.AllPass());

    GuideReport passing;
    passing.Add("eng", { Row("Call", true) });
    EXPECT_TRUE(passing.AllPass());
    passing.Incomplete("ger", "start-up failed");
    EXPECT_FALSE(passing.AllPass()) << "a language not measured is no pass";
    EXPECT_FALSE(GuideReport().AllPass()) << "nothing measured is no pass";
}
