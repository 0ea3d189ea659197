#include "platform/controls/ListView.h"

#include "platform/controls/SystemMetrics.h"
#include "platform/draw/DrawText.h"
#include "platform/draw/Font.h"
#include "platform/draw/ScopedTextStyle.h"
#include "platform/win/WindowApi.h"

#include <algorithm>

namespace {

constexpr COLORREF kBackground = RGB(255, 255, 255);
constexpr COLORREF kText = RGB(0, 0, 0);
constexpr COLORREF kSelected = RGB(51, 102, 204);
constexpr COLORREF kSelectedText = RGB(255, 255, 255);
constexpr COLORREF kHeader = RGB(220, 224, 230);
constexpr COLORREF kBarTrack = RGB(200, 205, 212);
constexpr COLORREF kBarThumb = RGB(110, 120, 135);

const Font& ListFont()
{
    static const std::unique_ptr<Font> font = CreateFont(14, 0, FW_BOLD, DEFAULT_CHARSET, FF_SWISS, u"Tahoma");
    return *font;
}

UINT AlignmentOf(int format)
{
    return format == LVCFMT_CENTER ? DT_CENTER : format == LVCFMT_RIGHT ? DT_RIGHT : DT_LEFT;
}

}

int ListView::InsertColumn(int column, const WString& heading, int format, int width)
{
    column = std::clamp(column, 0, int(m_columns.size()));
    m_columns.insert(m_columns.begin() + column, Column { heading, format, std::max(width, 0) });
    for (Item& item : m_items) {
        if (int(item.texts.size()) > column)
            item.texts.insert(item.texts.begin() + column, WString());
    }
    Invalidate(true);
    return column;
}

bool ListView::DeleteColumn(int column)
{
    if (column < 0 || column >= int(m_columns.size()))
        return false;
    m_columns.erase(m_columns.begin() + column);
    for (Item& item : m_items) {
        if (int(item.texts.size()) > column)
            item.texts.erase(item.texts.begin() + column);
    }
    Invalidate(true);
    return true;
}

int ListView::GetColumnWidth(int column) const
{
    return column >= 0 && column < int(m_columns.size()) ? m_columns[size_t(column)].width : 0;
}

bool ListView::SetColumnWidth(int column, int width)
{
    if (column < 0 || column >= int(m_columns.size()))
        return false;
    m_columns[size_t(column)].width = std::max(width, 0);
    Invalidate(true);
    return true;
}

int ListView::InsertItem(int index, const WString& text)
{
    index = std::clamp(index, 0, int(m_items.size()));
    m_items.insert(m_items.begin() + index, Item { { text }, 0 });
    Invalidate(true);
    return index;
}

bool ListView::SetItemText(int item, int subItem, const WString& text)
{
    if (item < 0 || item >= int(m_items.size()) || subItem < 0)
        return false;
    auto& texts = m_items[size_t(item)].texts;
    if (int(texts.size()) <= subItem)
        texts.resize(size_t(subItem) + 1);
    texts[size_t(subItem)] = text;
    InvalidateItem(item);
    return true;
}

WString ListView::GetItemText(int item, int subItem) const
{
    if (item < 0 || item >= int(m_items.size()) || subItem < 0)
        return {};
    const auto& texts = m_items[size_t(item)].texts;
    return subItem < int(texts.size()) ? texts[size_t(subItem)] : WString();
}

bool ListView::DeleteItem(int item)
{
    if (item < 0 || item >= int(m_items.size()))
        return false;
    m_items.erase(m_items.begin() + item);
    m_top = std::min(m_top, MaxTop());
    Invalidate(true);
    return true;
}

bool ListView::DeleteAllItems()
{
    m_items.clear();
    m_top = 0;
    Invalidate(true);
    return true;
}

bool ListView::SetItemState(int item, UINT state, UINT mask)
{
    if (item < 0 || item >= int(m_items.size()))
        return false;
    // One row at a time holds the selection and the focus.
    UINT exclusive = mask & (LVIS_SELECTED | LVIS_FOCUSED) & state;
    if (exclusive) {
        for (int i = 0; i < int(m_items.size()); ++i) {
            if (i != item && (m_items[size_t(i)].state & exclusive)) {
                m_items[size_t(i)].state &= ~exclusive;
                InvalidateItem(i);
            }
        }
    }
    UINT& current = m_items[size_t(item)].state;
    UINT next = (current & ~mask) | (state & mask);
    if (next != current) {
        current = next;
        InvalidateItem(item);
    }
    return true;
}

UINT ListView::GetItemState(int item, UINT mask) const
{
    if (item < 0 || item >= int(m_items.size()))
        return 0;
    return m_items[size_t(item)].state & mask;
}

DWORD ListView::SetExtendedStyle(DWORD style)
{
    DWORD old = m_exStyle;
    m_exStyle = style;
    return old;
}

int ListView::HeaderHeight() const { return (GetStyle() & LVS_NOCOLUMNHEADER) ? 0 : kHeaderHeight; }

int ListView::ColumnsWidth() const
{
    int width = 0;
    for (const Column& c : m_columns)
        width += c.width;
    return width;
}

int ListView::RowHeight()
{
    if (m_rowHeight > 0)
        return m_rowHeight;
    m_rowHeight = kDefaultRowHeight;
    if (IsOwnerDraw()) {
        MEASUREITEMSTRUCT measure;
        measure.CtlType = ODT_LISTVIEW;
        measure.CtlID = UINT(GetDlgCtrlID());
        measure.itemHeight = kDefaultRowHeight;
        if (Window* parent = GetParent())
            parent->SendMessage(WM_MEASUREITEM, measure.CtlID, reinterpret_cast<LPARAM>(&measure));
        else
            MeasureItem(&measure);
        if (measure.itemHeight > 0)
            m_rowHeight = int(measure.itemHeight);
    }
    return m_rowHeight;
}

bool ListView::HasVerticalBar()
{
    RECT client;
    GetClientRect(&client);
    int available = client.Height() - HeaderHeight();
    // A horizontal bar would take room too; the vertical one is decided first, as the device did.
    return int(m_items.size()) * RowHeight() > available;
}

bool ListView::HasHorizontalBar()
{
    RECT client;
    GetClientRect(&client);
    int width = client.Width() - (HasVerticalBar() ? GetSystemMetrics(SM_CXVSCROLL) : 0);
    return ColumnsWidth() > width;
}

RECT ListView::RowsArea()
{
    RECT client;
    GetClientRect(&client);
    RECT area = client;
    area.top += HeaderHeight();
    if (HasVerticalBar())
        area.right -= GetSystemMetrics(SM_CXVSCROLL);
    if (HasHorizontalBar())
        area.bottom -= GetSystemMetrics(SM_CYHSCROLL);
    return area;
}

RECT ListView::VerticalBar()
{
    RECT client;
    GetClientRect(&client);
    RECT area = RowsArea();
    return { client.right - GetSystemMetrics(SM_CXVSCROLL), area.top, client.right, area.bottom };
}

RECT ListView::Thumb()
{
    RECT bar = VerticalBar();
    int total = std::max(int(m_items.size()), 1);
    int page = std::max(GetCountPerPage(), 1);
    int thumb = std::clamp(int(bar.Height()) * page / total, kMinimumThumb, int(bar.Height()));
    int travel = bar.Height() - thumb;
    int offset = MaxTop() > 0 ? travel * m_top / MaxTop() : 0;
    return { bar.left + 2, bar.top + offset, bar.right - 2, bar.top + offset + thumb };
}

int ListView::GetCountPerPage()
{
    RECT area = RowsArea();
    return std::max(area.Height() / RowHeight(), 0);
}

int ListView::MaxTop() { return std::max(int(m_items.size()) - std::max(GetCountPerPage(), 1), 0); }

void ListView::ScrollTo(int top)
{
    top = std::clamp(top, 0, MaxTop());
    if (top == m_top)
        return;
    m_top = top;
    Invalidate(true);
}

bool ListView::EnsureVisible(int item)
{
    if (item < 0 || item >= int(m_items.size()))
        return false;
    int page = std::max(GetCountPerPage(), 1);
    if (item < m_top)
        ScrollTo(item);
    else if (item >= m_top + page)
        ScrollTo(item - page + 1);
    return true;
}

RECT ListView::ItemRect(int item)
{
    RECT area = RowsArea();
    int top = area.top + (item - m_top) * RowHeight();
    return { 0, top, ColumnsWidth(), top + RowHeight() };
}

int ListView::ItemAt(POINT p)
{
    RECT area = RowsArea();
    if (!area.Contains(p))
        return -1;
    int item = m_top + (p.y - area.top) / RowHeight();
    if (item >= int(m_items.size()) || p.x >= ColumnsWidth())
        return -1;
    return item;
}

void ListView::InvalidateItem(int item)
{
    if (!GetSafeHwnd())
        return;
    RECT r = ItemRect(item);
    InvalidateRect(&r, true);
}

LRESULT ListView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    POINT p { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) };
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (HDC dc = BeginPaint(&ps))
            Paint(dc);
        EndPaint(&ps);
        return 0;
    }
    case WM_ERASEBKGND: {
        if (auto* dc = reinterpret_cast<DeviceContext*>(wParam)) {
            RECT client;
            GetClientRect(&client);
            dc->FillSolidRect(client, kBackground);
        }
        return 1;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnDown(p);
        return 0;
    case WM_MOUSEMOVE:
        OnMove(p);
        return 0;
    case WM_LBUTTONUP:
        OnUp(p);
        return 0;
    case WM_CAPTURECHANGED:
        m_down = m_dragging = false;
        return 0;
    default:
        return Window::WindowProc(message, wParam, lParam);
    }
}

bool ListView::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_DRAWITEM) {
        DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    } else if (message == WM_MEASUREITEM) {
        MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    } else {
        return false;
    }
    *result = 1;
    return true;
}

void ListView::Paint(HDC dc)
{
    RECT area = RowsArea();
    int page = GetCountPerPage() + 1;
    for (int i = m_top; i < int(m_items.size()) && i < m_top + page; ++i) {
        RECT rect = ItemRect(i);
        if (rect.top >= area.bottom)
            break;
        if (IsOwnerDraw()) {
            DRAWITEMSTRUCT item;
            item.CtlType = ODT_LISTVIEW;
            item.CtlID = UINT(GetDlgCtrlID());
            item.itemID = UINT(i);
            item.itemAction = ODA_DRAWENTIRE;
            UINT state = m_items[size_t(i)].state;
            item.itemState = ((state & LVIS_SELECTED) ? ODS_SELECTED : 0) | ((state & LVIS_FOCUSED) ? ODS_FOCUS : 0);
            item.hwndItem = GetSafeHwnd();
            item.hDC = dc;
            item.rcItem = rect;
            if (Window* parent = GetParent())
                parent->SendMessage(WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
            else
                DrawItem(&item);
        } else {
            PaintRowPlain(dc, i, rect);
        }
    }
    PaintHeader(dc);
    PaintScrollBars(dc);
}

void ListView::PaintRowPlain(HDC dc, int item, const RECT& rect)
{
    bool selected = (m_items[size_t(item)].state & LVIS_SELECTED) != 0;
    dc->FillSolidRect(rect, selected ? kSelected : kBackground);
    ScopedTextStyle style(dc, &ListFont(), selected ? kSelectedText : kText);
    int x = rect.left;
    for (int c = 0; c < int(m_columns.size()); ++c) {
        const Column& column = m_columns[size_t(c)];
        RECT cell { x + 4, rect.top, x + column.width - 4, rect.bottom };
        DrawText(dc, GetItemText(item, c), cell, AlignmentOf(column.format) | DT_VCENTER | DT_SINGLELINE);
        x += column.width;
    }
}

void ListView::PaintHeader(HDC dc)
{
    int height = HeaderHeight();
    if (!height)
        return;
    RECT client;
    GetClientRect(&client);
    dc->FillSolidRect({ 0, 0, client.right, height }, kHeader);
    ScopedTextStyle style(dc, &ListFont(), kText);
    int x = 0;
    for (const Column& column : m_columns) {
        DrawText(dc, column.heading, { x + 4, 0, x + column.width - 4, height },
            AlignmentOf(column.format) | DT_VCENTER | DT_SINGLELINE);
        x += column.width;
    }
}

void ListView::PaintScrollBars(HDC dc)
{
    RECT client;
    GetClientRect(&client);
    if (HasVerticalBar()) {
        dc->FillSolidRect(VerticalBar(), kBarTrack);
        dc->FillSolidRect(Thumb(), kBarThumb);
    }
    // Columns wider than the list show a bar along the bottom; the skinned screens keep it outside
    // their window region, and nothing here scrolls sideways.
    if (HasHorizontalBar()) {
        int size = GetSystemMetrics(SM_CYHSCROLL);
        dc->FillSolidRect({ 0, client.bottom - size, client.right, client.bottom }, kBarTrack);
    }
}

void ListView::OnDown(POINT p)
{
    m_down = true;
    m_dragging = false;
    m_downPoint = p;
    m_downTop = m_top;
    m_onScrollBar = HasVerticalBar() && VerticalBar().Contains(p);
    SetCapture(GetSafeHwnd());
}

void ListView::OnMove(POINT p)
{
    if (!m_down)
        return;
    int dy = p.y - m_downPoint.y;
    if (!m_dragging && std::abs(dy) < kDragThreshold)
        return;
    m_dragging = true;
    if (m_onScrollBar) {
        // The thumb follows the finger: the bar's height stands for all rows.
        RECT bar = VerticalBar();
        int rows = dy * int(m_items.size()) / std::max(int(bar.Height()), 1);
        ScrollTo(m_downTop + rows);
    } else {
        // Content follows the finger.
        ScrollTo(m_downTop - dy / RowHeight());
    }
}

void ListView::OnUp(POINT p)
{
    if (!m_down)
        return;
    m_down = false;
    bool dragged = m_dragging;
    m_dragging = false;
    ReleaseCapture();
    if (dragged)
        return;
    if (m_onScrollBar) {
        RECT thumb = Thumb();
        int page = std::max(GetCountPerPage(), 1);
        if (p.y < thumb.top)
            ScrollTo(m_top - page);
        else if (p.y >= thumb.bottom)
            ScrollTo(m_top + page);
        return;
    }
    int item = ItemAt(p);
    if (item >= 0) {
        SetItemState(item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    } else {
        // A tap on the empty part of the list clears the selection, as the device's list did.
        for (int i = 0; i < int(m_items.size()); ++i)
            SetItemState(i, 0, LVIS_SELECTED);
    }
}
