// The book's worker on real folders: what it follows, what it reads of large books, and that the
// largest books the card reader lets through keep the program under its memory bound.

#include "contacts/ContactBook.h"
#include "platform/core/Text.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::string Card(const std::string& name, const std::string& number)
{
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + name + "\r\nTEL:" + number + "\r\nEND:VCARD\r\n";
}

// A book on a folder with its loads counted, as the owner's posted message would count them.
struct Book {
    explicit Book(const fs::path& folder)
        : book(folder, [this] { ++loads; })
    {
    }
    // Starts the worker and waits for its first load.
    bool Loaded()
    {
        return book.Start() && testenv::Eventually([&] { return loads > 0; }, 60s);
    }

    std::atomic<int> loads = 0;
    ContactBook book;
};

std::span<const uint8_t> Bytes(const std::string& text)
{
    return { reinterpret_cast<const uint8_t*>(text.data()), text.size() };
}

TEST(ContactBook, FollowsTheFolderFromItsCreationToItsRemoval)
{
    testenv::TempDir root;
    const fs::path folder = root / "data/contacts";
    Book b(folder);
    ContactBook* book = &b.book;
    // Waits, up to a deadline, for a load after which the number shows the name (none: nullopt).
    auto waitFor = [&](const char* number, std::optional<WString> name) {
        testenv::Eventually([&] { return b.loads > 0 && book->NameFor(number) == name; }, 30s);
        return book->NameFor(number);
    };
    ASSERT_TRUE(book->Start());
    EXPECT_EQ(waitFor("+49301234567", std::nullopt), std::nullopt);

    // The phone's file appears together with the folders above it.
    const BYTE address[6] = { 0x00, 0x1A, 0x7D, 0xDA, 0x71, 0x13 };
    ASSERT_TRUE(ContactBook::WriteVCardFile(folder, address, Bytes(Card("Anna", "+49 30 1234567"))));
    EXPECT_TRUE(fs::exists(folder / "001A7DDA7113.vcf"));
    EXPECT_EQ(waitFor("030 1234567", u"Anna"), u"Anna");

    // A file a user drops, written in place; then the phone's file replaced with a new name.
    std::ofstream(folder / "Mine.VCF") << Card("Bernd", "040 7654321");
    EXPECT_EQ(waitFor("+49 40 7654321", u"Bernd"), u"Bernd");
    ASSERT_TRUE(ContactBook::WriteVCardFile(folder, address, Bytes(Card("Anna Schmidt", "+49 30 1234567"))));
    EXPECT_EQ(waitFor("030 1234567", u"Anna Schmidt"), u"Anna Schmidt");
    EXPECT_EQ(book->NameFor("040 7654321"), u"Bernd");

    fs::remove(folder / "Mine.VCF");
    EXPECT_EQ(waitFor("040 7654321", std::nullopt), std::nullopt);
    fs::remove_all(root / "data");
    EXPECT_EQ(waitFor("030 1234567", std::nullopt), std::nullopt);
    ASSERT_TRUE(ContactBook::WriteVCardFile(folder, address, Bytes(Card("Back", "+49 30 1234567"))));
    EXPECT_EQ(waitFor("030 1234567", u"Back"), u"Back");

    // The worker sleeps in poll(): Stop wakes and joins it (a worker left asleep holds the test
    // to its time-out), and no change loads after it.
    book->Stop();
    const int loaded = b.loads;
    ASSERT_TRUE(ContactBook::WriteVCardFile(folder, address, Bytes(Card("Late", "+49 30 1234567"))));
    EXPECT_EQ(book->NameFor("030 1234567"), u"Back");
    EXPECT_EQ(b.loads, loaded);
}

// The files are taken in the order of their names.
TEST(ContactBook, ReadsAtMost64FilesAnd50000Contacts)
{
    auto number = [](int i) { return "030" + std::to_string(10'000'000 + i).substr(1); };
    testenv::TempDir root;
    const fs::path files = root / "files";
    fs::create_directories(files);
    for (int i = 0; i < 65; ++i)
        std::ofstream(files / ("f" + std::to_string(100 + i).substr(1) + ".vcf")) << Card("File " + std::to_string(i), number(i));
    Book byFiles(files);
    ASSERT_TRUE(byFiles.Loaded());
    EXPECT_EQ(byFiles.book.ContactCount(), 64u);
    EXPECT_EQ(byFiles.book.NameFor(number(63)), u"File 63");
    EXPECT_EQ(byFiles.book.NameFor(number(64)), std::nullopt);

    // Three files (a file holds 20 000 cards at most) with 50 001 in all.
    const fs::path many = root / "many";
    fs::create_directories(many);
    int next = 0;
    for (int count : { 20'000, 20'000, 10'001 }) {
        std::string text;
        for (int i = 0; i < count; ++i, ++next)
            text += Card("C" + std::to_string(next), number(next));
        std::ofstream(many / ("m" + std::to_string(next) + ".vcf")) << text;
    }
    Book byContacts(many);
    ASSERT_TRUE(byContacts.Loaded());
    EXPECT_EQ(byContacts.book.ContactCount(), 50'000u);
    EXPECT_EQ(byContacts.book.NameFor(number(49'999)), u"C49999");
    EXPECT_EQ(byContacts.book.NameFor(number(50'000)), std::nullopt);
}

}

// The padding is sparse, so the disk is spared.
TEST(ContactBook, ReadsFilesOf32MiBInAllALoadAndNotAByteMore)
{
    testenv::TempDir root;
    const std::string last = Card("Last", "0307654321");
    auto write = [&](const std::string& name, const std::string& card, uintmax_t size) {
        std::ofstream(root / name) << card;
        fs::resize_file(root / name, size);
    };
    for (int i = 0; i < 3; ++i)
        write("b" + std::to_string(i) + ".vcf", Card("Big " + std::to_string(i), "030123456" + std::to_string(i)), 8u << 20);
    write("b4.vcf", last, last.size());
    for (const uintmax_t third : { (8u << 20) - last.size(), (8u << 20) - last.size() + 1 }) {
        write("b3.vcf", Card("Big 3", "0301234563"), third);
        Book b(root.Path());
        ASSERT_TRUE(b.Loaded());
        EXPECT_EQ(b.book.NameFor("0301234563"), u"Big 3") << third;
        EXPECT_EQ(b.book.NameFor("0307654321"),
            third == (8u << 20) - last.size() ? std::optional<WString>(u"Last") : std::nullopt);
    }
}

namespace {

std::string Digits(uint64_t n, size_t width)
{
    std::string text = std::to_string(n);
    return std::string(width - std::min(width, text.size()), '0') + text;
}

}

// Contacts of 1024 index bytes each (a 92-character name: 184 bytes and 8; 16 numbers of 32
// characters: 52 bytes each): 8192 of them fill 8 MiB exactly. The last one is kept, and left out
// when it costs a byte more (a name two bytes longer, a number one character shorter).
TEST(ContactMemory, TheIndexTakesContactsUpTo8MiBAndNotAByteMore)
{
    testenv::TempDir root;
    const std::string lastName = std::string(82, 'L') + Digits(8191, 10);
    for (const bool byteMore : { false, true }) {
        std::string text;
        for (uint64_t card = 0; card < 8192; ++card) {
            const bool last = card == 8191;
            const std::string name
                = last ? lastName + (byteMore ? "L" : "") : std::string(82, 'N') + Digits(card, 10);
            text += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + name + "\r\n";
            for (uint64_t n = 0; n < 16; ++n)
                text += "TEL:+" + Digits(card * 16 + n, last && byteMore && n == 15 ? 30 : 31) + "\r\n";
            text += "END:VCARD\r\n";
        }
        std::ofstream(root / "book.vcf", std::ios::binary | std::ios::trunc) << text;
        Book b(root.Path());
        ASSERT_TRUE(b.Loaded());
        EXPECT_EQ(b.book.ContactCount(), byteMore ? 8191u : 8192u);
        EXPECT_EQ(b.book.NameFor("+" + Digits(8191 * 16, 31)),
            byteMore ? std::nullopt : std::optional<WString>(FromUtf8(lastName)))
            << byteMore;
    }
}
