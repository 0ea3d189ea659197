#include "store/MissedCallStore.h"

#include "platform/core/Text.h"
#include "platform/devices/KeptAside.h"
#include "store/AppFolders.h"
#include "store/DataFile.h"

#include <algorithm>
#include <filesystem>

namespace {

constexpr const char16_t* kFile = u"MissedNotice.dat";

bool Printable(char c)
{
    return c >= ' ' && c <= '~';
}

// A count past the bound is no count: the file is kept for whoever wants to look at it, and the
// next save starts a fresh one. (One that fails its header is kept aside as it is opened.)
void MoveAside()
{
    (void)KeptAside::Move(ToUtf8(DataPath(kFile))); // a failed rename is logged there
}

}

void MissedCallStore::Add(std::string_view number)
{
    m_record.count = std::min(m_record.count + 1, kMaxCount);
    std::fill(std::begin(m_record.number), std::end(m_record.number), '\0');
    std::copy_n(number.begin(), std::min(number.size(), kNumberSize), m_record.number);
}

void MissedCallStore::Clear()
{
    m_record = Record {};
}

std::string MissedCallStore::LastNumber() const
{
    std::string number;
    for (char c : m_record.number) {
        if (c == '\0')
            break;
        if (Printable(c))
            number += c;
    }
    return number;
}

bool MissedCallStore::Save() const
{
    return DataFile::Save(kFile, kMagic, DataFile::Bytes(m_record));
}

bool MissedCallStore::Load()
{
    m_record = Record {};
    DataFile file(kFile, kMagic);
    if (file.GetStatus() == DataFile::Status::Missing)
        return false;
    Record read;
    if (file.GetStatus() != DataFile::Status::Open || !file.ReadNext(DataFile::Bytes(read))
        || read.count > kMaxCount) {
        MoveAside();
        return false;
    }
    m_record = read;
    return true;
}
