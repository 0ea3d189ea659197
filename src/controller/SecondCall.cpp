#include "controller/SecondCall.h"

#include "platform/loop/Clock.h"

#include <string>

namespace {

constexpr uint64_t kMsPerSecond = 1000;

}

SecondCall::Outcome SecondCall::Report(LPARAM value)
{
    using State = bridge::SecondCall;
    if (value < 0 || value >= bridge::kSecondCallValues || State(value) == m_state)
        return {};
    const State next = State(value);
    Outcome outcome;
    outcome.changed = true;
    if (m_state == State::None)
        Begin();
    if (!m_answered && next != State::Waiting && next != State::None) {
        m_answered = true;
        m_answeredMs = Clock::Current().NowMs();
        m_record.type = CallRecord::kIncoming;
    }
    if (next == State::None) {
        outcome.secondEnded = true;
        m_state = next;
        return outcome;
    }
    if (next == State::SecondAlone) {
        outcome.firstEnded = true;
        m_state = State::None;
        return outcome;
    }
    m_state = next;
    return outcome;
}

bool SecondCall::EndWithFirst()
{
    if (!Active())
        return false;
    m_state = bridge::SecondCall::None;
    return true;
}

void SecondCall::Begin()
{
    m_record = CallRecord {};
    m_record.type = CallRecord::kMissed;
    GetLocalTime(&m_record.time);
    std::string bytes;
    for (char16_t c : m_number) {
        if (c == 0 || bytes.size() == CallRecord::kNumberSize)
            break;
        bytes += char(c & 0xFF);
    }
    m_record.SetNumber(bytes);
    m_answered = false;
    m_answeredMs = 0;
}

CallRecord SecondCall::Record() const
{
    CallRecord record = m_record;
    if (m_answered)
        record.duration = DWORD((Clock::Current().NowMs() - m_answeredMs) / kMsPerSecond);
    return record;
}
