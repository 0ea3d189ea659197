#include "link/PhoneStatus.h"

#include <algorithm>
#include <optional>

namespace {

constexpr int64_t kMsPerSecond = 1000;

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    int64_t era = (y >= 0 ? y : y - 399) / 400;
    unsigned yoe = unsigned(y - era * 400);
    unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + int64_t(doe) - 719468;
}

// Milliseconds since 1970 of a UTC time, or nothing when it names no valid moment (a call start
// that was never set), as the device's conversion would refuse it.
std::optional<int64_t> ToUtcMs(const SYSTEMTIME& t)
{
    static constexpr unsigned kDaysInMonth[] = { 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    if (t.wYear < 1601 || t.wMonth < 1 || t.wMonth > 12 || t.wDay < 1 || t.wDay > kDaysInMonth[t.wMonth - 1]
        || t.wHour > 23 || t.wMinute > 59 || t.wSecond > 59 || t.wMilliseconds > 999)
        return std::nullopt;
    int64_t days = DaysFromCivil(t.wYear, t.wMonth, t.wDay);
    return ((days * 24 + t.wHour) * 60 + t.wMinute) * 60 * kMsPerSecond + t.wSecond * kMsPerSecond
        + t.wMilliseconds;
}

}

void PhoneStatus::UpdateElapsed()
{
    SYSTEMTIME now;
    GetSystemTime(&now);
    std::optional<int64_t> start = ToUtcMs(callStart);
    std::optional<int64_t> end = ToUtcMs(now);
    // Without a valid start there is no call time to show.
    elapsedSeconds = start && end ? (*end - *start) / kMsPerSecond : 0;
}

void PhoneStatus::AppendDigit(char c)
{
    auto slot = std::find(dialString.begin(), dialString.end(), '\0');
    if (slot != dialString.end())
        *slot = c;
}

void PhoneStatus::DeleteLastDigit()
{
    auto end = std::find(dialString.begin(), dialString.end(), '\0');
    if (end != dialString.begin())
        *(end - 1) = '\0';
}

WString PhoneStatus::DialText() const
{
    auto end = std::find(dialString.begin(), dialString.end(), '\0');
    WString text;
    for (auto it = dialString.begin(); it != end; ++it)
        text += WCHAR(BYTE(*it));
    return text;
}

WString TailText(const WString& text, size_t n)
{
    return text.size() > n ? text.substr(text.size() - n) : text;
}
