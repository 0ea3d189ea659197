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
        testenv::Eventually([&] { return loads > 0 && book->NameFor(number) == name; }, 5s);
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

}
