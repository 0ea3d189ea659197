#include "contacts/ContactIndex.h"

void ContactIndex::Add(const Contact& contact)
{
    auto name = uint32_t(m_names.size());
    m_names.push_back(contact.name);
    for (const std::string& written : contact.numbers) {
        PhoneNumber number(written);
        if (number.Empty())
            continue;
        std::vector<uint32_t>& group
            = number.IsShort() ? m_shortNumbers[number.Text()] : m_byTail[number.TailKey()];
        if (group.size() == kMaxPerGroup)
            continue;
        group.push_back(uint32_t(m_entries.size()));
        m_entries.push_back({ std::move(number), name });
    }
}

std::optional<WString> ContactIndex::NameFor(std::string_view written) const
{
    PhoneNumber caller(written);
    if (caller.Empty())
        return std::nullopt;
    const std::vector<uint32_t>* group = nullptr;
    if (caller.IsShort()) {
        if (auto it = m_shortNumbers.find(caller.Text()); it != m_shortNumbers.end())
            group = &it->second;
    } else if (auto it = m_byTail.find(caller.TailKey()); it != m_byTail.end()) {
        group = &it->second;
    }
    if (!group)
        return std::nullopt;

    int best = 0;
    const WString* name = nullptr;
    bool ambiguous = false;
    for (uint32_t index : *group) {
        const Entry& entry = m_entries[index];
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
}
