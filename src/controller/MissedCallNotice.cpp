#include "controller/MissedCallNotice.h"

#include "controller/StatusText.h"
#include "controller/TextKeys.h"
#include "controller/TextTable.h"
#include "platform/core/Text.h"

void MissedCallNotice::Missed(const std::string& number)
{
    m_store.Add(number);
    // A count that cannot be saved still shows until the program ends.
    (void)m_store.Save();
}

bool MissedCallNotice::Seen()
{
    if (!Pending())
        return false;
    m_store.Clear();
    (void)m_store.Save();
    return true;
}

WString MissedCallNotice::Text(const NameFor& nameFor) const
{
    const DWORD count = m_store.Count();
    if (count == 0)
        return {};
    const std::string number = m_store.LastNumber();
    WString who;
    if (number.empty())
        who = TextTable::Text(text::kMissedCallerUnknown);
    else if (std::optional<WString> name = nameFor ? nameFor(number) : std::nullopt)
        who = *name;
    else
        who = Widen(number);
    if (count == 1)
        return FillStatusText(TextTable::Text(text::kMissedCallOne), 1, who);
    return FillStatusText(TextTable::Text(text::kMissedCalls), int(count), who);
}
