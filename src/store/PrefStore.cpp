#include "store/PrefStore.h"

#include "store/DataFile.h"

#include <cstring>

namespace {

constexpr const char16_t* kFileName = u"PrefData.dat";

}

bool PrefStore::Load()
{
    DataFile file(kFileName, kMagic);
    PrefRecord buffer;
    if (!file.ReadNext(DataFile::Bytes(buffer)))
        return false;
    m_record = buffer;
    return true;
}

bool PrefStore::Save()
{
    return DataFile::Save(kFileName, kMagic, DataFile::Bytes(m_record));
}

void PrefStore::SetHomeNumber(const char* text)
{
    std::memset(m_record.homeNumber, 0, sizeof m_record.homeNumber);
    for (size_t i = 0; text && i < PrefRecord::kHomeNumberSize && text[i] != '\0'; ++i)
        m_record.homeNumber[i] = text[i];
}
