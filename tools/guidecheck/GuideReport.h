#pragma once

// The checker's table: the rows of every state in every language, a row that reads the same in
// several languages printed once with those languages, then a summary line per check with its
// worst row.

#include "GuideRow.h"

#include <cstdio>
#include <map>
#include <string>
#include <vector>

class GuideReport {
public:
    void Add(const std::string& language, const std::vector<GuideRow>& rows);
    // A language whose walk stopped early, and why.
    void Incomplete(const std::string& language, const std::string& why);
    void Print(std::FILE* out, size_t languages) const;
    bool AllPass() const;

private:
    struct Entry {
        GuideRow row;
        std::vector<std::string> languages;
    };
    std::vector<Entry> m_entries;
    std::map<std::string, size_t> m_index;
    std::vector<std::string> m_incomplete;
};
