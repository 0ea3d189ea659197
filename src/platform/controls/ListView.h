#pragma once

// A report-style list: columns, rows of sub-item texts, a single selected and focused row chosen by
// a tap, rows scrolled by dragging or with the vertical scroll bar. With LVS_OWNERDRAWFIXED the
// owner is asked once for the row height (WM_MEASUREITEM) and draws every row (WM_DRAWITEM); both
// come back to MeasureItem and DrawItem, where the skinned lists draw.

#include "platform/controls/OwnerDraw.h"
#include "platform/win/Window.h"

#include <vector>

constexpr DWORD LVS_REPORT = 0x0001;
constexpr DWORD LVS_SINGLESEL = 0x0004;
constexpr DWORD LVS_OWNERDRAWFIXED = 0x0400;
constexpr DWORD LVS_NOCOLUMNHEADER = 0x4000;
constexpr DWORD LVS_EX_FULLROWSELECT = 0x0020;
constexpr UINT LVIS_FOCUSED = 0x0001;
constexpr UINT LVIS_SELECTED = 0x0002;
constexpr int LVCFMT_LEFT = 0;
constexpr int LVCFMT_RIGHT = 1;
constexpr int LVCFMT_CENTER = 2;

class ListView : public Window {
public:
    static constexpr int kHeaderHeight = 20;
    static constexpr int kDefaultRowHeight = 20;
    // A finger that moves further than this while down scrolls instead of tapping.
    static constexpr int kDragThreshold = 8;
    static constexpr int kMinimumThumb = 12;

    int InsertColumn(int column, const WString& heading, int format = LVCFMT_LEFT, int width = 80);
    bool DeleteColumn(int column);
    int GetColumnCount() const { return int(m_columns.size()); }
    int GetColumnWidth(int column) const;
    bool SetColumnWidth(int column, int width);

    int InsertItem(int index, const WString& text);
    bool SetItemText(int item, int subItem, const WString& text);
    WString GetItemText(int item, int subItem) const;
    bool DeleteItem(int item);
    bool DeleteAllItems();
    int GetItemCount() const { return int(m_items.size()); }
    bool SetItemState(int item, UINT state, UINT mask);
    UINT GetItemState(int item, UINT mask) const;

    DWORD SetExtendedStyle(DWORD style);
    DWORD GetExtendedStyle() const { return m_exStyle; }

    bool EnsureVisible(int item);
    int GetTopIndex() const { return m_top; }
    int GetCountPerPage();
    int RowHeight();

    // Owner-draw entries; the plain list draws its rows itself.
    virtual void DrawItem(DRAWITEMSTRUCT* item) { }
    virtual void MeasureItem(MEASUREITEMSTRUCT* item) { }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    struct Column {
        WString heading;
        int format = LVCFMT_LEFT;
        int width = 0;
    };
    struct Item {
        std::vector<WString> texts;
        UINT state = 0;
    };

    bool IsOwnerDraw() const { return (GetStyle() & LVS_OWNERDRAWFIXED) != 0; }
    int HeaderHeight() const;
    int ColumnsWidth() const;
    RECT RowsArea();
    bool HasVerticalBar();
    bool HasHorizontalBar();
    RECT VerticalBar();
    RECT Thumb();
    RECT ItemRect(int item);
    int ItemAt(POINT p);
    int MaxTop();
    void ScrollTo(int top);
    void InvalidateItem(int item);

    void Paint(HDC dc);
    void PaintRowPlain(HDC dc, int item, const RECT& rect);
    void PaintHeader(HDC dc);
    void PaintScrollBars(HDC dc);

    void OnDown(POINT p);
    void OnMove(POINT p);
    void OnUp(POINT p);

    std::vector<Column> m_columns;
    std::vector<Item> m_items;
    DWORD m_exStyle = 0;
    int m_top = 0;
    int m_rowHeight = 0;

    bool m_down = false;
    bool m_dragging = false;
    bool m_onScrollBar = false;
    POINT m_downPoint;
    int m_downTop = 0;
};
