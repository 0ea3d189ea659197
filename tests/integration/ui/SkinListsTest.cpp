#include "SkinFixture.h"

#include "ui/CHistListCtrl.h"
#include "ui/CMyListCtrl.h"

namespace {

constexpr DWORD kListStyle = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_NOCOLUMNHEADER;
constexpr RECT kListRect { 20, 40, 440, 220 };

class ListsTest : public SkinFixture {
protected:
    ListsTest() { m_parent.Create(nullptr, RECT { 0, 0, 480, 272 }, WS_POPUP | WS_VISIBLE); }

    // Columns of the given widths, `rows` entries of the given texts, row 1 selected.
    void Fill(ListView& list, std::vector<int> widths, int rows, std::vector<WString> texts)
    {
        ASSERT_TRUE(list.Create(&m_parent, kListRect, kListStyle, 1));
        for (size_t c = 0; c < widths.size(); ++c)
            list.InsertColumn(int(c), u"", LVCFMT_LEFT, widths[c]);
        for (int i = 0; i < rows; ++i) {
            list.InsertItem(i, texts[0]);
            for (size_t sub = 1; sub < texts.size(); ++sub)
                list.SetItemText(i, int(sub), texts[sub]);
        }
        list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
        m_system.Idle();
    }

    testenv::RecordingWindow m_parent { RGB(0, 0, 0) };
};

}

// Striped cells two pixels apart and one pixel inside their row, the selected row highlighted;
// each text centred in its cell, the last two kept clear of their right ends.
TEST_F(ListsTest, DeviceListDrawsStripedCellsWithTheSelectedRowHighlighted)
{
    CMyListCtrl list;
    Fill(list, { 150, 150, 120 }, 4, { u"Phone", u"00:11:22:33:44:55", u"HF" });
    EXPECT_TRUE(LooksLike(kListRect, "list-devices.png"));
}

// Rows of two lines stop 20 pixels short of the right; the missed calls' list hides the third text.
TEST_F(ListsTest, HistoryListDrawsTwoLinesAndTheMissedKindHidesTheThirdText)
{
    CHistListCtrl list;
    Fill(list, { 200, 120, 100 }, 3, { u"Anna", u"+49 170 1234567", u"12/05 14:30" });
    for (int kind :
        { CHistListCtrl::kKindIncoming, CHistListCtrl::kKindOutgoing, CHistListCtrl::kKindMissed }) {
        list.SetListKind(kind);
        list.Invalidate(true);
        m_system.Idle();
        EXPECT_TRUE(
            LooksLike(kListRect, kind == CHistListCtrl::kKindMissed ? "list-missed.png" : "list-history.png"))
            << kind;
    }
}
