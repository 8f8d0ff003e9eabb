// CTreeTableCtrl: what each call sends its "TreeTable" window and what comes back.
#include "CTreeTableCtrl.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The records the window received, copied as they arrived.
struct Sent {
    UINT message;
    WPARAM wParam;
    LVCOLUMNW column;
    TVITEMW item;
};
std::vector<Sent> g_sent;
WNDPROC g_previous;

LRESULT CALLBACK Recorder(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == TLM_INSERTCOLUMN || message == TLM_SETCOLUMN || message == TVM_SETITEMW || message == TVM_GETITEMW) {
        Sent s{message, wParam, {}, {}};
        if (message == TLM_INSERTCOLUMN || message == TLM_SETCOLUMN) s.column = *reinterpret_cast<LVCOLUMNW*>(lParam);
        else s.item = *reinterpret_cast<TVITEMW*>(lParam);
        g_sent.push_back(s);
    }
    return CallWindowProcW(g_previous, hwnd, message, wParam, lParam);
}

class CTreeTableCtrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.CreateEx(0, AfxRegisterWndClass(0), L"host", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 300),
                                  nullptr, 0));
        ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES, CRect(0, 0, 380, 260),
                                &host, 123));
        g_sent.clear();
        g_previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(tree.GetSafeHwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Recorder)));
    }
    void TearDown() override { host.DestroyWindow(); }

    CWnd host;
    CTreeTableCtrl tree;
};

TEST_F(CTreeTableCtrlTest, CreatesATreeTableWindowThatKnowsItsClass) {
    wchar_t name[32] = {};
    GetClassNameW(tree.GetSafeHwnd(), name, 32);
    EXPECT_STREQ(L"TreeTable", name);
    EXPECT_EQ(123, tree.GetDlgCtrlID());
    EXPECT_STREQ("CTreeTableCtrl", tree.GetRuntimeClass()->m_lpszClassName);
    EXPECT_TRUE(tree.IsKindOf(RUNTIME_CLASS(CTreeCtrl)));
}

TEST_F(CTreeTableCtrlTest, InsertColumnPacksWeightsAndMinimumWidths) {
    EXPECT_EQ(0, tree.InsertColumn(0, L"Name", LVCFMT_LEFT, -120));
    EXPECT_EQ(1, tree.InsertColumn(1, L"Value", LVCFMT_RIGHT, 80, 40));
    ASSERT_EQ(2u, g_sent.size());
    EXPECT_EQ(static_cast<UINT>(TLCF_TEXT | TLCF_FMT | TLCF_WEIGHT), g_sent[0].column.mask);
    EXPECT_EQ(120, g_sent[0].column.cx);
    EXPECT_EQ(256, g_sent[0].column.cchTextMax);
    EXPECT_EQ(static_cast<UINT>(TLCF_TEXT | TLCF_FMT | TLCF_WIDTH | TLCF_MINWIDTH), g_sent[1].column.mask);
    EXPECT_EQ(40, g_sent[1].column.iOrder);
    EXPECT_EQ(80, static_cast<int>(tree.SendMessage(TLM_GETCOLUMNWIDTH, 1)));
    EXPECT_EQ(2, static_cast<int>(tree.SendMessage(TLM_GETCOLUMNCOUNT)));
}

TEST_F(CTreeTableCtrlTest, ItemTextsGoByColumn) {
    for (int c = 0; c < 4; ++c) tree.InsertColumn(c, L"c", LVCFMT_LEFT, 60);
    HTREEITEM item = tree.InsertItem(L"row", 0, 0);
    ASSERT_NE(nullptr, item);
    EXPECT_EQ(0, tree.SetItemText(item, L"cell", 2));
    EXPECT_STREQ(L"cell", tree.GetItemText(item, 2));
    EXPECT_STREQ(L"row", tree.GetItemText(item, 0));
    EXPECT_STREQ(L"", tree.GetItemText(item, 3));  // no cell yet: an empty text
    EXPECT_EQ(nullptr, tree.GetItemText(item, 9));
    EXPECT_EQ(L"row", tree.GetItemText(item));     // CTreeCtrl's own form still works
    g_sent.clear();
    tree.SetItemText(item, nullptr, 1);
    ASSERT_EQ(1u, g_sent.size());
    EXPECT_EQ(0, g_sent[0].item.cchTextMax);
    EXPECT_EQ(1, g_sent[0].item.cChildren);
    EXPECT_EQ(static_cast<UINT>(TVIF_TEXT | TVIF_TLCOLUMN), g_sent[0].item.mask);
}

TEST_F(CTreeTableCtrlTest, SetItemAddsTheColumnBit) {
    tree.InsertColumn(0, L"a", LVCFMT_LEFT, 60);
    tree.InsertColumn(1, L"b", LVCFMT_LEFT, 60);
    HTREEITEM item = tree.InsertItem(L"row", 0, 0);
    g_sent.clear();
    EXPECT_EQ(0, tree.SetItem(item, 1, TVIF_IMAGE, nullptr, 5, 5, 0, 0, 0));
    ASSERT_EQ(1u, g_sent.size());
    EXPECT_EQ(static_cast<UINT>(TVIF_IMAGE | TVIF_TLCOLUMN), g_sent[0].item.mask);
    EXPECT_EQ(0, g_sent[0].item.cchTextMax);
}

TEST_F(CTreeTableCtrlTest, TheItemSettersReportTheTruth) {
    HTREEITEM item = tree.InsertItem(L"row", 0, 0);
    HTREEITEM gone = reinterpret_cast<HTREEITEM>(static_cast<ULONG_PTR>(99));
    EXPECT_TRUE(tree.SetItemData(item, 0x1234));
    EXPECT_EQ(0x1234u, tree.GetItemData(item));
    EXPECT_TRUE(tree.SetItemState(item, TVIS_BOLD, TVIS_BOLD));
    EXPECT_EQ(static_cast<UINT>(TVIS_BOLD), tree.GetItemState(item, TVIS_BOLD) & TVIS_BOLD);
    EXPECT_TRUE(tree.SetItemImage(item, 3, 4));
    TVITEMW record{};
    record.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    record.hItem = item;
    tree.SendMessage(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&record));
    EXPECT_EQ(3, record.iImage);
    EXPECT_EQ(4, record.iSelectedImage);
    record = TVITEMW{};
    record.mask = TVIF_TEXT;
    record.hItem = item;
    record.pszText = const_cast<LPWSTR>(L"renamed");
    EXPECT_TRUE(tree.SetItem(&record));
    EXPECT_EQ(L"renamed", tree.GetItemText(item));
    EXPECT_FALSE(tree.SetItemData(gone, 1));
    EXPECT_FALSE(tree.SetItemState(gone, TVIS_BOLD, TVIS_BOLD));
    EXPECT_FALSE(tree.SetItemImage(gone, 1, 1));
    record.hItem = gone;
    EXPECT_FALSE(tree.SetItem(&record));
}

TEST_F(CTreeTableCtrlTest, TheItemSettersReportTheTruthThroughTheBaseClass) {
    // Code written for any tree control holds a CTreeCtrl and must read the same answers.
    CTreeCtrl& base = tree;
    HTREEITEM item = tree.InsertItem(L"row", 0, 0);
    HTREEITEM gone = reinterpret_cast<HTREEITEM>(static_cast<ULONG_PTR>(99));
    EXPECT_TRUE(base.SetItemText(item, L"renamed"));
    EXPECT_EQ(L"renamed", base.GetItemText(item));
    EXPECT_TRUE(base.SetItemData(item, 0x1234));
    EXPECT_EQ(0x1234u, base.GetItemData(item));
    EXPECT_TRUE(base.SetItemState(item, TVIS_BOLD, TVIS_BOLD));
    EXPECT_TRUE(base.SetItemImage(item, 3, 4));
    TVITEMW record{};
    record.mask = TVIF_PARAM;
    record.hItem = item;
    record.lParam = 7;
    EXPECT_TRUE(base.SetItem(&record));
    EXPECT_FALSE(base.SetItemText(gone, L"x"));
    EXPECT_FALSE(base.SetItemData(gone, 1));
    EXPECT_FALSE(base.SetItemState(gone, TVIS_BOLD, TVIS_BOLD));
    EXPECT_FALSE(base.SetItemImage(gone, 1, 1));
    record.hItem = gone;
    EXPECT_FALSE(base.SetItem(&record));
}

TEST_F(CTreeTableCtrlTest, UserDataSizeIsFixedByTheFirstItem) {
    EXPECT_EQ(256, tree.SetUserDataSize(256));
    tree.InsertItem(L"row", 0, 0);
    EXPECT_EQ(0, tree.SetUserDataSize(16));
    EXPECT_EQ(256, static_cast<int>(tree.SendMessage(TLM_GETUSERDATASIZE)));
}

TEST_F(CTreeTableCtrlTest, ColoursStylesAndColumnTexts) {
    tree.InsertColumn(0, L"Name", LVCFMT_LEFT, 100);
    tree.InsertColumn(1, L"Value", LVCFMT_LEFT, 100);
    HTREEITEM item = tree.InsertItem(L"row", 0, 0);
    EXPECT_EQ(static_cast<COLORREF>(-1), tree.SetItemTextColor(item, 1, RGB(1, 2, 3)));
    EXPECT_EQ(RGB(1, 2, 3), tree.SetItemTextColor(item, 1, static_cast<COLORREF>(-1)));
    EXPECT_EQ(static_cast<DWORD>(TLS_EX_GRIDLINES), tree.SetExtendedStyle(TLS_EX_GRIDLINES));
    tree.SetColumnText(1, L"Renamed");
    wchar_t text[16] = {};
    LVCOLUMNW col{};
    col.mask = TLCF_TEXT;
    col.pszText = text;
    col.cchTextMax = 16;
    tree.SendMessage(TLM_GETCOLUMN, 1, reinterpret_cast<LPARAM>(&col));
    EXPECT_STREQ(L"Renamed", text);
    EXPECT_TRUE(tree.SetColumnWidth(1, 70));
    EXPECT_EQ(70, static_cast<int>(tree.SendMessage(TLM_GETCOLUMNWIDTH, 1)));
    // The CTreeCtrl operations reach the same window.
    HTREEITEM child = tree.InsertItem(L"child", 0, 0, item);
    EXPECT_TRUE(tree.Expand(item, TVE_EXPAND));
    EXPECT_EQ(child, tree.GetChildItem(item));
    EXPECT_EQ(2u, tree.GetCount());
}

}  // namespace
