#include "WindowTest.h"

#include "platform/controls/ListView.h"
#include "platform/controls/MessageBox.h"

namespace {

constexpr COLORREF kSelectedRow = RGB(134, 200, 255);

// Rows of a fixed height, the selected one highlighted; remembers which rows it drew.
class RowList : public ListView {
public:
    void MeasureItem(MEASUREITEMSTRUCT* item) override { item->itemHeight = 27; }
    void DrawItem(DRAWITEMSTRUCT* item) override
    {
        item->hDC->FillSolidRect(
            item->rcItem, (item->itemState & ODS_SELECTED) ? kSelectedRow : RGB(67, 112, 165));
        drawn.push_back(item->itemID);
    }
    std::vector<UINT> drawn;
};

using Controls = WindowTest;

}

TEST_F(Controls, OwnerDrawnListOfTwentyRowsScrolledToTheEnd)
{
    RecordingWindow parent(RGB(0, 0, 0));
    RowList list;
    ASSERT_TRUE(parent.Create(nullptr, kFull, WS_POPUP | WS_VISIBLE));
    ASSERT_TRUE(list.Create(&parent, RECT { 49, 82, 312, 222 },
        WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_NOCOLUMNHEADER | LVS_SINGLESEL, 1024));
    list.InsertColumn(0, u"Address", LVCFMT_CENTER, 139);
    list.InsertColumn(1, u"Name", LVCFMT_CENTER, 100);
    for (int i = 0; i < 20; ++i)
        list.InsertItem(i, u"row " + std::u16string(1, char16_t(u'A' + i)));
    system.Idle();
    EXPECT_TRUE(list.EnsureVisible(19));
    system.Idle();
    EXPECT_EQ(list.GetTopIndex(), 15);
    list.drawn.clear();
    list.Invalidate(true);
    system.Idle();
    EXPECT_EQ(list.drawn, (std::vector<UINT> { 15, 16, 17, 18, 19 }));
    // The scroll bar sits at the right with its thumb at the bottom.
    EXPECT_NE(At(305, 215), RGB(0, 0, 0));

    // A tap selects and focuses the row; a drag scrolls instead of selecting.
    Tap(100, 82 + 2 * 27 + 10);
    EXPECT_EQ(list.GetItemState(17, LVIS_SELECTED | LVIS_FOCUSED), LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(At(100, 82 + 2 * 27 + 10), kSelectedRow);
    system.InjectMouse(WM_LBUTTONDOWN, 100, 90);
    system.InjectMouse(WM_MOUSEMOVE, 100, 150);
    system.InjectMouse(WM_LBUTTONUP, 100, 200);
    system.Idle();
    EXPECT_LT(list.GetTopIndex(), 15);
    EXPECT_EQ(list.GetItemState(17, LVIS_SELECTED), LVIS_SELECTED);
    int selected = 0;
    for (int i = 0; i < 20; ++i)
        selected += list.GetItemState(i, LVIS_SELECTED) != 0;
    EXPECT_EQ(selected, 1);
}

TEST_F(Controls, MessageBoxIsModalCentredAndKeepsTheLoopRunning)
{
    RecordingWindow owner(RGB(10, 10, 10));
    ASSERT_TRUE(owner.Create(nullptr, kFull, WS_POPUP | WS_VISIBLE));
    owner.SetTimer(1, 500);
    int answer = 0;
    bool postedWhileUp = false;
    owner.hook = [&](UINT m, WPARAM, LPARAM) {
        if (m == WM_USER)
            answer = MessageBox(owner.GetSafeHwnd(), u"Delete this pairing?\r\nThe phone must pair again.", u"CAUTION", MB_YESNO);
        if (m == WM_USER + 1)
            postedWhileUp = !owner.IsWindowEnabled();
        return false;
    };
    owner.PostMessage(WM_USER);
    owner.PostMessage(WM_USER + 1);
    // Runs inside the box's own loop.
    int timersWhileUp = 0;
    RECT box {};
    system.PostTask([&] {
        system.Advance(1000);
        timersWhileUp = owner.Count(WM_TIMER);
        system.PaintPending();
        box = system.ScreenRect(system.TopLevelWindows().back());
        // A tap on the owner goes nowhere; Yes is the left of the two buttons.
        system.InjectMouse(WM_LBUTTONDOWN, 5, 5);
        system.InjectMouse(WM_LBUTTONUP, 5, 5);
        std::vector<HWND> buttons = system.Children(system.TopLevelWindows().back());
        if (buttons.size() == 2) {
            RECT yes = system.ScreenRect(buttons[0]);
            system.InjectMouse(WM_LBUTTONDOWN, (yes.left + yes.right) / 2, (yes.top + yes.bottom) / 2);
            system.InjectMouse(WM_LBUTTONUP, (yes.left + yes.right) / 2, (yes.top + yes.bottom) / 2);
        }
    });
    ASSERT_TRUE(system.PumpUntil([&] { return answer != 0; }, std::chrono::seconds(20)));
    EXPECT_EQ(timersWhileUp, 2) << "timers run while the box is up";
    EXPECT_TRUE(postedWhileUp) << "posted messages run while the box is up and its owner disabled";
    // Centred on the 480 x 272 screen: as far from the left as from the right, and from the top.
    EXPECT_EQ(box.left + box.right, 480) << box.left << " " << box.right;
    EXPECT_EQ(box.top + box.bottom, 272) << box.top << " " << box.bottom;
    EXPECT_EQ(owner.Count(WM_LBUTTONDOWN), 0);
    EXPECT_EQ(answer, IDYES);
    EXPECT_TRUE(owner.IsWindowEnabled());
    EXPECT_EQ(system.TopLevelWindows().size(), 1u);
}
