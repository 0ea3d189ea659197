#include "store/CallRecord.h"

#include <algorithm>
#include <cstring>

void CallRecord::SetNumber(std::string_view text)
{
    std::memset(number, 0, sizeof number);
    for (size_t i = 0; i < text.size() && i < kNumberSize && text[i] != '\0'; ++i)
        number[i] = text[i];
}

std::string CallRecord::Number() const
{
    return std::string(number, std::find(number, number + kNumberSize, '\0'));
}
