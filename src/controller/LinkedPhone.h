#pragma once

// Which phone the module has linked, as far as this side can tell: the module reports a link but
// not whose it is. The phone last chosen on Connect is the one the module links (and reconnects);
// before any choice, a single named phone in the pair store can only be that one. With several
// named phones and no choice the name is not known, and the status line says what it always did.

#include "link/ModuleBuffers.h"
#include "platform/core/Types.h"

#include <optional>

class PairStore;

class LinkedPhone {
public:
    void Chosen(const BtAddress& address) { m_chosen = address; }
    // The linked phone's stored name; reads the pair store's file first, as a restart left it.
    std::optional<WString> Name(PairStore& pairs) const;

private:
    std::optional<BtAddress> m_chosen;
};
