#include "contacts/ContactDirectory.h"

#include "platform/core/Text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

ContactDirectory Sealed(const std::vector<Contact>& contacts, const std::string& locale)
{
    auto index = std::make_shared<ContactIndex>();
    for (const Contact& contact : contacts)
        index->Add(contact);
    index->Seal();
    return ContactDirectory(index, locale);
}

std::vector<std::string> Names(const ContactDirectory& directory)
{
    std::vector<std::string> names;
    for (size_t e = 0; e < directory.EntryCount(); ++e)
        names.push_back(ToUtf8(directory.Name(e)));
    return names;
}

std::vector<std::string> Lines(const ContactDirectory& directory, const std::vector<size_t>& lines)
{
    std::vector<std::string> out;
    for (size_t line : lines) {
        ContactDirectory::Line l = directory.LineAt(line);
        out.push_back(ToUtf8(directory.Name(l.entry)) + " " + std::string(l.written));
    }
    return out;
}

std::vector<std::string> Labels(const ContactDirectory& directory)
{
    std::vector<std::string> labels;
    for (const auto& section : directory.Sections())
        labels.push_back(ToUtf8(section.label) + "@" + std::to_string(section.firstLine));
    return labels;
}

}

TEST(ContactDirectory, MergesOnePersonsCardsAndKeepsANumberWrittenTwiceOnce)
{
    // The phone's book and its SIM's, each with Anna: one entry, the landline once.
    ContactDirectory directory = Sealed(
        {
            { u"Anna", { "+49 30 1234567", "0170 5550001" }, { NumberKind::Home, NumberKind::Mobile } },
            { u"Ben", { "112" }, {} },
            { u"Anna", { "030 1234567", "+49 40 7654321" }, { NumberKind::Home, NumberKind::Work } },
            { u"Nobody", { "", "call me" }, {} },
        },
        "en");
    EXPECT_EQ(Names(directory), (std::vector<std::string> { "Anna", "Ben" }));
    ASSERT_EQ(directory.LineCount(), 4u);
    EXPECT_EQ(Lines(directory, { 0, 1, 2, 3 }),
        (std::vector<std::string> {
            "Anna +49301234567", "Anna 01705550001", "Anna +49407654321", "Ben 112" }));
    EXPECT_EQ(directory.LineAt(2).kind, NumberKind::Work);
    EXPECT_EQ(directory.LineAt(3).kind, NumberKind::Other);
    EXPECT_EQ(directory.FirstLine(1), 3u);
    EXPECT_EQ(directory.DialText(0), "+49301234567");
    EXPECT_EQ(directory.Find(u"Ben"), 1u);
    EXPECT_EQ(directory.Find(u"Be"), 2u);
}

TEST(ContactDirectory, OnePersonKeepsAtMost64Numbers)
{
    for (int cards : { 4, 5 }) {
        std::vector<Contact> contacts;
        for (int card = 0; card < cards; ++card) {
            Contact contact { u"Same", {} };
            for (int n = 0; n < 16; ++n)
                contact.numbers.push_back(std::to_string(5550000 + card * 16 + n));
            contacts.push_back(contact);
        }
        ContactDirectory directory = Sealed(contacts, "en");
        ASSERT_EQ(directory.EntryCount(), 1u);
        EXPECT_EQ(directory.LineCount(), 64u) << cards;
        EXPECT_EQ(directory.LineAt(63).written, "5550063") << cards;
    }
}

// Swedish (Å, Ä, Ö after Z) on screen: ContactsTest.NamesAreSortedByTheDeviceLanguagesRules.
TEST(ContactDirectory, SortsAndIndexesByTheLanguagesOwnRules)
{
    struct Case {
        uint16_t language;
        std::vector<std::u16string> names;
        std::vector<std::string> sorted;
        std::vector<std::string> sections;
    };
    const std::vector<std::u16string> latin { u"Zander", u"Öberg", u"Ärla", u"Bernd", u"Adam", u"Åsa" };
    const Case cases[] = {
        // German files umlauts with their base letters.
        { 0x0407, latin, { "Adam", "Ärla", "Åsa", "Bernd", "Öberg", "Zander" },
            { "A@0", "B@3", "O@4", "Z@5" } },
        // Russian: Ё with Е, before Ж (its code point is below А's).
        { 0x0419, { u"Жанна", u"Ёжик", u"Борис", u"Евгений", u"Анна" },
            { "Анна", "Борис", "Евгений", "Ёжик", "Жанна" }, { "А@0", "Б@1", "Е@2", "Ж@4" } },
    };
    for (const Case& c : cases) {
        std::vector<Contact> contacts;
        for (size_t i = 0; i < c.names.size(); ++i)
            contacts.push_back({ c.names[i], { std::to_string(5550000 + i) }, {} });
        ContactDirectory directory = Sealed(contacts, ContactDirectory::LocaleFor(c.language));
        EXPECT_EQ(Names(directory), c.sorted) << c.language;
        EXPECT_EQ(Labels(directory), c.sections) << c.language;
    }
    EXPECT_EQ(ContactDirectory::LocaleFor(0x7FFF), "");
}

TEST(ContactDirectory, SearchOffersNameStartsThenWordStartsThenNumbersUpToTheLimit)
{
    ContactDirectory directory = Sealed(
        {
            { u"Bob Builder", { "+49 (30) 72-66 123" }, {} },
            { u"Anna Samos", { "0301111111" }, {} },
            { u"Samo Novak", { "0302222222", "0170 3333333" }, { NumberKind::Home, NumberKind::Mobile } },
            { u"Šamot Ček", { "0304444444" }, {} },
            { u"Самойлов", { "0305555555" }, {} },
            { u"Carl", { "0306666666" }, {} },
        },
        "en");
    // S-A-M-O: both name starts (one with a háček) before the word start; the Cyrillic name is
    // found only by number, and Carl not at all.
    EXPECT_EQ(Lines(directory, directory.Search("7266", 10)),
        (std::vector<std::string> { "Samo Novak 01703333333", "Šamot Ček 0304444444", "Anna Samos 0301111111",
            "Bob Builder +49307266123" }));
    // Four matches: a limit of four takes them all, three leaves the number match out.
    EXPECT_EQ(directory.Search("7266", 4).size(), 4u);
    EXPECT_EQ(Lines(directory, directory.Search("7266", 3)).back(), "Anna Samos 0301111111");
    EXPECT_EQ(
        Lines(directory, directory.Search("55555", 3)), (std::vector<std::string> { "Самойлов 0305555555" }));
    // '*' is on no letter: numbers only.
    EXPECT_TRUE(directory.Search("*72", 3).empty());
    EXPECT_TRUE(directory.Search("", 3).empty());
    EXPECT_TRUE(directory.Search("99999", 3).empty());
}

TEST(ContactDirectory, KeysFoldAccentsAndKeepOtherScriptsOffTheKeys)
{
    EXPECT_EQ(ContactDirectory::KeysOf(u"Zoë Ångström-Øst"), "963 26478766 678");
    EXPECT_EQ(ContactDirectory::KeysOf(u"  Straße"), "787273");
    EXPECT_EQ(ContactDirectory::KeysOf(u"Ελένη B"), "----- 2");
    // Capped at 32 keys: 33 letters keep 32.
    EXPECT_EQ(ContactDirectory::KeysOf(std::u16string(33, u'a')), std::string(32, '2'));
}
