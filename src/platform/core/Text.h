#pragma once

// Conversions between the wide texts kept in memory and the UTF-8 of files, the trace and Linux.

#include "platform/core/Types.h"

#include <string>
#include <string_view>

// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string ToUtf8(std::u16string_view text);
// UTF-8 to UTF-16; malformed sequences become U+FFFD.
WString FromUtf8(std::string_view text);
// Plain ASCII literal to a wide text.
WString Widen(std::string_view ascii);
