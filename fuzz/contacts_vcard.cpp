// vCard text of any content: reading never crashes and keeps within its bounds, and the numbers
// read can be looked up, as a caller's number would be.
#include "contacts/ContactIndex.h"
#include "contacts/VCardReader.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<Contact> contacts = VCardReader::Parse(text);
    if (contacts.size() > VCardReader::kMaxCards)
        std::abort();
    ContactIndex index;
    for (const Contact& contact : contacts) {
        if (contact.name.empty() || contact.name.size() > VCardReader::kMaxNameChars
            || contact.numbers.empty() || contact.numbers.size() > VCardReader::kMaxNumbersPerCard)
            std::abort();
        index.Add(contact);
    }
    for (const Contact& contact : contacts) {
        for (const std::string& number : contact.numbers) {
            if (number.empty() || number.size() > VCardReader::kMaxNumberBytes)
                std::abort();
            (void)index.NameFor(number); // two cards may share a number: no name is an answer
        }
    }
    (void)index.NameFor(text.substr(0, 64));
    return 0;
}
