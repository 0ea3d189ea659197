#include "ui/ListSkin.h"

#include "platform/controls/SystemMetrics.h"

namespace listskin {

namespace {

// The region trims two pixels off the edges that would otherwise show the bars' borders.
constexpr int kRegionTrim = 2;

}

COLORREF RowColor(int item, bool selected)
{
    if (selected)
        return kSelectedRow;
    return item % 2 ? kOddRow : kEvenRow;
}

WString ItemText(const ListView& list, int item, int subItem)
{
    WString text = list.GetItemText(item, subItem);
    if (text.size() > kMaxText)
        text.resize(kMaxText);
    return text;
}

void HideScrollBars(ListView& list, int mode)
{
    RECT client;
    list.GetClientRect(&client);
    int w = client.Width();
    int h = client.Height();
    int extraWidth = mode != 0 ? GetSystemMetrics(SM_CXVSCROLL) : 0;
    int extraHeight = mode != 1 ? GetSystemMetrics(SM_CYVSCROLL) : 0;
    list.SetWindowPos(nullptr, 0, 0, w + extraWidth, h + extraHeight, SWP_NOMOVE | SWP_NOZORDER);
    RECT shape;
    switch (mode) {
    case 3:
        shape = { 0, 0, w - kRegionTrim, h - kRegionTrim };
        break;
    case 0:
        shape = { 0, 0, w, h - kRegionTrim };
        break;
    case 1:
        shape = { 0, 0, w - kRegionTrim, h };
        break;
    default:
        list.SetWindowRgn(nullptr, true);
        return;
    }
    Region region(shape);
    list.SetWindowRgn(&region, true);
}

LRESULT EraseBackground(ListView& list, WPARAM wParam)
{
    if (auto* dc = reinterpret_cast<HDC>(wParam)) {
        RECT client;
        list.GetClientRect(&client);
        dc->FillSolidRect(client, kBackground);
    }
    return 1;
}

}
