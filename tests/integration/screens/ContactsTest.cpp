// The contacts screen from the dial pad and the history: numbers and kinds, three languages' order,
// the letter index and pages, favourites, and the contacts the pad offers as digits are typed.

#include "AppFixture.h"

#include "contacts/ContactDirectory.h"
#include "screens/DlgCallHist.h"
#include "screens/DlgContacts.h"
#include "screens/DlgPlaceCall.h"

namespace {

using namespace skin::place;

const POINT kCallTile = Center(main::btn_callplace);
const POINT kPadContacts = Center(placecall::btn_contacts);
const POINT kPageUp = Center(contacts::btn_pageup);
const POINT kPageDown = Center(contacts::btn_pagedown);
constexpr int kRow = 35;

// The middle of the list's row in view (0 the top one), and of an index cell (0..4 the left
// column from the top, 5..9 the right).
POINT RowPoint(int slot)
{
    return { (contacts::list.left + contacts::list.right) / 2, contacts::list.top + slot * kRow + kRow / 2 };
}
POINT IndexPoint(int cell)
{
    const int width = (contacts::index.right - contacts::index.left) / 2;
    return { contacts::index.left + (cell / 5) * width + width / 2,
        contacts::index.top + (cell % 5) * kRow + kRow / 2 };
}

class ContactsTest : public AppTest {
protected:
    // Started with the book loaded (this many numbers), a phone connected and the pad open.
    void OpenPad(size_t lines)
    {
        ASSERT_TRUE(Start());
        ASSERT_TRUE(
            ws.PumpUntil([&] { return Frame().Context()->Contacts()->LineCount() == lines; }, kGenerousWait));
        ConnectPhone();
        TapAt(kCallTile);
        ASSERT_NE(Pad(), nullptr);
        TakeTrace();
    }
    CDlgPlaceCall* Pad() const { return Screen<CDlgPlaceCall>(kScreenPlaceCall); }
    CDlgContacts* Book() const { return Screen<CDlgContacts>(kScreenContacts); }
    // The name of every row, as the screen holds them.
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        const ContactRows& all = Book()->Rows();
        for (size_t r = 0; r < all.Count(); ++r)
            names.push_back(ToUtf8(all.Directory().Name(all.Directory().LineAt(all.At(r).line).entry)));
        return names;
    }
    std::vector<std::string> IndexLabels() const
    {
        std::vector<std::string> labels;
        for (const auto& cell : Book()->IndexCells())
            labels.push_back(ToUtf8(cell.label));
        return labels;
    }
};

}

TEST_F(ContactsTest, AContactWithThreeNumbersIsCalledFromTheListAndComesFirstAfterwards)
{
    // Two files of one phone: Anna's home number is in both, written apart.
    DropContacts("AABBCCDDEEFF.vcf",
        Card("Anna Berg",
            "TEL;TYPE=CELL:0170 5550001\r\nTEL;TYPE=HOME:+49 30 5550002\r\nTEL;TYPE=WORK:040 5550003\r\n")
            + Card("Carl Dorn", "TEL:0301110000\r\n"));
    DropContacts("sim.vcf",
        Card("Anna Berg", "TEL;TYPE=HOME:030 5550002\r\n")
            + Card("Bea Cole", "TEL;TYPE=CELL:0172 9990000\r\n"));
    OpenPad(5);
    TapAt(kPadContacts);
    ASSERT_NE(Book(), nullptr);
    Screenshot("contacts");

    // Anna's work number, the third row, called as the pad calls.
    TakeTrace();
    TapAt(RowPoint(2));
    ExpectCallPlaced("0405550003", "9 CDlgContacts");
    EXPECT_NE(Pad(), nullptr);

    // Bea twice and Anna once in the outgoing list: Bea first, then Anna with her dialled number.
    CallLogStore& log = Frame().Context()->callLog;
    // No outgoing file yet: the list starts empty.
    EXPECT_FALSE(log.LoadList(CallLogStore::kOutgoingList));
    for (const char* number : { "0405550003", "+49 172 9990000", "01729990000" })
        ASSERT_TRUE(
            log.AddRecord(CallLogStore::kOutgoingList, testenv::Record(CallRecord::kOutgoing, number)));
    ASSERT_TRUE(log.SaveList(CallLogStore::kOutgoingList));
    // From the history this time, whose button shows with contacts.
    Open<CDlgCallHist>(kScreenCallHist);
    TapAt(Center(callhist::btn_contacts));
    ASSERT_NE(Book(), nullptr);
    Screenshot("contacts-favourites");

    // Not connected: the hint says so and nothing is dialled.
    State(3);
    TakeTrace();
    TapAt(RowPoint(0));
    EXPECT_TRUE(ShowsText(*Book(), "Cellphone not ready for calls"));
    EXPECT_TRUE(SentFrames().empty());
    TapAt(Center(contacts::btn_gomain));
    EXPECT_EQ(Book(), nullptr);
}

// The device's language orders the book: Swedish files Å, Ä, Ö after Z as letters of their own.
// Each language's order is ContactDirectory's (unit_contacts); here, that the screen uses it.
TEST_F(ContactsTest, NamesAreSortedByTheDeviceLanguagesRules)
{
    testenv::ScopedEnv language { "OSTRILAN_LANG", "0x041D" };
    std::string book;
    int i = 0;
    for (const char* name : { "Zander", "Öberg", "Ärla", "Bernd", "Adam", "Åsa" })
        book += Card(name, "TEL:030555000" + std::to_string(i++) + "\r\n");
    DropContacts("book.vcf", book);
    OpenPad(6);
    TapAt(kPadContacts);
    ASSERT_NE(Book(), nullptr);
    EXPECT_EQ(Names(), (std::vector<std::string> { "Adam", "Bernd", "Zander", "Åsa", "Ärla", "Öberg" }));
    EXPECT_EQ(IndexLabels(), (std::vector<std::string> { "A", "B", "Z", "Å", "Ä", "Ö" }));
    EXPECT_TRUE(ShowsText(*Book(), "Adam"));
}

TEST_F(ContactsTest, TheLetterIndexAndThePageKeysMoveTheList)
{
    // Two names for each of twelve letters: 24 rows, five in view, ten index cells.
    std::string book;
    for (char letter = 'A'; letter <= 'L'; ++letter) {
        for (int i = 1; i <= 2; ++i)
            book += Card(std::string(1, letter) + "name " + std::to_string(i),
                "TEL:03055" + std::to_string(int(letter)) + std::to_string(i) + "00\r\n");
    }
    DropContacts("book.vcf", book);
    OpenPad(24);
    TapAt(kPadContacts);
    ASSERT_NE(Book(), nullptr);
    Screenshot("contacts-index");

    // Each tap and the row then at the top: E-F jumps to E; K is row 20, but the last page starts at
    // row 19 and the list stops there.
    const std::tuple<POINT, size_t, const char*> taps[] = { { IndexPoint(5), 12, "Gname 1" },
        { IndexPoint(4), 8, nullptr }, { IndexPoint(9), 19, "Lname 2" }, { kPageDown, 19, nullptr },
        { kPageUp, 14, nullptr }, { IndexPoint(0), 0, nullptr }, { kPageUp, 0, nullptr },
        { kPageDown, 5, "Cname 2" } };
    for (auto [at, top, shown] : taps) {
        TapAt(at);
        EXPECT_EQ(Book()->TopRow(), top) << at.x << "," << at.y;
        if (shown) {
            EXPECT_TRUE(ShowsText(*Book(), shown)) << shown;
        }
    }

    // The book deleted while the screen is up: the screen says so, and the pad loses its button.
    std::filesystem::remove(dir / "data" / "contacts" / "book.vcf");
    ASSERT_TRUE(ws.PumpUntil([&] { return Book()->Rows().Count() == 0; }, kGenerousWait));
    Idle();
    EXPECT_TRUE(ShowsText(*Book(), "No contacts"));
    EXPECT_TRUE(Book()->IndexCells().empty());
    TapAt(RowPoint(0));
    EXPECT_NE(Book(), nullptr);
    TapAt(Center(contacts::btn_gomain));
    EXPECT_FALSE(Pad()->GetDlgItem(CDlgPlaceCall::IDC_CONTACTS)->IsWindowVisible());
}

TEST_F(ContactsTest, TypingOffersContactsByNameLettersAndByNumber)
{
    DropContacts("book.vcf",
        Card("Samo Novak", "TEL;TYPE=HOME:030 1234567\r\nTEL;TYPE=CELL:0170 2223333\r\n")
            + Card("Bob Builder", "TEL:+49 30 7266 1234\r\n") + Card("Zed", "TEL:0309990000\r\n"));
    OpenPad(4);
    Type(kPlaceCallPad, "7266");
    Screenshot("place-call-suggestions");

    // One more digit matches nothing: the pad is as it was, its buttons back.
    Type(kPlaceCallPad, "9");
    EXPECT_TRUE(Pad()->Suggestions().empty());
    EXPECT_TRUE(Pad()->GetDlgItem(CDlgPlaceCall::IDC_CALLHIST)->IsWindowVisible());
    EXPECT_TRUE(Pad()->GetDlgItem(CDlgPlaceCall::IDC_CALLHOME)->IsWindowVisible());
    EXPECT_FALSE(ShowsText(*Pad(), "Samo Novak"));

    // Back to 7266 and a tap on Samo: his mobile is dialled.
    TapAt(Center(placecall::btn_pad_del));
    TakeTrace();
    TapAt({ (placecall::suggestions.left + placecall::suggestions.right) / 2,
        placecall::suggestions.top + kRow / 2 });
    ExpectCallPlaced("01702223333", "1 CDlgPlaceCall");
}
