#pragma once

// The phone book as a person browses it: every contact once (cards of the same name from any file
// merged, a number written twice kept once), in the order of the user's language (accents,
// Cyrillic and Greek where that language puts them, not in byte order), cut into the sections of
// that language's alphabet for a letter index, and searched by the digits of a dial pad.
//
// Filled by Add, then sealed once and only read, so any thread may read it. Kept compact as the
// index is: names in one UTF-16 pool, numbers in one byte pool; a number costs its text plus 12
// bytes, a contact its name plus 16 bytes and its first kMaxKeys keypad digits.

#include "contacts/Contact.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class ContactDirectory {
public:
    // No number is longer than the dial string, so no name needs more keys for a search.
    static constexpr size_t kMaxKeys = 32;

    // One number of one contact: a line of the list, a suggestion.
    struct Line {
        size_t entry;
        NumberKind kind;
        // As the card wrote it.
        std::string_view written;
    };
    // A letter of the index and the first line filed under it.
    struct Section {
        WString label;
        size_t firstLine = 0;
        bool operator==(const Section&) const = default;
    };

    void Add(const Contact& contact);
    // Merges, sorts and indexes what was added. locale: an ICU locale name ("de_DE", "sv", "ru");
    // empty or unknown sorts by the root rules.
    void Seal(const std::string& locale);

    size_t EntryCount() const { return m_entries.size(); }
    WString Name(size_t entry) const;
    size_t FirstLine(size_t entry) const { return m_entries[entry].firstLine; }
    // The entry of exactly this name, or EntryCount().
    size_t Find(const WString& name) const;

    // Every number of every contact, contact by contact in order.
    size_t LineCount() const { return m_lines.size(); }
    Line LineAt(size_t line) const;
    // The line's number as dialled: separators taken out.
    std::string DialText(size_t line) const;
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
        uint32_t nameAt;
        uint16_t nameLength;
        uint16_t lineCount;
        uint32_t firstLine;
        uint32_t keysAt;
    };
    struct Number {
        uint32_t textAt;
        uint32_t entry;
        uint8_t textLength;
        NumberKind kind;
    };

    std::u16string_view NameView(const Entry& entry) const;
    std::string_view TextOf(const Number& number) const;
    std::string_view KeysView(size_t entry) const;
    size_t BestLineOf(size_t entry) const;
    void Merge(std::vector<Entry>& merged, std::vector<std::vector<Number>>& numbers) const;
    void Sort(const std::string& locale, std::vector<Entry>& merged, std::vector<std::vector<Number>>& numbers) const;
    void Index(const std::string& locale);

    std::u16string m_namePool;
    std::string m_textPool;
    std::string m_keysPool;
    std::vector<Entry> m_entries;
    std::vector<Number> m_lines;
    std::vector<Section> m_sections;
    // The entries in code-unit order of their names, for Find.
    std::vector<uint32_t> m_byName;
    bool m_sealed = false;
};
