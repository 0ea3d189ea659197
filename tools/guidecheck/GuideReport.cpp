#include "GuideReport.h"

#include <algorithm>

namespace {

constexpr GuideCheck kChecks[] = { GuideCheck::Target, GuideCheck::Gap, GuideCheck::Pair,
    GuideCheck::TextHeight, GuideCheck::Contrast, GuideCheck::Fit };

std::string Key(const GuideRow& row)
{
    return row.screen + '\t' + row.item + '\t' + row.size + '\t' + row.gap + '\t' + row.contrast + '\t'
        + row.Verdict();
}

}

void GuideReport::Add(const std::string& language, const std::vector<GuideRow>& rows)
{
    for (const GuideRow& row : rows) {
        auto [it, added] = m_index.try_emplace(Key(row), m_entries.size());
        if (added)
            m_entries.push_back({ row, {} });
        auto& languages = m_entries[it->second].languages;
        if (std::find(languages.begin(), languages.end(), language) == languages.end())
            languages.push_back(language);
    }
}

void GuideReport::Incomplete(const std::string& language, const std::string& why)
{
    m_incomplete.push_back(language + ": " + why);
}

bool GuideReport::AllPass() const
{
    if (!m_incomplete.empty() || m_entries.empty())
        return false;
    return std::all_of(m_entries.begin(), m_entries.end(), [](const Entry& e) { return e.row.Pass(); });
}

void GuideReport::Print(std::FILE* out, size_t languages) const
{
    std::fprintf(out, "screen | control or text | size | gap | contrast | verdict | languages\n");
    for (const Entry& e : m_entries) {
        std::string langs;
        if (e.languages.size() == languages) {
            langs = "all";
        } else {
            for (const std::string& l : e.languages)
                langs += (langs.empty() ? "" : ",") + l;
        }
        std::fprintf(out, "%s | %s | %s | %s | %s | %s | %s\n", e.row.screen.c_str(), e.row.item.c_str(),
            e.row.size.c_str(), e.row.gap.c_str(), e.row.contrast.c_str(), e.row.Verdict().c_str(),
            langs.c_str());
    }
    for (GuideCheck check : kChecks) {
        size_t measured = 0, failed = 0;
        const Entry* worst = nullptr;
        double worstValue = 0;
        for (const Entry& e : m_entries) {
            for (const GuideFinding& f : e.row.findings) {
                if (f.check != check)
                    continue;
                ++measured;
                if (f.pass)
                    continue;
                ++failed;
                if (!worst || f.value < worstValue) {
                    worst = &e;
                    worstValue = f.value;
                }
            }
        }
        std::fprintf(out, "summary %s: %s, %zu rows, %zu failing", CheckName(check), failed ? "FAIL" : "PASS",
            measured, failed);
        if (worst)
            std::fprintf(out, "; worst: %s | %s | %s | %s | %s", worst->row.screen.c_str(),
                worst->row.item.c_str(), worst->row.size.c_str(), worst->row.gap.c_str(),
                worst->row.contrast.c_str());
        std::fprintf(out, "\n");
    }
    for (const std::string& line : m_incomplete)
        std::fprintf(out, "incomplete %s\n", line.c_str());
    std::fprintf(out, "guidecheck: %s\n", AllPass() ? "every row passes" : "some rows fail");
}
