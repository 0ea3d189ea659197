#include "contacts/ContactIndex.h"

#include <algorithm>

namespace {

constexpr uint32_t kShortBit = 0x80000000u;

// FNV-1a: short numbers are grouped by their text's hash; two that share it are told apart by
// the comparison every lookup makes anyway.
uint32_t ShortKey(std::string_view text)
{
    uint32_t hash = 2166136261u;
    for (char c : text)
        hash = (hash ^ uint8_t(c)) * 16777619u;
    return hash | kShortBit;
}

uint32_t KeyOf(const PhoneNumber& number)
{
    return number.IsShort() ? ShortKey(number.Text()) : number.TailKey() & ~kShortBit;
}

}

size_t ContactIndex::CostOf(const Contact& contact)
{
    size_t bytes = contact.name.size() * sizeof(char16_t) + 2 * sizeof(uint32_t);
    for (const std::string& number : contact.numbers)
        bytes += sizeof(Entry) + sizeof(uint32_t) + std::min(number.size(), PhoneNumber::kMaxChars);
    return bytes;
}

bool ContactIndex::Add(const Contact& contact, size_t maxBytes)
{
    const size_t cost = CostOf(contact);
    if (m_sealed || m_bytes + cost > maxBytes)
        return false;
    m_bytes += cost;
    const auto name = uint32_t(m_nameStarts.size());
    m_nameStarts.push_back(uint32_t(m_namePool.size()));
    m_namePool += contact.name;
    m_favourites.push_back(contact.favourite);
    for (size_t i = 0; i < contact.numbers.size(); ++i) {
        PhoneNumber number(contact.numbers[i]);
        if (number.Empty() || number.Text().size() > PhoneNumber::kMaxChars)
            continue;
        m_entries.push_back({ KeyOf(number), name, uint32_t(m_textPool.size()), uint8_t(number.Text().size()),
            contact.KindOf(i), uint16_t(std::min<size_t>(i, UINT16_MAX)) });
        m_textPool += number.Text();
    }
    return true;
}

void ContactIndex::Seal()
{
    // Stable, so each group keeps its numbers in the order they came and the first ones stay.
    std::stable_sort(
        m_entries.begin(), m_entries.end(), [](const Entry& a, const Entry& b) { return a.key < b.key; });
    size_t kept = 0;
    for (size_t i = 0, inGroup = 0; i < m_entries.size(); ++i) {
        inGroup = i > 0 && m_entries[i].key == m_entries[i - 1].key ? inGroup + 1 : 0;
        if (inGroup < kMaxPerGroup)
            m_entries[kept++] = m_entries[i];
    }
    m_entries.resize(kept);
    m_entries.shrink_to_fit();
    m_byContact.resize(m_entries.size());
    for (size_t i = 0; i < m_byContact.size(); ++i)
        m_byContact[i] = uint32_t(i);
    std::sort(m_byContact.begin(), m_byContact.end(), [this](uint32_t a, uint32_t b) {
        const Entry& x = m_entries[a];
        const Entry& y = m_entries[b];
        return x.name != y.name ? x.name < y.name : x.order < y.order;
    });
    m_contactStarts.assign(m_nameStarts.size() + 1, 0);
    for (uint32_t at : m_byContact)
        ++m_contactStarts[m_entries[at].name + 1];
    for (size_t i = 1; i < m_contactStarts.size(); ++i)
        m_contactStarts[i] += m_contactStarts[i - 1];
    m_namePool.shrink_to_fit();
    m_nameStarts.shrink_to_fit();
    m_favourites.shrink_to_fit();
    m_textPool.shrink_to_fit();
    m_sealed = true;
}

WString ContactIndex::NameAt(uint32_t name) const
{
    return WString(NameView(name));
}

std::u16string_view ContactIndex::NameView(size_t contact) const
{
    const size_t start = m_nameStarts[contact];
    const size_t end = contact + 1 < m_nameStarts.size() ? m_nameStarts[contact + 1] : m_namePool.size();
    return std::u16string_view(m_namePool).substr(start, end - start);
}

std::string_view ContactIndex::NumberText(uint32_t number) const
{
    return std::string_view(m_textPool).substr(m_entries[number].textAt, m_entries[number].textLength);
}

std::optional<WString> ContactIndex::NameFor(std::string_view written) const
{
    PhoneNumber caller(written);
    if (caller.Empty() || !m_sealed)
        return std::nullopt;
    const uint32_t key = KeyOf(caller);
    const Entry probe { key, 0, 0, 0, NumberKind::Other, 0 };
    auto [first, last] = std::equal_range(m_entries.begin(), m_entries.end(), probe,
        [](const Entry& a, const Entry& b) { return a.key < b.key; });

    int best = 0;
    std::optional<uint32_t> name;
    bool ambiguous = false;
    for (auto it = first; it != last; ++it) {
        const PhoneNumber number(std::string_view(m_textPool).substr(it->textAt, it->textLength));
        int score = PhoneNumber::Match(caller, number);
        if (score > best) {
            best = score;
            name = it->name;
            ambiguous = false;
        } else if (score == best && score > 0 && *name != it->name && NameAt(*name) != NameAt(it->name)) {
            ambiguous = true;
        }
    }
    return ambiguous || !name ? std::nullopt : std::optional<WString>(NameAt(*name));
}
