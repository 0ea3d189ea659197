#pragma once

// A second call beside the one in progress, as only the bridge reports it: its number, its state
// and the history record it will be logged with. The frame logs; this class says when, so each
// call is logged once with its own number and time.

#include "link/BridgeIndicator.h"
#include "platform/core/Types.h"
#include "store/CallRecord.h"

#include <cstdint>

class SecondCall {
public:
    // What a report means for the history.
    struct Outcome {
        bool changed = false;
        // The second call ended: log Record() (missed when never answered).
        bool secondEnded = false;
        // The first call ended and the second takes its place as the call in progress.
        bool firstEnded = false;
    };

    // The number comes before the call is first reported; the history keeps its first 32 bytes.
    void SetNumber(const WString& number) { m_number = number; }
    // A state report; a value out of range changes nothing.
    Outcome Report(LPARAM value);
    // The call in progress ended: a second call ends with it. True when there was one to log.
    bool EndWithFirst();

    bridge::SecondCall State() const { return m_state; }
    bool Active() const { return m_state != bridge::SecondCall::None; }
    const WString& Number() const { return m_number; }
    // The record to log: the number, the time it began to wait, the type (missed until answered)
    // and the seconds since it was answered.
    CallRecord Record() const;

private:
    void Begin();

    bridge::SecondCall m_state = bridge::SecondCall::None;
    WString m_number;
    CallRecord m_record;
    bool m_answered = false;
    uint64_t m_answeredMs = 0;
};
