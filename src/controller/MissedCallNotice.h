#pragma once

// The status line's notice of the calls missed since the missed list was last on screen: "2 missed
// calls: Sam Orwell", with the last caller's name from the contacts or else their number. The
// count is saved at once, so the notice outlives a restart.

#include "platform/core/Types.h"
#include "store/MissedCallStore.h"

#include <functional>
#include <optional>
#include <string>

class MissedCallNotice {
public:
    using NameFor = std::function<std::optional<WString>(const std::string& number)>;

    // What an earlier run left; nothing when the file is missing or unreadable.
    void Load() { (void)m_store.Load(); }
    // One more missed call from this number (empty when withheld).
    void Missed(const std::string& number);
    // The missed list was shown; true when a notice was pending until now.
    bool Seen();
    bool Pending() const { return m_store.Count() > 0; }
    // The notice in the loaded language, empty while none is pending.
    WString Text(const NameFor& nameFor) const;

private:
    MissedCallStore m_store;
};
