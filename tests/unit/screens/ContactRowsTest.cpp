#include "screens/ContactRows.h"

#include "platform/core/Text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// One contact for each of the first `letters` letters of the alphabet.
std::shared_ptr<const ContactDirectory> Letters(int letters)
{
    auto index = std::make_shared<ContactIndex>();
    for (int i = 0; i < letters; ++i)
        index->Add({ std::u16string(1, char16_t(u'A' + i)) + u"name", { std::to_string(5550000 + i) } });
    index->Seal();
    return std::make_shared<const ContactDirectory>(index, "en");
}

std::vector<std::string> Cells(const ContactRows& rows, size_t cells)
{
    std::vector<std::string> out;
    for (const auto& cell : rows.Index(cells))
        out.push_back(ToUtf8(cell.label) + "@" + std::to_string(cell.row));
    return out;
}

}

// Ten letters fill the ten cells one each; the eleventh makes the last cell hold two.
TEST(ContactRows, TheLetterIndexFoldsLettersOnlyWhenTheyOutnumberTheCells)
{
    EXPECT_EQ(Cells(ContactRows(Letters(10), {}), 10),
        (std::vector<std::string> { "A@0", "B@1", "C@2", "D@3", "E@4", "F@5", "G@6", "H@7", "I@8", "J@9" }));
    EXPECT_EQ(Cells(ContactRows(Letters(11), {}), 10),
        (std::vector<std::string> {
            "A@0", "B@1", "C@2", "D@3", "E@4", "F@5", "G@6", "H@7", "I@8", "J–K@9" }));
    // Favourites come first, so every letter's row moves down by their number.
    EXPECT_EQ(Cells(ContactRows(Letters(2), { 1 }), 10), (std::vector<std::string> { "A@1", "B@2" }));
    EXPECT_TRUE(Cells(ContactRows(Letters(0), {}), 10).empty());
}

// Three favourites are kept, a fourth is not; the list follows them.
TEST(ContactRows, FavouritesComeFirstUpToThree)
{
    const ContactRows rows(Letters(5), { 4, 3, 2, 1 });
    ASSERT_EQ(rows.Count(), 8u);
    const size_t expected[][2]
        = { { 4, 1 }, { 3, 1 }, { 2, 1 }, { 0, 0 }, { 1, 0 }, { 2, 0 }, { 3, 0 }, { 4, 0 } };
    for (size_t r = 0; r < rows.Count(); ++r) {
        EXPECT_EQ(rows.At(r).line, expected[r][0]) << r;
        EXPECT_EQ(rows.At(r).favourite, expected[r][1] == 1) << r;
    }
}
