#pragma once

// Text from the module: 8-bit bytes, ending at the first zero byte or the end of the field.
// Phones send their names in UTF-8, older modules plain Latin-1, so each byte sequence that is
// valid UTF-8 is decoded as such and every other byte stands for itself as Latin-1. Limits count
// decoded characters, not bytes.

#include "platform/core/Types.h"

#include <span>

class ModuleText {
public:
    // The module never sends more text than this in one field.
    static constexpr size_t kScratchSize = 256;

    // Zeroes the target, then stores the decoded text, cut so that one terminating zero remains.
    // A character that needs two 16-bit units is never split.
    static void Decode(std::span<const BYTE> bytes, std::span<WCHAR> target);
    // The text in a zero-terminated buffer (the whole buffer when no zero is found).
    static WString FromBuffer(std::span<const WCHAR> buffer);
};
