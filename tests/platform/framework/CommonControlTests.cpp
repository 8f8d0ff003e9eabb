// The combo box and the common controls in a real window: what the members set is what the control
// then shows, input reaches the parent as the control's notification, and item texts of any length
// come back whole.
#include <framework/Framework.h>
#include <support/gui/Input.h>
#include <support/gui/Picture.h>
#include <support/gui/Pump.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Log = std::vector<std::wstring>;

constexpr UINT kComboId = 901;
constexpr UINT kListId = 902;
constexpr UINT kTreeId = 903;
constexpr UINT kTabId = 904;
constexpr UINT kProgressId = 905;

// Holds the controls and records the notifications they send it.
class CControlHost : public CWnd {
public:
    Log log;
    CComboBox combo;
    CListCtrl list;
    CTreeCtrl tree;
    CTabCtrl tab;
    CProgressCtrl progress;

    BOOL CreateHidden() {
        return CreateEx(0, nullptr, L"controls", WS_OVERLAPPEDWINDOW, CRect(0, 0, 500, 400), nullptr, 0);
    }

protected:
    void OnComboSelChange() { log.push_back(L"combo: " + std::to_wstring(combo.GetCurSel())); }
    void OnListItemChanged(NMHDR* header, LRESULT*) {
        auto* change = reinterpret_cast<NMLISTVIEW*>(header);
        if ((change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED))
            log.push_back(L"list: " + std::to_wstring(change->iItem));
    }
    void OnTreeSelChanged(NMHDR* header, LRESULT*) {
        auto* change = reinterpret_cast<NMTREEVIEWW*>(header);
        log.push_back(L"tree: " + std::wstring(tree.GetItemText(change->itemNew.hItem).GetString()));
    }
    void OnTabSelChange(NMHDR*, LRESULT*) { log.push_back(L"tab: " + std::to_wstring(tab.GetCurSel())); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CControlHost, CWnd)
    ON_CBN_SELCHANGE(kComboId, OnComboSelChange)
    ON_NOTIFY(LVN_ITEMCHANGED, kListId, OnListItemChanged)
    ON_NOTIFY(TVN_SELCHANGEDW, kTreeId, OnTreeSelChanged)
    ON_NOTIFY(TCN_SELCHANGE, kTabId, OnTabSelChange)
END_MESSAGE_MAP()

class CommonControlTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(host.CreateHidden()); }
    void TearDown() override { host.DestroyWindow(); }

    CControlHost host;
};

TEST_F(CommonControlTest, ComboBoxKeepsItsItemsAndReportsAKeyedChoice) {
    CComboBox& combo = host.combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | WS_VSCROLL, CRect(0, 0, 150, 200), &host,
                             kComboId));
    EXPECT_EQ(0, combo.AddString(L"10 Mbit/s"));
    EXPECT_EQ(1, combo.AddString(L"100 Mbit/s"));
    EXPECT_EQ(2, combo.AddString(L"1000 Mbit/s"));
    EXPECT_EQ(1, combo.InsertString(1, L"auto"));
    EXPECT_EQ(4, combo.GetCount());
    EXPECT_NE(CB_ERR, combo.SetItemData(3, 1000));
    EXPECT_EQ(1000u, combo.GetItemData(3));
    EXPECT_EQ(3, combo.FindStringExact(-1, L"1000 mbit/s"));
    EXPECT_EQ(CB_ERR, combo.FindStringExact(-1, L"10000 Mbit/s"));
    CString text;
    combo.GetLBText(2, text);
    EXPECT_EQ(CString(L"100 Mbit/s"), text);
    EXPECT_EQ(10, combo.GetLBTextLen(2));
    combo.GetLBText(9, text);
    EXPECT_TRUE(text.IsEmpty());

    EXPECT_EQ(1, combo.SetCurSel(1));
    host.log.clear();
    support::gui::PressKey(combo.m_hWnd, VK_DOWN);
    EXPECT_EQ(2, combo.GetCurSel());
    EXPECT_EQ(Log{L"combo: 2"}, host.log);

    EXPECT_EQ(3, combo.DeleteString(0));
    EXPECT_EQ(2, combo.FindStringExact(-1, L"1000 Mbit/s"));
}

TEST_F(CommonControlTest, ListControlKeepsRowsAndColumnsAndReportsAKeyedChoice) {
    CListCtrl& list = host.list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL,
                            CRect(0, 0, 300, 200), &host, kListId));
    EXPECT_EQ(0, list.InsertColumn(0, L"Port", LVCFMT_LEFT, 80));
    EXPECT_EQ(1, list.InsertColumn(1, L"Speed", LVCFMT_RIGHT, 120));
    EXPECT_EQ(80, list.GetColumnWidth(0));
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(row, list.InsertItem(row, (L"Port " + std::to_wstring(row + 1)).c_str()));
        EXPECT_TRUE(list.SetItemText(row, 1, (std::to_wstring(10 * (row + 1)) + L" Mbit/s").c_str()));
        EXPECT_TRUE(list.SetItemData(row, 100 + row));
    }
    EXPECT_EQ(3, list.GetItemCount());
    EXPECT_EQ(CString(L"Port 2"), list.GetItemText(1, 0));
    EXPECT_EQ(CString(L"30 Mbit/s"), list.GetItemText(2, 1));
    EXPECT_EQ(102u, list.GetItemData(2));
    EXPECT_TRUE(list.GetItemText(7, 0).IsEmpty());

    // The row under the middle of an item's label is that item.
    CRect rect;
    ASSERT_TRUE(list.GetItemRect(1, &rect, LVIR_LABEL));
    EXPECT_EQ(1, list.HitTest(rect.CenterPoint()));

    host.log.clear();
    EXPECT_TRUE(list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED));
    EXPECT_EQ(Log{L"list: 0"}, host.log);
    ::SetFocus(list.m_hWnd);
    host.log.clear();
    support::gui::PressKey(list.m_hWnd, VK_DOWN);
    EXPECT_EQ(Log{L"list: 1"}, host.log);
    EXPECT_EQ(1, list.GetNextItem(-1, LVNI_SELECTED));
    EXPECT_EQ(1, list.GetSelectedCount());

    EXPECT_TRUE(list.DeleteItem(0));
    EXPECT_EQ(CString(L"Port 2"), list.GetItemText(0, 0));
    EXPECT_EQ(101u, list.GetItemData(0));
}

TEST_F(CommonControlTest, TreeControlKeepsItsHierarchyAndReportsAKeyedChoice) {
    CTreeCtrl& tree = host.tree;
    ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                            CRect(0, 0, 250, 300), &host, kTreeId));
    HTREEITEM tester = tree.InsertItem(L"Tester");
    HTREEITEM portA = tree.InsertItem(L"Port A", tester);
    HTREEITEM portB = tree.InsertItem(L"Port B", tester);
    HTREEITEM other = tree.InsertItem(L"Other");
    ASSERT_NE(nullptr, portB);
    EXPECT_EQ(4u, tree.GetCount());
    EXPECT_EQ(tester, tree.GetRootItem());
    EXPECT_EQ(portA, tree.GetChildItem(tester));
    EXPECT_EQ(portB, tree.GetNextSiblingItem(portA));
    EXPECT_EQ(tester, tree.GetParentItem(portB));
    EXPECT_EQ(other, tree.GetNextSiblingItem(tester));
    EXPECT_TRUE(tree.ItemHasChildren(tester));
    EXPECT_FALSE(tree.ItemHasChildren(other));
    EXPECT_TRUE(tree.SetItemData(portB, 0xB));
    EXPECT_EQ(0xBu, tree.GetItemData(portB));
    EXPECT_TRUE(tree.SetItemText(other, L"Spare"));
    EXPECT_EQ(CString(L"Spare"), tree.GetItemText(other));

    EXPECT_TRUE(tree.Expand(tester, TVE_EXPAND));
    EXPECT_TRUE(tree.GetItemState(tester, TVIS_EXPANDED) & TVIS_EXPANDED);
    CRect rect;
    ASSERT_TRUE(tree.GetItemRect(portA, &rect, TRUE));
    EXPECT_EQ(portA, tree.HitTest(rect.CenterPoint()));

    host.log.clear();
    EXPECT_TRUE(tree.SelectItem(portA));
    EXPECT_EQ(Log{L"tree: Port A"}, host.log);
    ::SetFocus(tree.m_hWnd);
    host.log.clear();
    support::gui::PressKey(tree.m_hWnd, VK_DOWN);
    EXPECT_EQ(portB, tree.GetSelectedItem());
    EXPECT_EQ(Log{L"tree: Port B"}, host.log);

    EXPECT_TRUE(tree.DeleteItem(tester));
    EXPECT_EQ(1u, tree.GetCount());
    EXPECT_EQ(other, tree.GetRootItem());
}

TEST_F(CommonControlTest, TabControlSwitchesOnAClickAndTellsItsParent) {
    CTabCtrl& tab = host.tab;
    ASSERT_TRUE(tab.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 400, 200), &host, kTabId));
    EXPECT_EQ(0, tab.InsertItem(0, L"Ports"));
    EXPECT_EQ(1, tab.InsertItem(1, L"Streams"));
    EXPECT_EQ(2, tab.InsertItem(2, L"Counters"));
    EXPECT_EQ(3, tab.GetItemCount());
    EXPECT_EQ(0, tab.GetCurSel());
    EXPECT_EQ(0, tab.SetCurSel(1));
    EXPECT_EQ(1, tab.GetCurSel());

    CRect third;
    ASSERT_TRUE(tab.GetItemRect(2, &third));
    host.log.clear();
    support::gui::Click(tab.m_hWnd, third.CenterPoint());
    EXPECT_EQ(2, tab.GetCurSel());
    EXPECT_EQ(Log{L"tab: 2"}, host.log);

    // The page area lies below the tabs.
    CRect page(0, 0, 400, 200);
    tab.AdjustRect(FALSE, &page);
    EXPECT_GE(page.top, third.bottom);

    EXPECT_TRUE(tab.DeleteItem(0));
    EXPECT_EQ(2, tab.GetItemCount());
}

TEST_F(CommonControlTest, ProgressBarMovesWithinItsRangeAndShowsIt) {
    CProgressCtrl& progress = host.progress;
    ASSERT_TRUE(progress.Create(WS_CHILD | WS_VISIBLE | PBS_SMOOTH, CRect(0, 0, 200, 20), &host, kProgressId));
    progress.SetRange32(0, 200);
    int lower = -1;
    int upper = -1;
    progress.GetRange(lower, upper);
    EXPECT_EQ(0, lower);
    EXPECT_EQ(200, upper);
    EXPECT_EQ(0, progress.SetPos(50));
    EXPECT_EQ(50, progress.OffsetPos(25));
    EXPECT_EQ(75, progress.GetPos());
    progress.SetStep(25);
    EXPECT_EQ(75, progress.StepIt());
    EXPECT_EQ(100, progress.GetPos());
    progress.SetPos(500);
    EXPECT_EQ(200, progress.GetPos());

    // Half way: the left quarter shows the bar, the right end the empty trough. The colours are the
    // visual style's, so each is compared with itself at a full and an empty bar.
    progress.SetPos(100);
    support::gui::Picture half = support::gui::CaptureWindow(progress.m_hWnd);
    const POINT left{half.width / 4, half.height / 2};
    const POINT right{half.width * 9 / 10, half.height / 2};
    const COLORREF filled = half.At(left.x, left.y);
    const COLORREF empty = half.At(right.x, right.y);
    EXPECT_NE(filled, empty);
    progress.SetPos(200);
    EXPECT_EQ(filled, support::gui::CaptureWindow(progress.m_hWnd).At(right.x, right.y));
    progress.SetPos(0);
    EXPECT_EQ(empty, support::gui::CaptureWindow(progress.m_hWnd).At(left.x, left.y));
}

// Item texts are read through a buffer that grows until the text fits: lengths around each size
// the buffer passes through, and far beyond the largest.
const int kTextLengths[] = {0, 1, 254, 255, 256, 1023, 1024, 1025, 5000, 65535, 65536, 70000};

std::wstring TextOfLength(int length) {
    std::wstring text;
    for (int i = 0; i < length; ++i) text.push_back(static_cast<wchar_t>(L'a' + i % 26));
    return text;
}

TEST_F(CommonControlTest, ListItemTextsOfAnyLengthComeBackWhole) {
    CListCtrl& list = host.list;
    ASSERT_TRUE(list.Create(WS_CHILD | LVS_REPORT, CRect(0, 0, 300, 200), &host, kListId));
    list.InsertColumn(0, L"Name", LVCFMT_LEFT, 100);
    list.InsertColumn(1, L"Value", LVCFMT_LEFT, 100);
    list.InsertItem(0, L"row");
    for (int length : kTextLengths) {
        const std::wstring text = TextOfLength(length);
        ASSERT_TRUE(list.SetItemText(0, 1, text.c_str())) << length;
        const CString read = list.GetItemText(0, 1);
        EXPECT_EQ(length, read.GetLength());
        EXPECT_TRUE(text == read.GetString()) << length;
    }
}

TEST_F(CommonControlTest, TreeItemTextsOfAnyLengthComeBackWhole) {
    CTreeCtrl& tree = host.tree;
    ASSERT_TRUE(tree.Create(WS_CHILD, CRect(0, 0, 250, 300), &host, kTreeId));
    HTREEITEM item = tree.InsertItem(L"item");
    for (int length : kTextLengths) {
        const std::wstring text = TextOfLength(length);
        ASSERT_TRUE(tree.SetItemText(item, text.c_str())) << length;
        const CString read = tree.GetItemText(item);
        EXPECT_EQ(length, read.GetLength());
        EXPECT_TRUE(text == read.GetString()) << length;
    }
    EXPECT_TRUE(tree.GetItemText(nullptr).IsEmpty());
}

}  // namespace
