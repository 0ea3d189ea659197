#pragma once

// One person of a phone book: the name shown for a call and the numbers as the card wrote them.

#include "platform/core/Types.h"

#include <string>
#include <vector>

struct Contact {
    WString name;
    std::vector<std::string> numbers;

    bool operator==(const Contact&) const = default;
};
