#pragma once

// A phone's contacts as the bridge would pull them: vCards written as the phone's file into the
// application's contacts folder, which the application watches. The console's `contact` adds one
// card to what this run dropped so far; `vcard` drops a whole file as the phone's book.

#include "link/ModuleBuffers.h"

#include <filesystem>
#include <string>
#include <vector>

class SimContacts {
public:
    // At most this many bytes from a vcard file: a phone book, not anything that happens to be there.
    static constexpr std::uintmax_t kMaxFileBytes = 4 * 1024 * 1024;

    explicit SimContacts(std::filesystem::path folder)
        : m_folder(std::move(folder))
    {
    }

    // "contact NAME NUMBER" or "vcard PATH" (words as the console splits them) for the phone with
    // this address; the one-line answer.
    std::string Execute(const std::vector<std::string>& words, const BtAddress& phone);

private:
    std::string Write(const BtAddress& phone, const std::string& bytes, const std::string& what);

    std::filesystem::path m_folder;
    std::string m_cards;
};
