#include "SkinFixture.h"

#include "platform/controls/SystemMetrics.h"
#include "platform/draw/MemoryDC.h"
#include "ui/CHistListCtrl.h"
#include "ui/CMyListCtrl.h"
#include "ui/ListSkin.h"

namespace {

constexpr DWORD kListStyle = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_NOCOLUMNHEADER
    | LVS_SINGLESEL;
constexpr RECT kListRect { 20, 40, 440, 220 };
constexpr int kListId = 2001;

class ListsTest : public SkinFixture {
protected:
    ListsTest() { m_parent.Create(nullptr, RECT { 0, 0, 480, 272 }, WS_POPUP | WS_VISIBLE); }

    void Fill(ListView& list, int rows, const std::vector<WString>& texts)
    {
        for (int i = 0; i < rows; ++i) {
            list.InsertItem(i, texts[0]);
            for (int sub = 1; sub < int(texts.size()); ++sub)
                list.SetItemText(i, sub, texts[size_t(sub)]);
        }
        list.SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        m_system.Idle();
    }

    COLORREF At(int x, int y) { return Surface::ToColorRef(ScreenPixel(kListRect.left + x, kListRect.top + y)); }

    testenv::RecordingWindow m_parent { RGB(0, 0, 0) };
};

}

TEST_F(ListsTest, DeviceListDrawsStripedCellsWithTheSelectedRowHighlighted)
{
    CMyListCtrl list;
    ASSERT_TRUE(list.Create(&m_parent, kListRect, kListStyle, kListId));
    list.InsertColumn(0, u"", LVCFMT_LEFT, 150);
    list.InsertColumn(1, u"", LVCFMT_LEFT, 150);
    list.InsertColumn(2, u"", LVCFMT_LEFT, 120);
    Fill(list, 4, { u"Phone", u"00:11:22:33:44:55", u"HF" });
    EXPECT_EQ(list.RowHeight(), CMyListCtrl::kRowHeight);
    SaveShot(kListRect, "list-devices.png");

    const COLORREF rows[] = { listskin::kEvenRow, listskin::kSelectedRow, listskin::kEvenRow, listskin::kOddRow };
    for (int i = 0; i < 4; ++i) {
        int middle = i * 27 + 13;
        EXPECT_EQ(At(2, middle), rows[i]) << "row " << i;
        EXPECT_EQ(At(153, middle), rows[i]) << "row " << i << " cell 1";
        // The cells are two pixels apart and one pixel inside the row's top and bottom.
        EXPECT_EQ(At(150, middle), listskin::kBackground);
        EXPECT_EQ(At(301, middle), listskin::kBackground);
        EXPECT_EQ(At(2, i * 27), listskin::kBackground);
    }
    // Row 2 follows the index, not its selected neighbour.
    EXPECT_EQ(At(2, 2 * 27 + 13), listskin::kEvenRow);
    EXPECT_EQ(At(2, 4 * 27 + 10), listskin::kBackground) << "below the last row";

    // Each cell holds its text, centred.
    for (RECT cell : { RECT { 0, 1, 150, 26 }, RECT { 152, 1, 290, 26 }, RECT { 302, 1, 390, 26 } })
        EXPECT_GT(PixelsNot(cell.Offset(kListRect.left, kListRect.top), listskin::kEvenRow), 0);

    // Selecting another row moves the highlight, and the stripes stay.
    list.SetItemState(1, 0, LVIS_SELECTED);
    list.SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);
    list.Invalidate(true);
    m_system.Idle();
    EXPECT_EQ(At(2, 27 + 13), listskin::kOddRow);
    EXPECT_EQ(At(2, 3 * 27 + 13), listskin::kSelectedRow);
}

TEST_F(ListsTest, HistoryListKindsDrawTwoLinesAndMissedCallsHideTheThirdText)
{
    CHistListCtrl list;
    ASSERT_TRUE(list.Create(&m_parent, kListRect, kListStyle, kListId));
    list.InsertColumn(0, u"", LVCFMT_LEFT, 200);
    list.InsertColumn(1, u"", LVCFMT_LEFT, 120);
    list.InsertColumn(2, u"", LVCFMT_LEFT, 100);
    Fill(list, 3, { u"Anna", u"+49 170 1234567", u"12/05 14:30" });
    EXPECT_EQ(list.RowHeight(), CHistListCtrl::kRowHeight);

    const int r = kListRect.Width();
    // Row 0 (even, unselected): the third text lies in the lower right part.
    RECT thirdText = RECT { r - 105, 35 - 20, r - 21, 35 - 2 }.Offset(kListRect.left, kListRect.top);
    RECT firstText = RECT { 5, 1, 150, 20 }.Offset(kListRect.left, kListRect.top);
    for (int kind : { CHistListCtrl::kKindIncoming, CHistListCtrl::kKindOutgoing, CHistListCtrl::kKindMissed }) {
        list.SetListKind(kind);
        list.Invalidate(true);
        m_system.Idle();
        EXPECT_EQ(At(2, 17), listskin::kEvenRow) << kind;
        EXPECT_EQ(At(2, 35 + 17), listskin::kSelectedRow) << kind;
        EXPECT_EQ(At(2, 70 + 17), listskin::kEvenRow) << kind;
        // The row stops 20 pixels short of the right edge.
        EXPECT_EQ(At(r - 10, 17), listskin::kBackground) << kind;
        EXPECT_GT(PixelsNot(firstText, listskin::kEvenRow), 0) << kind;
        if (kind == CHistListCtrl::kKindMissed) {
            EXPECT_EQ(PixelsNot(thirdText, listskin::kEvenRow), 0);
            SaveShot(kListRect, "list-history.png");
        } else {
            EXPECT_GT(PixelsNot(thirdText, listskin::kEvenRow), 0) << kind;
            if (kind == CHistListCtrl::kKindIncoming)
                SaveShot(kListRect, "list-history.png");
        }
    }
}

TEST_F(ListsTest, ItemsAtOrBeyondTheCountDrawNothing)
{
    CMyListCtrl devices;
    CHistListCtrl history;
    ASSERT_TRUE(devices.Create(&m_parent, kListRect, kListStyle, kListId));
    ASSERT_TRUE(history.Create(&m_parent, kListRect, kListStyle, kListId + 1));
    devices.InsertColumn(0, u"", LVCFMT_LEFT, 100);
    devices.InsertItem(0, u"only");
    history.InsertItem(0, u"only");
    for (ListView* list : { static_cast<ListView*>(&devices), static_cast<ListView*>(&history) }) {
        Bitmap canvas(200, 40, 0x123456);
        std::unique_ptr<MemoryDC> dc = CreateCompatibleDC(nullptr);
        dc->SelectBitmap(&canvas);
        for (UINT index : { 1u, 7u, 0xFFFFFFFFu }) {
            DRAWITEMSTRUCT item;
            item.itemID = index;
            item.hDC = dc.get();
            item.rcItem = { 0, 0, 200, 35 };
            list->DrawItem(&item);
        }
        for (uint32_t pixel : canvas.Pixels().Pixels())
            ASSERT_EQ(pixel & 0xFFFFFF, 0x123456u);
    }
}

TEST_F(ListsTest, HiddenHorizontalScrollBarLiesBelowTheVisibleArea)
{
    CMyListCtrl list;
    ASSERT_TRUE(list.Create(&m_parent, kListRect, kListStyle, kListId));
    // Wider than the list, so it has a horizontal bar.
    list.InsertColumn(0, u"", LVCFMT_LEFT, 300);
    list.InsertColumn(1, u"", LVCFMT_LEFT, 300);
    list.InsertColumn(2, u"", LVCFMT_LEFT, 100);
    Fill(list, 3, { u"a", u"b", u"c" });

    list.HideScrollBars(0);
    m_system.Idle();
    RECT window;
    list.GetWindowRect(&window);
    EXPECT_EQ(window.left, kListRect.left);
    EXPECT_EQ(window.top, kListRect.top);
    EXPECT_EQ(window.Width(), kListRect.Width());
    EXPECT_EQ(window.Height(), kListRect.Height() + GetSystemMetrics(SM_CYVSCROLL));
    RECT visible = m_system.VisibleRegion(list.GetSafeHwnd()).Bounds();
    EXPECT_EQ(visible, (RECT { kListRect.left, kListRect.top, kListRect.right, kListRect.bottom - 2 }));
    // Nothing of the list shows below its visible area: the parent's black stays there.
    EXPECT_EQ(PixelsNot(RECT { kListRect.left, kListRect.bottom - 2, kListRect.right, window.bottom }, RGB(0, 0, 0)), 0);
}
