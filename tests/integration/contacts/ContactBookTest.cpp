#include "contacts/ContactBook.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::string Card(const std::string& name, const std::string& number)
{
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + name + "\r\nTEL:" + number + "\r\nEND:VCARD\r\n";
}

std::span<const uint8_t> Bytes(const std::string& text)
{
    return { reinterpret_cast<const uint8_t*>(text.data()), text.size() };
}

TEST(ContactBook, FollowsTheFolderFromItsCreationToItsRemoval)
{
    testenv::TempDir root;
    const fs::path folder = root / "data/contacts";
    // The loads, counted as the owner's posted message would.
    std::atomic<int> loads = 0;
    auto book = std::make_unique<ContactBook>(folder, [&] { ++loads; });
    // Waits, up to a deadline, for a load after which the number shows the name (none: nullopt).
    auto waitFor = [&](const char* number, std::optional<WString> name) {
        testenv::Eventually([&] { return loads > 0 && book->NameFor(number) == name; }, 30s);
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
    const int loaded = loads;
    ASSERT_TRUE(ContactBook::WriteVCardFile(folder, address, Bytes(Card("Late", "+49 30 1234567"))));
    EXPECT_EQ(book->NameFor("030 1234567"), u"Back");
    EXPECT_EQ(loads, loaded);
}

// 64 files (by name) are read and a 65th is not; 50 000 contacts are kept and one more is not.
TEST(ContactBook, ReadsAtMost64FilesAnd50000Contacts)
{
    auto number = [](int i) { return "030" + std::to_string(10'000'000 + i).substr(1); };
    auto load = [](const fs::path& folder, auto&& check) {
        std::atomic<int> loads = 0;
        ContactBook book(folder, [&] { ++loads; });
        ASSERT_TRUE(book.Start());
        ASSERT_TRUE(testenv::Eventually([&] { return loads > 0; }, 30s));
        check(book);
    };
    testenv::TempDir root;
    const fs::path files = root / "files";
    fs::create_directories(files);
    for (int i = 0; i < 65; ++i)
        std::ofstream(files / ("f" + std::to_string(100 + i).substr(1) + ".vcf")) << Card("File " + std::to_string(i), number(i));
    load(files, [&](const ContactBook& book) {
        EXPECT_EQ(book.ContactCount(), 64u);
        EXPECT_EQ(book.NameFor(number(63)), u"File 63");
        EXPECT_EQ(book.NameFor(number(64)), std::nullopt);
    });

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
    load(many, [&](const ContactBook& book) {
        EXPECT_EQ(book.ContactCount(), 50'000u);
        EXPECT_EQ(book.NameFor(number(49'999)), u"C49999");
        EXPECT_EQ(book.NameFor(number(50'000)), std::nullopt);
    });
}

}

// Files of 32 MiB in all are read in one load; when the last one brings a byte more, it is not.
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
        std::atomic<int> loads = 0;
        ContactBook book(root.Path(), [&] { ++loads; });
        ASSERT_TRUE(book.Start());
        ASSERT_TRUE(testenv::Eventually([&] { return loads > 0; }, 60s));
        EXPECT_EQ(book.NameFor("0301234563"), u"Big 3") << third;
        EXPECT_EQ(book.NameFor("0307654321"), third == (8u << 20) - last.size() ? std::optional<WString>(u"Last") : std::nullopt);
    }
}
