#include "ui/CHistListCtrl.h"

#include "platform/draw/DrawText.h"
#include "ui/ListSkin.h"
#include "ui/SkinText.h"

namespace {

// The row leaves a strip at the right for the hidden scroll bar's neighbourhood; the lines (19
// pixels high on the device) are the first at the top, the second at the bottom, split where the
// time's part begins (100 pixels from the right), the time indented as the other texts.
constexpr int kRowRightGap = 20;
constexpr int kTextIndent = 5;
namespace place = skin::place::callhist;
}

void CHistListCtrl::MeasureItem(MEASUREITEMSTRUCT* item)
{
    if (item)
        item->itemHeight = place::list_row_height;
}

void CHistListCtrl::DrawItem(DRAWITEMSTRUCT* item)
{
    if (!item || !item->hDC)
        return;
    HDC dc = item->hDC;
    const RECT& r = item->rcItem;
    int n = int(item->itemID);
    RECT row { r.left + 1, r.top + 1, r.right - kRowRightGap, r.bottom - 1 };
    const int line = place::line_height;
    RECT firstLine { r.left + kTextIndent, r.top + 1, r.right, r.top + 1 + line };
    RECT secondLeft { r.left + kTextIndent, r.bottom - 1 - line, r.right - place::time_width, r.bottom - 1 };
    RECT secondRight { r.right - place::time_width - kTextIndent, r.bottom - 1 - line, r.right,
        r.bottom - 1 };
    if (n < 0 || n >= GetItemCount())
        return;
    bool selected = GetItemState(n, LVIS_SELECTED) != 0;
    const Font& font = SkinFont(skin::font::shared::list);
    const Font* oldFont = dc->SelectFont(&font);
    int oldMode = dc->SetBkMode(TRANSPARENT);
    COLORREF oldColor = dc->SetTextColor(listskin::kText);
    dc->FillSolidRect(row, listskin::RowColor(n, selected));
    // A caller's name can be longer than the row: cut with an ellipsis rather than clipped.
    DrawText(dc, FitTextToWidth(dc, listskin::ItemText(*this, n, 0), firstLine.Width()), firstLine, DT_LEFT | DT_TOP);
    DrawText(dc, listskin::ItemText(*this, n, 1), secondLeft, DT_BOTTOM);
    if (m_nListKind != kKindMissed)
        DrawText(dc, listskin::ItemText(*this, n, 2), secondRight, DT_BOTTOM);
    dc->SetTextColor(oldColor);
    dc->SetBkMode(oldMode);
    dc->SelectFont(oldFont);
}

LRESULT CHistListCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND)
        return listskin::EraseBackground(*this, wParam);
    return ListView::WindowProc(message, wParam, lParam);
}

void CHistListCtrl::HideScrollBars(int mode)
{
    listskin::HideScrollBars(*this, mode);
}
