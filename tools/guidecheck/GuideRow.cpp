#include "GuideRow.h"

const char* CheckName(GuideCheck check)
{
    switch (check) {
    case GuideCheck::Target:
        return "size";
    case GuideCheck::Gap:
        return "gap";
    case GuideCheck::Pair:
        return "apart";
    case GuideCheck::TextHeight:
        return "height";
    case GuideCheck::Contrast:
        return "contrast";
    case GuideCheck::Fit:
        return "fit";
    }
    return "?";
}

std::string GuideRow::Verdict() const
{
    std::string failed;
    for (const GuideFinding& f : findings) {
        if (!f.pass)
            failed += std::string(failed.empty() ? " " : ",") + CheckName(f.check);
    }
    return failed.empty() ? "PASS" : "FAIL" + failed;
}
