#pragma once

// The files obexd writes for the bridge: asked for in a folder of the bridge's own, and read only
// from there. The path obexd reports is taken only when, with every link and ".." resolved, it
// still lies in that folder, and is read only as a regular file of a bounded size; a path that
// points anywhere else is neither read nor removed.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace transferfile {

// A new folder only this user can enter (0700), under $XDG_RUNTIME_DIR (else $TMPDIR, else /tmp);
// empty with `error` set when none could be made.
std::filesystem::path MakePrivateFolder(std::string& error);

// The resolved path of `reported` when it names an existing file inside `folder`; empty otherwise.
std::filesystem::path Inside(const std::filesystem::path& folder, const std::string& reported);

// Appends the whole file to `bytes` when it is a regular file (not a link) of at most `maxBytes`;
// false, with `bytes` as it was, otherwise.
bool AppendBounded(const std::filesystem::path& file, uintmax_t maxBytes, std::vector<uint8_t>& bytes);

// Adds `line` (and a line break) before every card's END line from byte `from` on; false, with
// `bytes` as it was, when that would make them longer than maxBytes.
bool MarkCards(std::vector<uint8_t>& bytes, size_t from, std::string_view line, size_t maxBytes);

}
