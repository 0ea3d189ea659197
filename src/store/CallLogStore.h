#pragma once

// The call history: the incoming, outgoing and missed lists of 20 records each (slot 0 the newest),
// each backed by its own file in the data folder, plus the call in progress and the last call,
// which LastCall.dat keeps for Redial. Lists are valid only after they were loaded.

#include "store/CallRecord.h"

#include <array>

class CallLogStore {
public:
    static constexpr int kIncomingList = 1;
    static constexpr int kOutgoingList = 2;
    static constexpr int kMissedList = 3;
    static constexpr int kSlots = 20;

    static constexpr DWORD kLastCallMagic = 0x01010102;
    static constexpr DWORD kIncomingMagic = 0x01010103;
    static constexpr DWORD kOutgoingMagic = 0x01010104;
    static constexpr DWORD kMissedMagic = 0x01010105;

    virtual ~CallLogStore() = default;

    // The record goes into slot 0; the oldest record falls out of slot 19.
    bool AddRecord(int list, const CallRecord& record);
    bool DeleteRecord(int list, int slot);
    bool ClearList(int list);
    bool GetRecord(int list, int slot, CallRecord& record) const;
    [[nodiscard]] bool SaveList(int list);
    // A missing file empties the list; a foreign one leaves it as it was (and is kept aside). A
    // list whose last save failed is newer than its file and stays as it is.
    bool LoadList(int list);
    [[nodiscard]] bool SaveLastCall();
    // A file that is missing or cannot be read leaves the last call in memory as it was.
    bool LoadLastCall();

    // Written directly by the call handling while a call runs and when it is dialled.
    CallRecord& CurrentCall() { return m_currentCall; }
    CallRecord& LastCall() { return m_lastCall; }

    static const char16_t* FileName(int list);

private:
    using List = std::array<CallRecord, kSlots>;
    static bool ValidList(int list) { return list >= kIncomingList && list <= kMissedList; }
    List& ListOf(int list) { return m_lists[size_t(list - kIncomingList)]; }
    const List& ListOf(int list) const { return m_lists[size_t(list - kIncomingList)]; }

    std::array<List, 3> m_lists {};
    std::array<bool, 3> m_unsaved {};
    CallRecord m_currentCall;
    CallRecord m_lastCall;
};
