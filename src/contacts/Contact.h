#pragma once

// One person of a phone book: the name shown for a call and the numbers as the card wrote them,
// each with the kind the card gave it.

#include "platform/core/Types.h"

#include <cstdint>
#include <string>
#include <vector>

enum class NumberKind : uint8_t { Other, Mobile, Home, Work };

struct Contact {
    WString name;
    std::vector<std::string> numbers;
    // kinds[i] is the kind of numbers[i]; a number without one (a shorter list) is Other.
    std::vector<NumberKind> kinds = {};

    NumberKind KindOf(size_t i) const { return i < kinds.size() ? kinds[i] : NumberKind::Other; }

    bool operator==(const Contact&) const = default;
};
