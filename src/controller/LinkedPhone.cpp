#include "controller/LinkedPhone.h"

#include "store/PairStore.h"

#include <algorithm>

std::optional<WString> LinkedPhone::Name(PairStore& pairs) const
{
    // A file that cannot be read leaves the table as the module's last reports filled it.
    (void)pairs.Load();
    WString name;
    if (m_chosen) {
        if (pairs.GetName(m_chosen->data(), name) && !name.empty())
            return name;
        return std::nullopt;
    }
    std::optional<WString> only;
    for (size_t i = 0; i < PairStore::kEntries; ++i) {
        const PairEntry& entry = pairs.Entry(i);
        if (entry.IsFree() || entry.name[0] == u'\0')
            continue;
        if (only)
            return std::nullopt;
        // A name read from a file may fill its field without the terminating zero.
        only
            = WString(std::begin(entry.name), std::find(std::begin(entry.name), std::end(entry.name), u'\0'));
    }
    return only;
}
