// The phone book as obexd hands it to the bridge: the files of the two books, read from the
// bridge's transfer folder within what is left of the bound, then written as the phone's contacts
// file, which the application's reader takes in bounded memory. The first byte splits the rest
// into the two books, the second sets the bound (in 16-byte steps), so both sides of it are met.
#include "TransferFile.h"
#include "support/FuzzDataRoot.h"

#include "contacts/ContactBook.h"
#include "contacts/VCardReader.h"
#include "link/ModuleBuffers.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace {

std::filesystem::path WriteBook(const char* name, const uint8_t* data, size_t size)
{
    const auto path = FuzzDataRoot() / "transfers" / name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), std::streamsize(size));
    return path;
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const size_t rest = size - 2;
    const size_t cut = rest * data[0] / 255;
    const size_t bound = size_t(data[1]) * 16;
    const uint8_t* books = data + 2;
    const auto pb = WriteBook("pb.vcf", books, cut);
    const auto cch = WriteBook("cch.vcf", books + cut, rest - cut);

    std::vector<uint8_t> collected;
    size_t expected = 0;
    for (const auto& [file, length] : { std::pair { pb, cut }, std::pair { cch, rest - cut } }) {
        const auto inside = transferfile::Inside(FuzzDataRoot() / "transfers", file.string());
        if (inside.empty())
            std::abort();
        const size_t before = collected.size();
        const bool read = transferfile::AppendBounded(inside, bound - before, collected);
        // A file is taken whole when it fits what is left, and not at all otherwise.
        if (read != (before + length <= bound) || collected.size() != before + (read ? length : 0))
            std::abort();
        if (!read)
            break;
        expected += length;
    }
    if (collected.size() != expected || !std::equal(collected.begin(), collected.end(), books))
        std::abort();

    const BtAddress phone { 0x00, 0x1A, 0x7D, 0xDA, 0x71, 0x01 };
    const auto folder = FuzzDataRoot() / "contacts";
    if (!ContactBook::WriteVCardFile(folder, phone, collected))
        std::abort();
    const auto contacts = VCardReader::ReadFile(folder / ContactBook::FileNameFor(phone));
    if (contacts.size() > VCardReader::kMaxCards)
        std::abort();
    return 0;
}
