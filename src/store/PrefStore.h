#pragma once

// The preferences record, kept in PrefData.dat. A new store holds zeros: no home number, automatic
// answer off, ring tone 0.

#include "store/PrefRecord.h"

class PrefStore {
public:
    // PrefData.dat shares its magic with LastCall.dat.
    static constexpr DWORD kMagic = 0x01010102;

    virtual ~PrefStore() = default;

    // A missing or foreign file leaves the record as it was.
    bool Load();
    [[nodiscard]] bool Save();
    // Copies the text up to its first zero byte, at most 32 characters, zero-filling the rest.
    void SetHomeNumber(const char* text);

    PrefRecord& Record() { return m_record; }
    const PrefRecord& Record() const { return m_record; }

private:
    PrefRecord m_record;
};
