#pragma once

// The numbers of a set of contacts arranged for looking up a caller's name quickly: numbers are
// grouped by their last digits, so a lookup compares the caller only with the few numbers that can
// match. Filled by Add, then sealed once and only read, so any number of threads may look up at
// the same time.
//
// Kept compact, since a phone book may be large: every name lies in one UTF-16 pool and every
// number's text in one byte pool; a number costs a 16-byte entry plus its text, a contact its
// name plus 8 bytes. Groups are runs of one sorted array, found by binary search. The same
// contents serve the directory a person browses (ContactDirectory): each contact's numbers, in
// the card's order with their kinds, are found through a second, per-contact ordering.

#include "contacts/Contact.h"
#include "contacts/PhoneNumber.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

class ContactIndex {
public:
    // Numbers sharing their last digits (or a short number) beyond this many are left out, so that
    // a hostile book cannot make one lookup slow; a real book has a handful at most.
    static constexpr size_t kMaxPerGroup = 64;

    // False, with nothing added, when the contact would take the index past maxBytes.
    bool Add(const Contact& contact, size_t maxBytes = SIZE_MAX);
    // Arranges what was added for lookups; before it NameFor finds nothing.
    void Seal();

    // The name of the contact whose number matches best (see PhoneNumber). Empty when no number
    // matches, or when two different names match equally well: no name is better than a wrong one.
    std::optional<WString> NameFor(std::string_view number) const;

    size_t ContactCount() const { return m_nameStarts.size(); }
    std::u16string_view NameView(size_t contact) const;
    bool IsFavourite(size_t contact) const { return m_favourites[contact]; }
    // After Seal: the numbers a contact kept, each as dialled (separators removed) with its kind.
    size_t NumberCountOf(size_t contact) const
    {
        return m_contactStarts[contact + 1] - m_contactStarts[contact];
    }
    // The number's place among all numbers, for NumberText and NumberKindAt.
    uint32_t NumberOf(size_t contact, size_t i) const { return m_byContact[m_contactStarts[contact] + i]; }
    std::string_view NumberText(uint32_t number) const;
    NumberKind NumberKindAt(uint32_t number) const { return m_entries[number].kind; }
    // What the contents take, counted as they were added.
    size_t Bytes() const { return m_bytes; }
    // What one contact would add to Bytes().
    static size_t CostOf(const Contact& contact);

private:
    struct Entry {
        // The tail key of a long number; a hash of a short one's text, with the top bit set.
        uint32_t key;
        uint32_t name;
        uint32_t textAt;
        uint8_t textLength;
        NumberKind kind;
        // Its place on the card, so the directory shows a contact's numbers in the card's order.
        uint16_t order;
    };

    WString NameAt(uint32_t name) const;

    std::u16string m_namePool;
    std::vector<uint32_t> m_nameStarts;
    std::vector<bool> m_favourites;
    std::string m_textPool;
    std::vector<Entry> m_entries;
    // After Seal: m_entries' positions contact by contact, and where each contact's run starts
    // (one more start than contacts).
    std::vector<uint32_t> m_byContact;
    std::vector<uint32_t> m_contactStarts;
    size_t m_bytes = 0;
    bool m_sealed = false;
};
