#include "screens/ContactRows.h"

#include "contacts/VCardReader.h"

#include "platform/core/Text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

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

TEST(ContactRows, FavouritesComeFirstUpToEight)
{
    const ContactRows rows(Letters(9), { 8, 7, 6, 5, 4, 3, 2, 1, 0 });
    ASSERT_EQ(rows.Count(), 17u);
    for (size_t r = 0; r < 8; ++r) {
        EXPECT_EQ(rows.At(r).line, 8 - r) << r;
        EXPECT_TRUE(rows.At(r).favourite) << r;
    }
    EXPECT_EQ(rows.At(8).line, 0u);
    EXPECT_FALSE(rows.At(8).favourite);
}

// Favourites by their mobile number, each person once.
TEST(ContactRows, ThePhonesFavouritesFollowTheMostCalled)
{
    const char* book
        = "BEGIN:VCARD\r\nFN:Anna\r\nCATEGORIES:Family,Favorite\r\nTEL;TYPE=HOME:5550001\r\n"
          "TEL;TYPE=CELL:5550002\r\nEND:VCARD\r\n"
          "BEGIN:VCARD\r\nFN:Bea\r\nTEL:5550003\r\nEND:VCARD\r\n"
          "BEGIN:VCARD\r\nFN:Carl\r\nCATEGORIES:favourites\r\nTEL:5550004\r\nEND:VCARD\r\n"
          "BEGIN:VCARD\r\nFN:Dora\r\nCATEGORIES:Family, Favorites friends\r\nTEL:5550005\r\nEND:VCARD\r\n"
          "BEGIN:VCARD\r\nFN:Eve\r\nCATEGORIES: FAVOURITE \r\nTEL:5550006\r\nEND:VCARD\r\n";
    auto index = std::make_shared<ContactIndex>();
    for (const Contact& contact : VCardReader::Parse(book))
        index->Add(contact);
    index->Seal();
    const ContactDirectory directory(index, "en");
    ASSERT_EQ(directory.LineCount(), 6u);
    // Lines: Anna home 0, Anna mobile 1, Bea 2, Carl 3, Dora 4, Eve 5.
    EXPECT_EQ(ContactRows::Favourites(directory, { 4, 3, 5, 2 }), (std::vector<size_t> { 4, 3, 5, 1 }));
    EXPECT_EQ(ContactRows::Favourites(directory, {}), (std::vector<size_t> { 1, 3, 5 }));
}
