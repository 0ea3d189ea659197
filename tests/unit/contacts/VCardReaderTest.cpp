#include "contacts/VCardReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr NumberKind M = NumberKind::Mobile, H = NumberKind::Home, W = NumberKind::Work, O = NumberKind::Other;

struct ReaderCase {
    const char* what;
    std::string text;
    std::vector<Contact> expected;
};

std::string Card(const std::string& lines)
{
    return "BEGIN:VCARD\r\n" + lines + "END:VCARD\r\n";
}

const ReaderCase kCases[] = {
    { "2.1 quoted-printable UTF-8 with a soft line break, bare types",
        "BEGIN:VCARD\r\nVERSION:2.1\r\n"
        "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=D0=9F=D0=B5=D1=82=D1=80=D0=BE=D0=B2=D0=B0;=D0=90=D0=BD="
        "D0=BD=D0=B0;;;\r\n"
        "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=D0=90=D0=BD=D0=BD=D0=B0=20=D0=9F=D0=B5=\r\n"
        "=D1=82=D1=80=D0=BE=D0=B2=D0=B0\r\n"
        "TEL;CELL;PREF:+49 170 1234567\r\nTEL;HOME:030-1234567\r\nEND:VCARD\r\n",
        { { u"Анна Петрова", { "+49 170 1234567", "030-1234567" }, { M, H } } } },
    { "3.0 with types, a group prefix, LF endings and two cards",
        "BEGIN:VCARD\nVERSION:3.0\nFN:Zoë Ångström\nitem1.TEL;TYPE=CELL:+49 30 1234567\n"
        "TEL;TYPE=HOME,VOICE:  030 7654321  \nEND:VCARD\n"
        "BEGIN:VCARD\nVERSION:3.0\nFN:Smith\\, John\\nJr.\nTEL:112\nEND:VCARD\n",
        { { u"Zoë Ångström", { "+49 30 1234567", "030 7654321" }, { M, H } }, { u"Smith, John Jr.", { "112" }, { O } } } },
    { "4.0 tel URI with a quoted type list",
        Card("VERSION:4.0\r\nFN:Ελένη\r\nTEL;VALUE=uri;TYPE=\"voice,cell\":tel:+30-21-0123-4567\r\n"),
        { { u"Ελένη", { "tel:+30-21-0123-4567" }, { M } } } },
    { "N gives the name when FN is missing or empty",
        Card("N:Müller;Jörg;Peter;Dr.;\r\nTEL:1234567\r\n") + Card("FN: \r\nN:Solo\r\nTEL:7654321\r\n"),
        { { u"Jörg Müller", { "1234567" }, { O } }, { u"Solo", { "7654321" }, { O } } } },
    { "folded lines, CRLF with a space and LF with a tab; 2.1 keeps the space that folds",
        Card("FN:Maximilian\r\n  von Stein\r\nTEL:+49 30\n\t 1234567\r\n")
            + Card("VERSION:2.1\r\nFN:Maximilian von\r\n Stein\r\nTEL:1\r\n"),
        { { u"Maximilian von Stein", { "+49 30 1234567" }, { O } }, { u"Maximilian von Stein", { "1" }, { O } } } },
    { "other charsets and invalid UTF-8 are read as Latin-1",
        Card("FN;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:Ren=E9 L=F6w\r\nTEL:1\r\n")
            + Card("FN:Jos\xE9\r\nTEL:2\r\n"),
        { { u"René Löw", { "1" }, { O } }, { u"José", { "2" }, { O } } } },
    { "broken cards are skipped, the good ones around them kept",
        "garbage before\r\nTEL:999\r\nEND:VCARD\r\n" + Card("FN:First\r\nTEL:1\r\n")
            + "BEGIN:VCARD\r\nFN:No end\r\nTEL:2\r\n" + Card("FN:Second\r\nno colon here\r\n\r\nTEL:3\r\n")
            + Card("FN:No number\r\n") + Card("TEL:4\r\n")
            + Card("FN:Photo\r\nPHOTO;ENCODING=b:AAAA\r\nTEL:5\r\n")
            + "BEGIN:VCARD\r\nFN:Cut off\r\nTEL:6\r\n",
        { { u"First", { "1" }, { O } }, { u"Second", { "3" }, { O } }, { u"Photo", { "5" }, { O } } } },
    { "each number's kind: a mobile marked for work stays a mobile, work beats home, fax is other",
        Card("VERSION:3.0\r\nFN:Kinds\r\nTEL;TYPE=WORK,CELL:1\r\nTEL;TYPE=home;TYPE=work:2\r\n"
             "TEL;TYPE=FAX:3\r\nTEL;MOBILE:4\r\nTEL;TYPE=\"HOME\":5\r\n"),
        { { u"Kinds", { "1", "2", "3", "4", "5" }, { M, W, O, M, H } } } },
    { "a byte order mark before the first card", "\xEF\xBB\xBF" + Card("FN:A\r\nTEL:1\r\n"),
        { { u"A", { "1" }, { O } } } },
};

TEST(VCardReader, ReadsNamesAndNumbersOfEveryVersion)
{
    for (const ReaderCase& c : kCases)
        EXPECT_EQ(VCardReader::Parse(c.text), c.expected) << c.what;
}

TEST(VCardReader, CapsBoundEveryCardAndTheFile)
{
    // A name of 300 characters is cut to 256 without splitting the surrogate pair at the cut.
    std::string longName = std::string(255, 'x') + "\xF0\x9F\x98\x80" + std::string(44, 'y');
    std::string numbers;
    for (int i = 0; i < 20; ++i)
        numbers += "TEL:" + std::to_string(1000 + i) + "\r\n";
    std::string text = Card("FN:" + longName + "\r\n" + numbers)
        + Card("TEL:" + std::string(65, '1') + "\r\nTEL:" + std::string(64, '2') + "\r\nFN:Long number\r\n");
    std::vector<Contact> contacts = VCardReader::Parse(text);
    ASSERT_EQ(contacts.size(), 2u);
    EXPECT_EQ(contacts[0].name, WString(255, u'x'));
    ASSERT_EQ(contacts[0].numbers.size(), 16u);
    EXPECT_EQ(contacts[0].numbers.back(), "1015");
    EXPECT_EQ(contacts[1].numbers, std::vector<std::string> { std::string(64, '2') });

    std::string many;
    for (int i = 0; i < 20'010; ++i)
        many += "BEGIN:VCARD\nFN:n\nTEL:1\nEND:VCARD\n";
    EXPECT_EQ(VCardReader::Parse(many).size(), 20'000u);

    // Only the first 8 MiB are read; a quoted-printable value that never ends is one over-long
    // line, ignored.
    const std::string late = "BEGIN:VCARD\nFN:Late\nTEL:1\nEND:VCARD";
    for (const size_t over : { 0, 1 }) {
        EXPECT_EQ(VCardReader::Parse(std::string(8 * 1024 * 1024 - late.size() + over, '\n') + late).size(), 1 - over)
            << over;
    }
    std::string endless = "BEGIN:VCARD\nFN;ENCODING=QUOTED-PRINTABLE:a=\n" + std::string(100'000, '=')
        + "\nTEL:1\nEND:VCARD\n";
    EXPECT_TRUE(VCardReader::Parse(endless).empty());
}

}

TEST(VCardReader, NameAndLineCapsFromBothSides)
{
    for (size_t chars : { 256u, 257u }) {
        std::vector<Contact> contacts = VCardReader::Parse(Card("FN:" + std::string(chars, 'a') + "\r\nTEL:1\r\n"));
        ASSERT_EQ(contacts.size(), 1u);
        EXPECT_EQ(contacts[0].name, WString(256, u'a')) << chars;
    }
    for (size_t bytes : { 16'384u, 16'385u }) {
        const std::string line = "FN:" + std::string(bytes - 3, 'z');
        std::vector<Contact> contacts = VCardReader::Parse(Card(line + "\r\nN:Fallback\r\nTEL:3\r\n"));
        ASSERT_EQ(contacts.size(), 1u);
        EXPECT_EQ(contacts[0].name, bytes == 16'384u ? WString(256, u'z') : WString(u"Fallback")) << bytes;
    }
}
