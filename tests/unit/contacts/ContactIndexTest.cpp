#include "contacts/ContactIndex.h"
#include "contacts/PhoneNumber.h"
#include "platform/core/Text.h"

#include <gtest/gtest.h>

namespace {

ContactIndex Book()
{
    ContactIndex index;
    for (const Contact& contact : std::vector<Contact> {
             { u"Anna", { "+49 30 1234567" } },
             { u"Emergency", { "112" } },
             { u"Mailbox", { "3311", "*100#" } },
             { u"Twin A", { "+44 20 7946 0958" } },
             { u"Twin B", { "020 7946 0958" } },
             { u"Emil", { "+33 6 12 34 56 78" } },
             { u"Frida", { "+32 6 12 34 56 78" } },
             { u"Gustav", { "+41 44 888 99 00" } },
             { u"Gustav", { "044 888 99 00" } },
             { u"Ida", { "+49 89 1111 2222" } },
             { u"Jan", { "+49 30 1111 2222" } },
             { u"Nobody", { "", "call me" } },
         })
        index.Add(contact);
    index.Seal();
    return index;
}

TEST(ContactIndex, MatchesNumbersTheWayPhonesDo)
{
    const ContactIndex index = Book();
    // The number, and the name shown for it (nullptr: none).
    const std::pair<const char*, const char16_t*> cases[] = {
        // One number in its international, 00 and national forms, with any separators.
        { "+49301234567", u"Anna" },
        { "030 1234567", u"Anna" },
        { "0049-30-123.45.67", u"Anna" },
        { "tel:(030) 123 45 67", u"Anna" },
        { "+49 30 1234567p123", u"Anna" },
        // A common tail of seven digits or more; the longest one wins.
        { "555 1234567", u"Anna" },
        { "+43 30 1111 2222", u"Jan" },
        { "123 4567 8", nullptr },
        { "+49 30 7654321", nullptr },
        { "99234567", nullptr }, // six digits in common are not enough
        // Short numbers and service codes only as written.
        { "112", u"Emergency" },
        { "0112", nullptr },
        { "1120", nullptr },
        { "33 11", u"Mailbox" },
        { "*100#", u"Mailbox" },
        // Two different names equally good: none; one name twice is still that name.
        { "+44 20 7946 0958", nullptr },
        { "0612345678", nullptr },
        { "+33 612 345 678", u"Emil" },
        { "0041 44 888 99 00", u"Gustav" },
        // Text that is no number.
        { "", nullptr },
        { "unknown", nullptr },
        { "1234567890123456789012345678901234567890", nullptr },
    };
    for (const auto& [number, name] : cases)
        EXPECT_EQ(index.NameFor(number), name ? std::optional<WString>(name) : std::nullopt) << number;
    EXPECT_EQ(ContactIndex().NameFor("+49301234567"), std::nullopt);
}

TEST(ContactIndex, KeepsAtMost64NumbersWithTheSameLastSevenDigits)
{
    ContactIndex index;
    for (int i = 40; i < 104; ++i)
        index.Add({ u"Filler " + Widen(std::to_string(i)), { "+49 40 " + std::to_string(i) + " 1234567" } });
    index.Add({ u"Late", { "+49 30 1234567" } });
    index.Add({ u"Other tail", { "+49 30 7654321" } });
    index.Seal();
    EXPECT_EQ(index.NameFor("030 1234567"), std::nullopt);
    EXPECT_EQ(index.NameFor("+49 40 73 1234567"), u"Filler 73");
    EXPECT_EQ(index.NameFor("+49 40 103 1234567"), u"Filler 103");
    EXPECT_EQ(index.NameFor("030 7654321"), u"Other tail");
}

}

// A country code of four digits no longer joins the two forms: only their common tail matches.
TEST(PhoneNumber, ThirtyTwoCharactersAndThreeCountryDigitsAreTheLimits)
{
    EXPECT_EQ(PhoneNumber("+" + std::string(31, '5')).Text().size(), 32u);
    EXPECT_TRUE(PhoneNumber(std::string(33, '5')).Empty());
    const std::pair<const char*, int> cases[] = { { "+353 87 1234567", 1000 }, { "+3531 87 1234567", 9 } };
    for (const auto& [international, score] : cases)
        EXPECT_EQ(PhoneNumber::Match(PhoneNumber(international), PhoneNumber("087 1234567")), score) << international;
}
