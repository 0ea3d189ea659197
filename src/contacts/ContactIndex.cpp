#include "contacts/ContactIndex.h"

void ContactIndex::Add(const Contact& contact)
{
    auto name = uint32_t(m_names.size());
    m_names.push_back(contact.name);
    for (const std::string& written : contact.numbers) {
        PhoneNumber number(written);
        if (number.Empty())
            continue;
        auto entry = uint32_t(m_entries.size());
        if (number.IsShort())
            m_shortNumbers.emplace(number.Text(), entry);
        else
            m_byTail.emplace(number.TailKey(), entry);
        m_entries.push_back({ std::move(number), name });
    }
}

std::optional<WString> ContactIndex::NameFor(std::string_view written) const
{
    PhoneNumber caller(written);
    if (caller.Empty())
        return std::nullopt;
    auto search = [&](auto range) {
        int best = 0;
        const WString* name = nullptr;
        bool ambiguous = false;
        for (auto it = range.first; it != range.second; ++it) {
            const Entry& entry = m_entries[it->second];
            int score = PhoneNumber::Match(caller, entry.number);
            if (score > best) {
                best = score;
                name = &m_names[entry.name];
                ambiguous = false;
            } else if (score == best && score > 0 && m_names[entry.name] != *name) {
                ambiguous = true;
            }
        }
        return ambiguous || !name ? std::nullopt : std::optional<WString>(*name);
    };
    return caller.IsShort() ? search(m_shortNumbers.equal_range(caller.Text()))
                            : search(m_byTail.equal_range(caller.TailKey()));
}
