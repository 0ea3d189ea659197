#include "screens/ContactRows.h"

#include "contacts/PhoneNumber.h"
#include "controller/ScreenContext.h"
#include "controller/TextKeys.h"
#include "controller/TextTable.h"
#include "platform/core/Text.h"
#include "platform/draw/DrawText.h"
#include "store/CallLogStore.h"
#include "store/CallRecord.h"
#include "ui/ListSkin.h"

#include <algorithm>

namespace {

// As the history's rows: two lines (19 pixels on the device), text 5 pixels in.
constexpr int kTextIndent = 5;
constexpr const int& kLineHeight = skin::place::contacts::line_height;
constexpr const int& kKindWidth = skin::place::contacts::kind_width;

}

WString ContactRows::KindText(NumberKind kind)
{
    switch (kind) {
    case NumberKind::Mobile:
        return TextTable::Text(text::kContactsMobile);
    case NumberKind::Home:
        return TextTable::Text(text::kContactsHome);
    case NumberKind::Work:
        return TextTable::Text(text::kContactsWork);
    case NumberKind::Other:
        break;
    }
    return TextTable::Text(text::kContactsOther);
}

void ContactRows::DrawRow(
    HDC dc, const RECT& rect, const ContactDirectory& directory, size_t line, size_t stripe, bool favourite)
{
    const ContactDirectory::Line l = directory.LineAt(line);
    RECT row { rect.left, rect.top + 1, rect.right, rect.bottom - 1 };
    RECT name { rect.left + kTextIndent, row.top, rect.right - kTextIndent, row.top + kLineHeight };
    // A narrow row (the pad's) gives the number the room it needs.
    const int kindWidth = std::min(kKindWidth, name.Width() / 3);
    RECT kind { name.left, row.bottom - kLineHeight, name.left + kindWidth, row.bottom };
    RECT number { kind.right, kind.top, name.right, kind.bottom };
    dc->FillSolidRect(row, listskin::RowColor(int(stripe), false));
    const int oldMode = dc->SetBkMode(TRANSPARENT);
    const COLORREF oldColor = dc->SetTextColor(listskin::kText);
    const WString shown = favourite ? u"★ " + directory.Name(l.entry) : directory.Name(l.entry);
    DrawText(dc, FitTextToWidth(dc, shown, name.Width()), name, DT_LEFT | DT_TOP);
    DrawText(dc, FitTextToWidth(dc, KindText(l.kind), kind.Width()), kind, DT_LEFT | DT_BOTTOM);
    DrawText(dc, FitTextToWidth(dc, FromUtf8(l.written), number.Width()), number, DT_LEFT | DT_BOTTOM);
    dc->SetTextColor(oldColor);
    dc->SetBkMode(oldMode);
}

ContactRows::ContactRows(std::shared_ptr<const ContactDirectory> directory, std::vector<size_t> favourites)
    : m_directory(std::move(directory))
    , m_favourites(std::move(favourites))
{
    if (m_favourites.size() > kMaxFavourites)
        m_favourites.resize(kMaxFavourites);
}

ContactRows::Row ContactRows::At(size_t row) const
{
    if (row < m_favourites.size())
        return { m_favourites[row], true };
    return { row - m_favourites.size(), false };
}

std::vector<ContactRows::IndexCell> ContactRows::Index(size_t cells) const
{
    std::vector<IndexCell> index;
    if (!m_directory || cells == 0)
        return index;
    const auto& sections = m_directory->Sections();
    const size_t n = sections.size();
    // Letters spread evenly over the cells; each cell jumps to its first letter.
    for (size_t cell = 0; cell < std::min(cells, n); ++cell) {
        const size_t first = cell * n / std::min(cells, n);
        const size_t last = (cell + 1) * n / std::min(cells, n) - 1;
        WString label = sections[first].label;
        if (last != first)
            label += u"–" + sections[last].label;
        index.push_back({ label, m_favourites.size() + sections[first].firstLine });
    }
    return index;
}

std::vector<size_t> ContactRows::Favourites(const ContactDirectory& directory, std::vector<size_t> mostCalled)
{
    if (mostCalled.size() > kMaxMostCalled)
        mostCalled.resize(kMaxMostCalled);
    std::vector<size_t> lines = std::move(mostCalled);
    for (size_t entry = 0; entry < directory.EntryCount() && lines.size() < kMaxFavourites; ++entry) {
        const bool listed = std::any_of(
            lines.begin(), lines.end(), [&](size_t line) { return directory.LineAt(line).entry == entry; });
        if (directory.IsFavourite(entry) && !listed)
            lines.push_back(directory.BestLineOf(entry));
    }
    return lines;
}

std::vector<size_t> ContactRows::MostCalled(const ContactDirectory& directory, const ScreenContext& ctx)
{
    struct Count {
        size_t line;
        int calls;
        int newest;
    };
    std::vector<Count> counts;
    CallLogStore& log = ctx.callLog;
    if (!log.LoadList(CallLogStore::kOutgoingList))
        return {};
    for (int slot = 0; slot < CallLogStore::kSlots; ++slot) {
        CallRecord record;
        if (!log.GetRecord(CallLogStore::kOutgoingList, slot, record) || record.type != CallRecord::kOutgoing)
            continue;
        const std::string number = record.Number();
        std::optional<WString> name = ctx.CallerName(Widen(number));
        const size_t entry = name ? directory.Find(*name) : directory.EntryCount();
        if (entry == directory.EntryCount())
            continue;
        // The contact's number that was dialled; a contact counts once whichever number it was.
        const PhoneNumber dialled(number);
        size_t line = directory.FirstLine(entry);
        for (size_t l = line; l < directory.LineCount() && directory.LineAt(l).entry == entry; ++l) {
            if (PhoneNumber::Match(dialled, PhoneNumber(directory.LineAt(l).written)) > 0) {
                line = l;
                break;
            }
        }
        auto it = std::find_if(counts.begin(), counts.end(),
            [&](const Count& c) { return directory.LineAt(c.line).entry == entry; });
        if (it == counts.end())
            counts.push_back({ line, 1, slot });
        else
            ++it->calls;
    }
    std::stable_sort(counts.begin(), counts.end(), [](const Count& a, const Count& b) {
        return a.calls != b.calls ? a.calls > b.calls : a.newest < b.newest;
    });
    std::vector<size_t> lines;
    for (const Count& c : counts)
        lines.push_back(c.line);
    return lines;
}
