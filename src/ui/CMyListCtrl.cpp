#include "ui/CMyListCtrl.h"

#include "platform/draw/DrawText.h"
#include "ui/ListSkin.h"
#include "ui/SkinText.h"

namespace {

// Gaps between the cells, and the right-hand room kept free of text in the last two.
constexpr int kCellGap = 2;
constexpr int kCell1TextTrim = 10;
constexpr int kCell2TextTrim = 30;

}

void CMyListCtrl::MeasureItem(MEASUREITEMSTRUCT* item)
{
    if (item)
        item->itemHeight = skin::place::connect::list_row_height;
}

void CMyListCtrl::DrawItem(DRAWITEMSTRUCT* item)
{
    if (!item || !item->hDC)
        return;
    HDC dc = item->hDC;
    int n = int(item->itemID);
    int top = item->rcItem.top + 1;
    int bottom = item->rcItem.bottom - 1;
    int w0 = GetColumnWidth(0);
    int w1 = GetColumnWidth(1);
    int w2 = GetColumnWidth(2);
    RECT cells[3] = {
        { 0, top, w0, bottom },
        { w0 + kCellGap, top, w0 + w1, bottom },
        { w0 + w1 + kCellGap, top, w0 + w1 + w2, bottom },
    };
    if (n < 0 || n >= GetItemCount())
        return;
    bool selected = GetItemState(n, LVIS_SELECTED) != 0;
    const Font& font = SkinFont(skin::font::shared::list);
    const Font* oldFont = dc->SelectFont(&font);
    int oldMode = dc->SetBkMode(TRANSPARENT);
    COLORREF oldColor = dc->SetTextColor(listskin::kText);
    COLORREF fill = listskin::RowColor(n, selected);
    for (const RECT& cell : cells)
        dc->FillSolidRect(cell, fill);
    cells[1].right -= kCell1TextTrim;
    cells[2].right -= kCell2TextTrim;
    for (int sub = 0; sub < 3; ++sub)
        DrawText(dc, listskin::ItemText(*this, n, sub), cells[sub], DT_CENTER | DT_VCENTER);
    dc->SetTextColor(oldColor);
    dc->SetBkMode(oldMode);
    dc->SelectFont(oldFont);
}

LRESULT CMyListCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND)
        return listskin::EraseBackground(*this, wParam);
    return ListView::WindowProc(message, wParam, lParam);
}

void CMyListCtrl::HideScrollBars(int mode)
{
    listskin::HideScrollBars(*this, mode);
}
