#pragma once

// Measures one screen state from the automation's `windows` and `texts` answers against the
// limits: every enabled touch target's size and its gap to the nearest other target, the
// distance between an action and its opposite, and every text's font height, contrast and fit.

#include "GuideLimits.h"
#include "GuideRow.h"
#include "JsonValue.h"

#include <array>
#include <string>
#include <vector>

class GuideMeasure {
public:
    using Rect = std::array<int, 4>; // left, top, right, bottom; right and bottom exclusive

    explicit GuideMeasure(GuideLimits limits);

    std::vector<GuideRow> Screen(
        const std::string& state, const JsonValue& windows, const JsonValue& texts) const;

    // The clear space between two rectangles: the larger of the horizontal and vertical spaces,
    // 0 when they touch or overlap.
    static int Gap(const Rect& a, const Rect& b);
    bool TargetPasses(int width, int height) const;
    bool GapPasses(int gap) const { return gap >= m_limits.minGap; }
    bool PairPasses(int distance) const { return distance >= m_limits.minPairDistance; }
    bool TextHeightPasses(int height, bool primary) const;
    bool ContrastPasses(double ratio) const { return ratio >= m_limits.minContrast; }
    static bool FitPasses(int textWidth, int rectWidth) { return textWidth <= rectWidth; }

private:
    struct Target {
        std::string screenClass; // the window the control is placed on
        std::string name;
        int id;
        Rect rect;
        bool list;
    };

    std::vector<Target> Targets(const JsonValue& windows, const JsonValue& texts) const;
    void MeasureTargets(
        const std::string& state, const std::vector<Target>& targets, std::vector<GuideRow>& rows) const;
    void MeasurePairs(
        const std::string& state, const std::vector<Target>& targets, std::vector<GuideRow>& rows) const;
    void MeasureTexts(const std::string& state, const JsonValue& windows, const JsonValue& texts,
        std::vector<GuideRow>& rows) const;
    std::string Millimetres(int pixels) const;

    GuideLimits m_limits;
};
