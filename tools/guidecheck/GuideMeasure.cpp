#include "GuideMeasure.h"

#include "Contrast.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>

namespace {

// What a finger can press: the skin's buttons and the rows of its lists.
constexpr std::string_view kButtonClass = "CMyButton";
constexpr std::string_view kListClasses[] = { "CMyListCtrl", "CHistListCtrl" };

constexpr std::string_view kEllipsis = "\u2026";

// An action and its opposite or a destructive neighbour, by the window they are placed on (the
// screen, or call waiting's panel on the call screen) and their ids.
struct Opposites {
    const char* screenClass;
    int first;
    int second;
    const char* name;
};
constexpr Opposites kOpposites[] = {
    { "CDlgIncoming", 1039, 1038, "Accept/Reject" },
    { "CDlgCallHist", 1019, 1020, "Delete one/Delete all" },
    { "CDlgCallHist", 1014, 1020, "Dial/Delete all" },
    { "CDlgPref", 1029, 1030, "Save/Undo" },
    { "CDlgPairMode", 1027, 1028, "Pair/Delete" },
    { "CDlgCallWaiting", 1101, 1103, "Hold and answer/Reject" },
    { "CDlgCallWaiting", 1102, 1103, "End and answer/Reject" },
    { "CDlgCallWaiting", 1104, 1106, "Swap/End" },
};

// The texts a driver reads at a glance during a call, by the window that draws them: the caller's
// name and number, the call's state and time, and the digits dialled.
struct PrimaryText {
    const char* windowClass;
    int id;
};
constexpr PrimaryText kPrimaryTexts[] = {
    { "CDlgIncoming", 0 },
    { "CDlgOutgoing", 0 },
    { "CDlgCallWaiting", 0 },
    { "CDlgPlaceCall", 0 },
    { "CDlgNumKeypad", 0 },
};

using Rect = GuideMeasure::Rect;

std::optional<Rect> RectOf(const JsonValue& value)
{
    const JsonValue& r = value["rect"];
    if (r.kind != JsonValue::Kind::Array || r.items.size() != 4)
        return std::nullopt;
    return Rect { r.items[0].Int(), r.items[1].Int(), r.items[2].Int(), r.items[3].Int() };
}

int Width(const Rect& r)
{
    return r[2] - r[0];
}
int Height(const Rect& r)
{
    return r[3] - r[1];
}
bool Contains(const Rect& r, int x, int y)
{
    return x >= r[0] && x < r[2] && y >= r[1] && y < r[3];
}

// The visible windows in the order they are painted: depth first, each window's children after
// it, siblings from the bottom up. `end` is one past the window's last descendant.
struct Painted {
    const JsonValue* window;
    std::string screenClass; // the window it is placed on: a screen, or a panel within one
    Rect rect;
    size_t end;
};

std::vector<Painted> PaintOrder(const JsonValue& windows)
{
    std::vector<Painted> out;
    std::function<void(const JsonValue&, const std::string&)> visit
        = [&](const JsonValue& w, const std::string& parent) {
              const auto rect = RectOf(w);
              if (!rect || !w["visible"].boolean)
                  return;
              const size_t at = out.size();
              out.push_back({ &w, parent, *rect, 0 });
              for (const JsonValue& child : w["children"].items)
                  visit(child, w["class"].text);
              out[at].end = out.size();
          };
    for (const JsonValue& w : windows.items)
        visit(w, "");
    return out;
}

// Window shapes do not come through the automation: a window counts only where no window painted
// after it (other than its own children) covers its middle. The title bar's controls under a
// screen with a hole cut for them are so measured on the main view only.
bool Covered(const std::vector<Painted>& order, size_t index, const Rect& r)
{
    const int x = (r[0] + r[2]) / 2, y = (r[1] + r[3]) / 2;
    for (size_t i = order[index].end; i < order.size(); ++i) {
        if (Contains(order[i].rect, x, y))
            return true;
    }
    return false;
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string Fixed(double value, int decimals)
{
    char out[32];
    std::snprintf(out, sizeof out, "%.*f", decimals, value);
    return out;
}

}

GuideMeasure::GuideMeasure(GuideLimits limits)
    : m_limits(limits)
{
}

int GuideMeasure::Gap(const Rect& a, const Rect& b)
{
    const int dx = std::max({ 0, b[0] - a[2], a[0] - b[2] });
    const int dy = std::max({ 0, b[1] - a[3], a[1] - b[3] });
    return std::max(dx, dy);
}

bool GuideMeasure::TargetPasses(int width, int height) const
{
    return width >= m_limits.minTarget && height >= m_limits.minTarget;
}

bool GuideMeasure::TextHeightPasses(int height, bool primary) const
{
    return height >= (primary ? m_limits.minPrimaryText : m_limits.minText);
}

std::string GuideMeasure::Millimetres(int pixels) const
{
    return Fixed(pixels * m_limits.mmPerPixel, 1);
}

std::vector<GuideMeasure::Target> GuideMeasure::Targets(
    const JsonValue& windows, const JsonValue& texts) const
{
    // A list's rows: its texts that overlap from top to bottom make one row; a row is as high as
    // from its top to the next row's, or, alone, as its texts reach.
    std::map<std::pair<std::string, int>, int> rowHeights;
    for (const JsonValue& w : texts.items) {
        std::vector<std::pair<int, int>> spans;
        for (const JsonValue& t : w["texts"].items) {
            if (auto r = RectOf(t))
                spans.emplace_back((*r)[1], (*r)[3]);
        }
        if (spans.empty())
            continue;
        std::sort(spans.begin(), spans.end());
        int bottom = spans.front().second;
        int height = bottom - spans.front().first;
        for (const auto& [top, end] : spans) {
            if (top >= bottom) {
                height = top - spans.front().first;
                break;
            }
            bottom = std::max(bottom, end);
            height = bottom - spans.front().first;
        }
        rowHeights.try_emplace({ w["class"].text, w["id"].Int() }, height);
    }
    const std::vector<Painted> order = PaintOrder(windows);
    std::vector<Target> out;
    for (size_t i = 0; i < order.size(); ++i) {
        const JsonValue& w = *order[i].window;
        const std::string& cls = w["class"].text;
        const bool list
            = std::find(std::begin(kListClasses), std::end(kListClasses), cls) != std::end(kListClasses);
        if (!w["enabled"].boolean || !(cls == kButtonClass || list) || Covered(order, i, order[i].rect))
            continue;
        Rect r = order[i].rect;
        auto row = rowHeights.find({ cls, w["id"].Int() });
        // A list with no rows offers nothing to press.
        if (list && row == rowHeights.end())
            continue;
        if (list)
            r[3] = r[1] + row->second;
        std::string name = cls + " " + std::to_string(w["id"].Int());
        if (!w["text"].text.empty())
            name += " " + Quoted(w["text"].text);
        out.push_back({ order[i].screenClass, list ? name + " row" : name, w["id"].Int(), r, list });
    }
    return out;
}

void GuideMeasure::MeasureTargets(
    const std::string& state, const std::vector<Target>& targets, std::vector<GuideRow>& rows) const
{
    for (size_t i = 0; i < targets.size(); ++i) {
        const Target& t = targets[i];
        GuideRow row;
        row.screen = state;
        row.item = t.name;
        const int w = Width(t.rect), h = Height(t.rect);
        row.size = std::to_string(w) + " x " + std::to_string(h) + " px (" + Millimetres(w) + " x "
            + Millimetres(h) + " mm)";
        row.findings.push_back({ GuideCheck::Target, TargetPasses(w, h), double(std::min(w, h)) });
        // A list is measured by its first row; its rows follow each other without a gap, as
        // lists' rows do, and are not measured against each other.
        std::optional<int> nearest;
        for (size_t j = 0; j < targets.size(); ++j) {
            if (j != i)
                nearest
                    = std::min(nearest.value_or(Gap(t.rect, targets[j].rect)), Gap(t.rect, targets[j].rect));
        }
        if (nearest) {
            row.gap = std::to_string(*nearest) + " px";
            row.findings.push_back({ GuideCheck::Gap, GapPasses(*nearest), double(*nearest) });
        }
        rows.push_back(std::move(row));
    }
}

void GuideMeasure::MeasurePairs(
    const std::string& state, const std::vector<Target>& targets, std::vector<GuideRow>& rows) const
{
    auto find = [&](const char* screenClass, int id) -> const Target* {
        for (const Target& t : targets) {
            if (t.id == id && !t.list && t.screenClass == screenClass)
                return &t;
        }
        return nullptr;
    };
    for (const Opposites& pair : kOpposites) {
        const Target* a = find(pair.screenClass, pair.first);
        const Target* b = find(pair.screenClass, pair.second);
        if (!a || !b)
            continue;
        const int distance = Gap(a->rect, b->rect);
        GuideRow row;
        row.screen = state;
        row.item = pair.name;
        row.gap = std::to_string(distance) + " px apart";
        row.findings.push_back({ GuideCheck::Pair, PairPasses(distance), double(distance) });
        rows.push_back(std::move(row));
    }
}

void GuideMeasure::MeasureTexts(const std::string& state, const JsonValue& windows, const JsonValue& texts,
    std::vector<GuideRow>& rows) const
{
    const std::vector<Painted> order = PaintOrder(windows);
    // The texts come window by window in paint order, visible windows only: each list belongs to
    // the next painted window of its class and id.
    size_t next = 0;
    for (const JsonValue& w : texts.items) {
        const std::string& cls = w["class"].text;
        const int id = w["id"].Int();
        while (next < order.size()
            && ((*order[next].window)["class"].text != cls || (*order[next].window)["id"].Int() != id))
            ++next;
        const size_t at = next < order.size() ? next++ : order.size();
        bool primary = false;
        for (const PrimaryText& p : kPrimaryTexts)
            primary = primary || (cls == p.windowClass && id == p.id);
        for (const JsonValue& t : w["texts"].items) {
            const auto rect = RectOf(t);
            const std::string& text = t["text"].text;
            if (!rect || text.find_first_not_of(" ") == std::string::npos
                || (at < order.size() && Covered(order, at, *rect)))
                continue;
            GuideRow row;
            row.screen = state;
            row.item = "text " + Quoted(text) + " (" + cls + " " + std::to_string(id)
                + (primary ? ", primary)" : ")");
            const int height = t["height"].Int(), width = t["width"].Int(), room = Width(*rect);
            row.size = std::to_string(height) + " px high (" + Millimetres(height) + " mm), "
                + std::to_string(width) + " of " + std::to_string(room) + " px wide";
            row.findings.push_back(
                { GuideCheck::TextHeight, TextHeightPasses(height, primary), double(height) });
            // A text the layout had to shorten with an ellipsis is cut as well.
            const bool shortened = text.ends_with(kEllipsis);
            row.findings.push_back(
                { GuideCheck::Fit, FitPasses(width, room) && !shortened, double(room - width) });
            const auto color = contrast::ParseColor(t["color"].text);
            const auto background = contrast::ParseColor(t["background"].text);
            if (color && background) {
                const double ratio = contrast::Ratio(*color, *background);
                row.contrast = Fixed(ratio, 2) + ":1";
                row.findings.push_back({ GuideCheck::Contrast, ContrastPasses(ratio), ratio });
            } else {
                row.contrast = "unknown";
                row.findings.push_back({ GuideCheck::Contrast, false, 0 });
            }
            rows.push_back(std::move(row));
        }
    }
}

std::vector<GuideRow> GuideMeasure::Screen(
    const std::string& state, const JsonValue& windows, const JsonValue& texts) const
{
    std::vector<GuideRow> rows;
    const std::vector<Target> targets = Targets(windows, texts);
    MeasureTargets(state, targets, rows);
    MeasurePairs(state, targets, rows);
    MeasureTexts(state, windows, texts, rows);
    return rows;
}
