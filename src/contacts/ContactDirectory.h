#pragma once

// The phone book as a person browses it: every contact once (cards of the same name from any file
// merged, a number written twice kept once), in the order of the user's language (accents,
// Cyrillic and Greek where that language puts them, not in byte order), cut into the sections of
// that language's alphabet for a letter index, and searched by the digits of a dial pad.
//
// Made once over a sealed index, whose names and numbers it shares, and then only read, so any
// thread may read it. Beside the index it costs 8 bytes a number and 16 bytes plus the first
// kMaxKeys keypad digits of its name a contact. Numbers show as dialled (separators removed).

#include "contacts/ContactIndex.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class ContactDirectory {
public:
    // No number is longer than the dial string, so no name needs more keys for a search.
    static constexpr size_t kMaxKeys = 32;
    // Numbers kept for one person however many cards carry the name: each is compared with those
    // kept before it, so a book of one name repeated cannot make the merge slow.
    static constexpr size_t kMaxNumbersPerEntry = 64;

    // One number of one contact: a line of the list, a suggestion.
    struct Line {
        size_t entry;
        NumberKind kind;
        // As dialled: separators removed.
        std::string_view written;
    };
    // A letter of the index and the first line filed under it.
    struct Section {
        WString label;
        size_t firstLine = 0;
        bool operator==(const Section&) const = default;
    };

    ContactDirectory() = default;
    // Every contact of the sealed index. locale: an ICU locale name ("de_DE", "sv", "ru"); empty or
    // unknown sorts by the root rules.
    ContactDirectory(std::shared_ptr<const ContactIndex> index, const std::string& locale);

    size_t EntryCount() const { return m_entries.size(); }
    WString Name(size_t entry) const;
    size_t FirstLine(size_t entry) const { return m_entries[entry].firstLine; }
    bool IsFavourite(size_t entry) const { return m_entries[entry].favourite; }
    // The line a name stands for when one number is offered: its first mobile number, else its first.
    size_t BestLineOf(size_t entry) const;
    // The entry of exactly this name, or EntryCount().
    size_t Find(const WString& name) const;

    // Every number of every contact, contact by contact in order.
    size_t LineCount() const { return m_lines.size(); }
    Line LineAt(size_t line) const;
    // The line's number as dialled.
    std::string DialText(size_t line) const { return std::string(LineAt(line).written); }
    const std::vector<Section>& Sections() const { return m_sections; }

    // Up to `limit` lines for the digits typed so far, best first: names that start with them on
    // the keypad letters (2 = ABC ... 9 = WXYZ, accented Latin letters as their base letter), then
    // names with a later word that does, then numbers that contain them; alphabetical within
    // each. A name offers the contact's first mobile number, else its first. Nothing for an empty
    // text.
    std::vector<size_t> Search(std::string_view typed, size_t limit) const;

    // The ICU locale of a Windows language identifier (0x0407 -> "de_DE"); empty when unknown.
    static std::string LocaleFor(uint16_t language);
    // A name's letters on the keypad's digits, words cut by one space; a letter no key carries
    // (Cyrillic, Greek) is '-'. At most kMaxKeys.
    static std::string KeysOf(std::u16string_view name);

private:
    struct Entry {
        uint32_t contact;
        uint32_t firstLine;
        uint32_t keysAt;
        uint16_t lineCount;
        // One of the cards of the name is a favourite of the phone.
        bool favourite;
    };
    struct Number {
        uint32_t entry;
        // The number's place in the index.
        uint32_t number;
    };

    std::u16string_view NameView(size_t entry) const { return m_index->NameView(m_entries[entry].contact); }
    std::string_view KeysView(size_t entry) const;
    // Orders groups of contacts by the language's rules; contactOf gives a group's first contact.
    void Sort(const std::string& locale, std::vector<uint32_t>& groups,
        const std::function<uint32_t(uint32_t)>& contactOf) const;
    void Index(const std::string& locale);

    std::shared_ptr<const ContactIndex> m_index;
    std::string m_keysPool;
    std::vector<Entry> m_entries;
    std::vector<Number> m_lines;
    std::vector<Section> m_sections;
    // The entries in code-unit order of their names, for Find.
    std::vector<uint32_t> m_byName;
};
