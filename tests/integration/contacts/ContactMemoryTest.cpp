// The largest phone books the card reader lets through must not grow the program past its memory
// bound, while loading nor while reloading.

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

using testenv::StatusKiB;

std::string Digits(uint64_t n, size_t width)
{
    std::string text = std::to_string(n);
    return std::string(width - std::min(width, text.size()), '0') + text;
}

// Cards with 256-character names and 16 numbers of 31 digits, up to 8 MiB.
void WriteWorstBook(const fs::path& file, uint64_t first)
{
    std::string text;
    for (uint64_t card = first; text.size() < (8u << 20) - 1024; ++card) {
        text += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + std::string(256 - 10, 'N') + Digits(card, 10) + "\r\n";
        for (uint64_t n = 0; n < 16; ++n)
            text += "TEL:+" + Digits(card * 16 + n, 31) + "\r\n";
        text += "END:VCARD\r\n";
    }
    std::ofstream(file, std::ios::binary) << text;
}

// Under a cross build's emulator (the arm64 test preset names it in OSTRILAN_EMULATOR) the
// process's memory figures include the emulator's own. A sanitizer build checks no figures.
[[maybe_unused]] bool Emulated()
{
    const char* emulator = std::getenv("OSTRILAN_EMULATOR");
    return emulator && *emulator;
}

}

TEST(ContactMemory, FourWorstCaseBooksAndAReloadStayUnderTheBound)
{
    testenv::TempDir root;
    const fs::path folder = root / "contacts";
    fs::create_directories(folder);
    for (uint64_t i = 0; i < 4; ++i)
        WriteWorstBook(folder / ("book" + std::to_string(i) + ".vcf"), i * 100'000);
    const size_t before = StatusKiB("VmRSS");

    std::atomic<int> loads = 0;
    ContactBook book(folder, [&] { ++loads; });
    ASSERT_TRUE(book.Start());
    ASSERT_TRUE(testenv::Eventually([&] { return loads == 1; }, 60s));
    // What fitted answers; the first book's first card is in, a card of the last book is not.
    EXPECT_EQ(book.NameFor("+" + Digits(0, 31)), WString(246, u'N') + u"0000000000");
    EXPECT_EQ(book.NameFor("+" + Digits(300'000 * 16, 31)), std::nullopt);
    const size_t contacts = book.ContactCount();
    EXPECT_GT(contacts, 6000u);

    WriteWorstBook(folder / "book0.vcf", 0);
    ASSERT_TRUE(testenv::Eventually([&] { return loads == 2; }, 60s));
    EXPECT_EQ(book.ContactCount(), contacts);
    const size_t peak = StatusKiB("VmHWM");
    const size_t after = StatusKiB("VmRSS");
    RecordProperty("contacts", int(contacts));
    RecordProperty("rss_before_kib", int(before));
    RecordProperty("hwm_kib", int(peak));
    RecordProperty("rss_after_kib", int(after));
    std::printf("contacts %zu, VmRSS before %zu KiB, after %zu KiB, VmHWM %zu KiB\n", contacts, before, after, peak);
    // The whole test program, the files' text it wrote included, under the application's bound.
#ifndef OSTRILAN_SANITIZED
    // Under emulation the figures hold qemu's own memory too: the peak counts from the start.
    const size_t floor = Emulated() ? before : 0;
    EXPECT_LT(peak - floor, 64u * 1024);
    EXPECT_LT(after - std::min(after, before), 24u * 1024);
#endif
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
            const std::string name = last ? lastName + (byteMore ? "L" : "") : std::string(82, 'N') + Digits(card, 10);
            text += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + name + "\r\n";
            for (uint64_t n = 0; n < 16; ++n)
                text += "TEL:+" + Digits(card * 16 + n, last && byteMore && n == 15 ? 30 : 31) + "\r\n";
            text += "END:VCARD\r\n";
        }
        std::ofstream(root / "book.vcf", std::ios::binary | std::ios::trunc) << text;
        std::atomic<int> loads = 0;
        ContactBook book(root.Path(), [&] { ++loads; });
        ASSERT_TRUE(book.Start());
        ASSERT_TRUE(testenv::Eventually([&] { return loads > 0; }, 60s));
        EXPECT_EQ(book.ContactCount(), byteMore ? 8191u : 8192u);
        EXPECT_EQ(book.NameFor("+" + Digits(8191 * 16, 31)),
            byteMore ? std::nullopt : std::optional<WString>(FromUtf8(lastName)))
            << byteMore;
    }
}
