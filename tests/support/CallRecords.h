#pragma once

// A call record as the history files hold one, for the tests that write or compare them; a time is
// given as year, month, day of week, day, hour, minute, second.

#include "store/CallRecord.h"

#include <string_view>

namespace testenv {

inline CallRecord Record(DWORD type, std::string_view number, SYSTEMTIME time = {}, DWORD duration = 0)
{
    CallRecord record;
    record.type = type;
    record.time = time;
    record.duration = duration;
    record.SetNumber(number);
    return record;
}

}
