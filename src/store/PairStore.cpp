#include "store/PairStore.h"

#include "store/DataFile.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

namespace {

constexpr const char16_t* kFileName = u"PairData.dat";

}

void PairStore::Add(const BYTE* address)
{
    if (Find(address))
        return;
    auto free
        = std::find_if(m_entries.begin(), m_entries.end(), [](const PairEntry& e) { return e.IsFree(); });
    if (free == m_entries.end()) {
        std::copy(m_entries.begin() + 1, m_entries.end(), m_entries.begin());
        free = m_entries.end() - 1;
    }
    *free = PairEntry {};
    std::memcpy(free->address, address, PairEntry::kAddressSize);
}

bool PairStore::SetName(const BYTE* address, std::u16string_view name)
{
    PairEntry* entry = Find(address);
    if (!entry)
        return false;
    name = name.substr(0, std::min(name.find(u'\0'), PairEntry::kNameSize - 1));
    std::fill(std::begin(entry->name), std::end(entry->name), u'\0');
    std::copy(name.begin(), name.end(), entry->name);
    return true;
}

bool PairStore::GetName(const BYTE* address, WString& name) const
{
    const PairEntry* entry = Find(address);
    if (!entry)
        return false;
    name.assign(entry->name, std::find(std::begin(entry->name), std::end(entry->name), u'\0'));
    return true;
}

bool PairStore::Save()
{
    return DataFile::Save(kFileName, kMagic, DataFile::Bytes(m_entries));
}

bool PairStore::Load()
{
    DataFile file(kFileName, kMagic);
    // The table is 51800 bytes: read aside, off the stack, and taken over only when complete.
    auto buffer = std::make_unique<std::array<PairEntry, kEntries>>();
    for (PairEntry& entry : *buffer) {
        if (!file.ReadNext(DataFile::Bytes(entry)))
            return false;
    }
    m_entries = *buffer;
    return true;
}

PairEntry* PairStore::Find(const BYTE* address)
{
    return const_cast<PairEntry*>(std::as_const(*this).Find(address));
}

const PairEntry* PairStore::Find(const BYTE* address) const
{
    auto it = std::find_if(m_entries.begin(), m_entries.end(),
        [&](const PairEntry& e) { return std::memcmp(e.address, address, PairEntry::kAddressSize) == 0; });
    return it == m_entries.end() ? nullptr : &*it;
}
