#pragma once

// One line of the checker's table: a control, a text or a pair of controls on one screen state,
// what was measured of it, and each check it passed or failed.

#include <string>
#include <vector>

enum class GuideCheck { Target, Gap, Pair, TextHeight, Contrast, Fit };

struct GuideFinding {
    GuideCheck check;
    bool pass;
    double value; // pixels, or the contrast ratio
};

struct GuideRow {
    std::string screen;
    std::string item;
    std::string size = "-";
    std::string gap = "-";
    std::string contrast = "-";
    std::vector<GuideFinding> findings;

    bool Pass() const
    {
        for (const GuideFinding& f : findings) {
            if (!f.pass)
                return false;
        }
        return true;
    }
    // "PASS", or "FAIL" and the checks failed.
    std::string Verdict() const;
};

const char* CheckName(GuideCheck check);
