#include "store/CallLogStore.h"

#include "store/DataFile.h"

#include <algorithm>

namespace {

constexpr const char16_t* kLastCallFile = u"LastCall.dat";
constexpr const char16_t* kListFiles[] = { u"IncomingCall.dat", u"OutgoingCall.dat", u"MissedCall.dat" };
constexpr DWORD kListMagics[]
    = { CallLogStore::kIncomingMagic, CallLogStore::kOutgoingMagic, CallLogStore::kMissedMagic };

}

const char16_t* CallLogStore::FileName(int list)
{
    return ValidList(list) ? kListFiles[list - kIncomingList] : kLastCallFile;
}

bool CallLogStore::AddRecord(int list, const CallRecord& record)
{
    if (!ValidList(list))
        return false;
    List& slots = ListOf(list);
    std::copy_backward(slots.begin(), slots.end() - 1, slots.end());
    slots[0] = record;
    return true;
}

bool CallLogStore::DeleteRecord(int list, int slot)
{
    if (!ValidList(list) || slot < 0 || slot >= kSlots)
        return false;
    List& slots = ListOf(list);
    std::copy(slots.begin() + slot + 1, slots.end(), slots.begin() + slot);
    slots.back() = CallRecord {};
    return true;
}

bool CallLogStore::ClearList(int list)
{
    if (!ValidList(list))
        return false;
    ListOf(list).fill(CallRecord {});
    return true;
}

bool CallLogStore::GetRecord(int list, int slot, CallRecord& record) const
{
    if (!ValidList(list) || slot < 0 || slot >= kSlots)
        return false;
    record = ListOf(list)[size_t(slot)];
    return true;
}

bool CallLogStore::SaveList(int list)
{
    if (!ValidList(list))
        return false;
    const bool saved
        = DataFile::Save(FileName(list), kListMagics[list - kIncomingList], DataFile::Bytes(ListOf(list)));
    m_unsaved[size_t(list - kIncomingList)] = !saved;
    return saved;
}

bool CallLogStore::LoadList(int list)
{
    if (!ValidList(list))
        return false;
    // After a failed save the list in memory is newer than its file: the file must not take back
    // the calls it lacks.
    if (m_unsaved[size_t(list - kIncomingList)])
        return true;
    List& slots = ListOf(list);
    DataFile file(FileName(list), kListMagics[list - kIncomingList]);
    if (file.GetStatus() == DataFile::Status::Missing)
        slots.fill(CallRecord {});
    if (file.GetStatus() != DataFile::Status::Open)
        return false;
    // Slot by slot: a read error keeps the slots read before it.
    for (CallRecord& slot : slots) {
        if (!file.ReadNext(DataFile::Bytes(slot)))
            return false;
    }
    return true;
}

bool CallLogStore::SaveLastCall()
{
    return DataFile::Save(kLastCallFile, kLastCallMagic, DataFile::Bytes(m_lastCall));
}

bool CallLogStore::LoadLastCall()
{
    // Only a whole record replaces the one in memory: with the file deleted, torn or on a data
    // folder that cannot be written, the number dialled last is still there for Redial.
    DataFile file(kLastCallFile, kLastCallMagic);
    CallRecord record;
    if (file.GetStatus() != DataFile::Status::Open || !file.ReadNext(DataFile::Bytes(record)))
        return false;
    m_lastCall = record;
    return true;
}
