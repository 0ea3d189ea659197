#pragma once

// Reads the contacts of vCard text (versions 2.1, 3.0 and 4.0) as phones export them: the name
// from FN, or from N ("Given Family") when a card has no FN, every TEL whatever its types, and
// whether its CATEGORIES make it one of the phone's favourites.
// Values may be quoted-printable (with soft line breaks) and in UTF-8 or another charset (read as
// Latin-1); long lines may be folded. A broken card (no END, a BEGIN inside it) is skipped and the
// cards around it are kept; lines outside cards are ignored. A card without a name or without a
// number gives nothing to look up and is left out.
//
// Any input costs bounded time and memory: work is linear in the input, and
//   - a file is read up to kMaxFileBytes (the rest is ignored, a card cut there is broken),
//   - at most kMaxCards cards are returned,
//   - a logical (unfolded) line longer than kMaxLineBytes is ignored,
//   - a name is cut to kMaxNameChars UTF-16 units,
//   - a card keeps its first kMaxNumbersPerCard numbers, each at most kMaxNumberBytes long.

#include "contacts/Contact.h"

#include <cstddef>
#include <filesystem>
#include <stop_token>
#include <string_view>
#include <vector>

class VCardReader {
public:
    static constexpr size_t kMaxFileBytes = 8 * 1024 * 1024;
    static constexpr size_t kMaxCards = 20'000;
    static constexpr size_t kMaxLineBytes = 16 * 1024;
    static constexpr size_t kMaxNameChars = 256;
    static constexpr size_t kMaxNumbersPerCard = Contact::kMaxKinds;
    static constexpr size_t kMaxNumberBytes = 64;

    // The cards of the text, in file order. A stop request ends the reading early with the cards
    // read so far.
    static std::vector<Contact> Parse(std::string_view text, std::stop_token stop = {});

    // The cards of a file; empty when it cannot be read.
    static std::vector<Contact> ReadFile(const std::filesystem::path& path, std::stop_token stop = {});
};
