#pragma once

// The numbers of a set of contacts arranged for looking up a caller's name quickly: numbers are
// grouped by their last digits, so a lookup compares the caller only with the few numbers that can
// match. Built once and then only read, so any number of threads may look up at the same time.

#include "contacts/Contact.h"
#include "contacts/PhoneNumber.h"

#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

class ContactIndex {
public:
    // Numbers sharing their last digits (or a short number) beyond this many are left out, so that
    // a hostile book cannot make one lookup slow; a real book has a handful at most.
    static constexpr size_t kMaxPerGroup = 64;

    void Add(const Contact& contact);

    // The name of the contact whose number matches best (see PhoneNumber). Empty when no number
    // matches, or when two different names match equally well: no name is better than a wrong one.
    std::optional<WString> NameFor(std::string_view number) const;

    size_t ContactCount() const { return m_names.size(); }

private:
    struct Entry {
        PhoneNumber number;
        uint32_t name;
    };

    std::vector<WString> m_names;
    std::vector<Entry> m_entries;
    std::unordered_map<uint32_t, std::vector<uint32_t>> m_byTail;
    std::unordered_map<std::string, std::vector<uint32_t>> m_shortNumbers;
};
