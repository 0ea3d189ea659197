#pragma once

// One person of a phone book: the name shown for a call and the numbers as the card wrote them,
// each with the kind the card gave it.

#include "platform/core/Types.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

enum class NumberKind : uint8_t { Other, Mobile, Home, Work };

struct Contact {
    // As many kinds as a card keeps numbers; held in place, as a book's thousands of contacts pass
    // through the reader and a heap block each would scatter the memory the index is built in.
    static constexpr size_t kMaxKinds = 16;

    WString name;
    std::vector<std::string> numbers;
    // kinds[i] is the kind of numbers[i]; numbers past kMaxKinds are Other.
    std::array<NumberKind, kMaxKinds> kinds = {};
    // The phone marks the person a favourite (a CATEGORIES entry "favorite" or "favourite").
    bool favourite = false;

    NumberKind KindOf(size_t i) const { return i < kinds.size() ? kinds[i] : NumberKind::Other; }

    bool operator==(const Contact&) const = default;
};
