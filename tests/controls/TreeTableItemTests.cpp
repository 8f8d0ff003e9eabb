// The "TreeTable" window's items through its messages: numbering and growth, the places an item can
// be inserted, reading and writing items, navigation, expanding, selection, deletion, sorting and
// search, and what the parent hears and may refuse on the way.
#include "TreeTableHarness.h"

#include <algorithm>

using namespace treetable_test;

namespace {

HTREEITEM Item(uintptr_t n) { return reinterpret_cast<HTREEITEM>(n); }
uintptr_t Number(HTREEITEM item) { return reinterpret_cast<uintptr_t>(item); }
using Texts = std::vector<std::wstring>;

TEST(TreeTableItems, NumbersStartAtOneAndComeBackOnlyWhenTheSearchWrapsAroundTheCapacity) {
    Harness h;
    for (int i = 0; i < 64; ++i) h.Insert(L"x");
    EXPECT_EQ(1u, Number(h.Next(TVI_ROOT, TVGN_CHILD)));
    ASSERT_TRUE(h.Send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(Item(1))));
    // 64 items fit the first arrays: the search from 65 wraps to the free number 1.
    EXPECT_EQ(1u, Number(h.Insert(L"again")));
    h.Insert(L"65th");  // grows the arrays to 64 + 32 + 64 = 160
    ASSERT_TRUE(h.Send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(Item(2))));
    EXPECT_EQ(66u, Number(h.Insert(L"after growth")));
    EXPECT_EQ(65, h.Send(TVM_GETCOUNT));
}

TEST(TreeTableItems, InsertionPlacesFollowTheirCodes) {
    Harness h;
    HTREEITEM p = h.Insert(L"P");
    HTREEITEM other = h.Insert(L"Other");
    h.InsertAll({L"b", L"d"}, p);
    h.Insert(L"a", p, TVI_FIRST);
    h.Insert(L"C", p, TVI_SORT);
    h.Insert(L"e", p, TLI_POSITION(99));
    h.Insert(L"f", p, h.Insert(L"o1", other));  // an item of another parent: appended
    EXPECT_EQ((Texts{L"a", L"b", L"C", L"d", L"e", L"f"}), h.ChildTexts(p));
    h.Insert(L"before P", p, TLI_BEFOREPARENT);
    h.Insert(L"after P", p, TLI_AFTERPARENT);
    h.Insert(L"top", p, TVI_ROOT);
    EXPECT_EQ((Texts{L"before P", L"P", L"after P", L"Other", L"top"}), h.ChildTexts());
    h.Insert(L"x0", other, TLI_POSITION(0));
    EXPECT_EQ((Texts{L"x0", L"o1"}), h.ChildTexts(other));
}

TEST(TreeTableItems, SortedInsertionPlacesAnEqualTextBeforeTheEqualSibling) {
    Harness h;
    HTREEITEM first = h.Insert(L"Beta", TVI_ROOT, TVI_LAST, 1);
    h.Insert(L"alpha", TVI_ROOT, TVI_SORT);
    HTREEITEM equal = h.Insert(L"BETA", TVI_ROOT, TVI_SORT, 2);
    EXPECT_EQ((Texts{L"alpha", L"BETA", L"Beta"}), h.ChildTexts());
    EXPECT_EQ(equal, h.Next(first, TVGN_PREVIOUS));
}

int CALLBACK NewAgainstSibling(HWND, HTREEITEM, LPCWSTR, LPCWSTR, LPARAM sibling, LPARAM inserted) {
    return inserted < sibling ? -1 : inserted > sibling ? 1 : 0;
}

TEST(TreeTableItems, SortedInsertionByTheCallersComparison) {
    Harness h;
    for (LPARAM value : {5, 1, 3, 4, 2}) {
        TVINSERTSTRUCTW insert{};
        insert.hParent = TVI_ROOT;
        insert.hInsertAfter = TLI_SORTCB;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM;
        const std::wstring text = std::to_wstring(value);
        insert.item.pszText = const_cast<wchar_t*>(text.c_str());
        insert.item.lParam = value;
        // The comparison travels in the item's handle field.
        insert.item.hItem = reinterpret_cast<HTREEITEM>(reinterpret_cast<ULONG_PTR>(NewAgainstSibling));
        ASSERT_NE(0, h.Send(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    }
    EXPECT_EQ((Texts{L"1", L"2", L"3", L"4", L"5"}), h.ChildTexts());
}

TEST(TreeTableItems, ChildrenFlagDecidesTheButton) {
    Harness h;
    TVINSERTSTRUCTW insert{};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_CHILDREN;
    insert.item.pszText = const_cast<wchar_t*>(L"never");
    insert.item.cChildren = 0;
    HTREEITEM never = reinterpret_cast<HTREEITEM>(h.Send(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    insert.item.cChildren = 2;
    HTREEITEM follows = reinterpret_cast<HTREEITEM>(h.Send(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    h.Insert(L"c", never);
    h.Insert(L"c", follows);
    h.Send(TVM_SETITEMHEIGHT, 20);
    auto onButton = [&](HTREEITEM item) {
        const RECT r = h.ItemRect(item);
        TVHITTESTINFO hit{};
        hit.pt = POINT{7, (r.top + r.bottom) / 2};
        h.Send(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        return hit.flags == TVHT_ONITEMBUTTON;
    };
    EXPECT_FALSE(onButton(never));
    EXPECT_TRUE(onButton(follows));
}

TEST(TreeTableItems, GetItemCopiesTextsWithinTheBufferAndHandsOutTheStoredText) {
    Harness h;
    HTREEITEM item = h.Insert(L"abcdef", TVI_ROOT, TVI_LAST, 42);
    wchar_t buffer[8] = L"zzzzzzz";
    TVITEMW tv{};
    tv.mask = TVIF_TEXT | TVIF_PARAM;
    tv.hItem = item;
    tv.pszText = buffer;
    tv.cchTextMax = 4;
    ASSERT_EQ(1, h.Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv)));
    EXPECT_STREQ(L"abc", buffer);
    EXPECT_EQ(42, tv.lParam);
    tv.mask = TVIF_TEXT | TVIF_TLTEXTPTR;
    ASSERT_EQ(1, h.Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv)));
    EXPECT_STREQ(L"abcdef", tv.pszText);
    EXPECT_EQ(7, tv.cchTextMax);
    tv.hItem = Item(999);
    EXPECT_EQ(0, h.Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv)));
}

TEST(TreeTableItems, CellsAreMadeOnFirstNeedAndUnknownColumnsFail) {
    Harness h;
    h.AddColumn(L"Name", 100);
    h.AddColumn(L"Value", 100);
    HTREEITEM item = h.Insert(L"row");
    EXPECT_EQ(L"", h.Text(item, 1));
    h.SetText(item, 1, L"cell");
    EXPECT_EQ(L"cell", h.Text(item, 1));
    EXPECT_EQ(L"<none>", h.Text(item, 2));
    TVITEMW tv{};
    tv.mask = TVIF_TEXT | TVIF_TLCOLUMN;
    tv.hItem = item;
    tv.pszText = const_cast<wchar_t*>(L"x");
    tv.cChildren = 5;
    EXPECT_EQ(-1, h.Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv)));
}

TEST(TreeTableItems, NextItemCodesWalkTheTree) {
    Harness h;
    HTREEITEM a = h.Insert(L"a");
    HTREEITEM b = h.Insert(L"b");
    HTREEITEM a1 = h.Insert(L"a1", a);
    HTREEITEM a2 = h.Insert(L"a2", a);
    EXPECT_EQ(a, h.Next(nullptr, TVGN_ROOT));
    EXPECT_EQ(b, h.Next(a, TVGN_NEXT));
    EXPECT_EQ(a, h.Next(b, TVGN_PREVIOUS));
    EXPECT_EQ(a, h.Next(a2, TVGN_PARENT));
    EXPECT_EQ(a1, h.Next(a, TVGN_CHILD));
    EXPECT_EQ(a2, h.Next(a, TLGN_LASTCHILD));
    EXPECT_EQ(b, h.Next(TVI_ROOT, TLGN_LASTCHILD));
    EXPECT_EQ(nullptr, h.Next(Item(500), TVGN_NEXT));
    EXPECT_EQ(nullptr, h.Next(a, 14));
    // Collapsed: b follows a in the rows.
    EXPECT_EQ(b, h.Next(a, TVGN_NEXTVISIBLE));
    EXPECT_EQ(b, h.Next(nullptr, TVGN_LASTVISIBLE));
    EXPECT_EQ(nullptr, h.Next(a, TVGN_PREVIOUSVISIBLE));
    h.Send(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(a));
    EXPECT_EQ(a1, h.Next(a, TVGN_NEXTVISIBLE));
    EXPECT_EQ((Texts{L"a", L"a1", L"a2", L"b"}), h.RowTexts());
}

TEST(TreeTableItems, NextVisibleIsNothingForARowScrolledOutOfTheWindow) {
    Harness h(TVS_HASBUTTONS, 200, 100);
    std::vector<HTREEITEM> items;
    for (int i = 0; i < 30; ++i) items.push_back(h.Insert(L"row"));
    const LRESULT page = h.Send(TVM_GETVISIBLECOUNT);
    ASSERT_GT(page, 1);
    EXPECT_EQ(nullptr, h.Next(items[static_cast<size_t>(page) + 3], TVGN_NEXTVISIBLE));
    h.Send(TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(items[5]));
    EXPECT_EQ(items[5], h.Next(nullptr, TVGN_FIRSTVISIBLE));
    EXPECT_EQ(nullptr, h.Next(items[5], TVGN_PREVIOUSVISIBLE));
}

TEST(TreeTableItems, ExpandingAsksTheParentWhichMayRefuse) {
    Harness h;
    HTREEITEM a = h.Insert(L"a");
    h.Insert(L"a1", a);
    h.answer = [](NMHDR* header) { return header->code == TVN_ITEMEXPANDINGW ? 1 : 0; };
    EXPECT_EQ(0, h.Send(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(a)));
    EXPECT_EQ(0u, h.State(a) & TVIS_EXPANDED);
    h.answer = nullptr;
    h.Clear();
    EXPECT_EQ(1, h.Send(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(a)));
    EXPECT_EQ((std::vector<UINT>{TVN_ITEMEXPANDINGW, TVN_ITEMEXPANDEDW}), h.Codes());
    EXPECT_EQ(static_cast<UINT>(TVE_EXPAND), h.Notices(TVN_ITEMEXPANDINGW)[0].action);
    EXPECT_EQ(1, h.Send(TVM_EXPAND, TVE_EXPAND | TVE_EXPANDPARTIAL, reinterpret_cast<LPARAM>(a)));
    EXPECT_EQ(static_cast<UINT>(TVIS_EXPANDED | TVIS_EXPANDPARTIAL), h.State(a) & 0xA0);
    EXPECT_EQ(1, h.Send(TVM_EXPAND, TVE_TOGGLE, reinterpret_cast<LPARAM>(a)));
    EXPECT_EQ(static_cast<UINT>(TVIS_EXPANDED), h.State(a) & 0xA0);
    EXPECT_EQ(1, h.Send(TVM_EXPAND, TVE_COLLAPSE | TVE_COLLAPSERESET, reinterpret_cast<LPARAM>(a)));
    EXPECT_EQ(nullptr, h.Next(a, TVGN_CHILD));
    EXPECT_EQ(0, h.Send(TVM_EXPAND, 7, reinterpret_cast<LPARAM>(a)));
}

TEST(TreeTableItems, CollapsingAnItemWhoseDescendantIsTheCaretMovesTheCaretToIt) {
    Harness h;
    HTREEITEM a = h.Insert(L"a");
    HTREEITEM a1 = h.Insert(L"a1", a);
    HTREEITEM a11 = h.Insert(L"a11", a1);
    h.Send(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(a));
    h.Send(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(a1));
    ASSERT_EQ(1, h.Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(a11)));
    h.Send(TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(a));
    EXPECT_EQ(a, h.Next(nullptr, TVGN_CARET));
    EXPECT_EQ((Texts{L"a"}), h.RowTexts());
}

TEST(TreeTableItems, SelectionNotifiesAndTheParentMayRefuse) {
    Harness h;
    HTREEITEM a = h.Insert(L"a");
    HTREEITEM b = h.Insert(L"b");
    ASSERT_EQ(1, h.Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(a)));
    h.Clear();
    h.answer = [](NMHDR* header) { return header->code == TVN_SELCHANGINGW ? 1 : 0; };
    EXPECT_EQ(0, h.Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(b)));
    EXPECT_EQ(a, h.Next(nullptr, TVGN_CARET));
    h.answer = nullptr;
    h.Clear();
    EXPECT_EQ(1, h.Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(b)));
    ASSERT_EQ(1u, h.Notices(TVN_SELCHANGEDW).size());
    EXPECT_EQ(b, h.Notices(TVN_SELCHANGEDW)[0].item);
    EXPECT_EQ(a, h.Notices(TVN_SELCHANGEDW)[0].oldItem);
    EXPECT_EQ(0u, h.State(a) & TVIS_SELECTED);
    EXPECT_NE(0u, h.State(b) & TVIS_SELECTED);
}

TEST(TreeTableItems, MultipleSelectionKeepsOldItemsUnlessThisItemOnlyIsAsked) {
    Harness h;
    h.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_MULTISELECT, TLS_EX_MULTISELECT);
    const std::vector<HTREEITEM> items = h.InsertAll({L"a", L"b", L"c"});
    for (HTREEITEM item : items) h.Send(TLM_SELECTCOLUMN, 0, reinterpret_cast<LPARAM>(item));
    for (HTREEITEM item : items) EXPECT_NE(0u, h.State(item) & TVIS_SELECTED);
    std::vector<HTREEITEM> walked;
    for (HTREEITEM s = h.Next(TVI_ROOT, TVGN_NEXTSELECTED); s; s = h.Next(s, TVGN_NEXTSELECTED)) walked.push_back(s);
    EXPECT_EQ(items, walked);
    EXPECT_EQ(items[2], h.Next(nullptr, TVGN_CARET));
}

TEST(TreeTableItems, DeletingTheCaretTellsTheSelectionChangeBeforeTheDeletion) {
    Harness h;
    HTREEITEM a = h.Insert(L"a", TVI_ROOT, TVI_LAST, 7);
    h.Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(a));
    h.Clear();
    ASSERT_EQ(1, h.Send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(a)));
    EXPECT_EQ((std::vector<UINT>{TVN_SELCHANGEDW, TVN_DELETEITEMW}), h.Codes());
    EXPECT_EQ(a, h.Notices(TVN_SELCHANGEDW)[0].oldItem);
    EXPECT_EQ(nullptr, h.Next(nullptr, TVGN_CARET));
    EXPECT_EQ(0, h.Send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT)));
}

TEST(TreeTableItems, AParentThatDeletesTheItemDuringItsDeletionNoticeEndsItHarmlessly) {
    Harness h;
    HTREEITEM a = h.Insert(L"a");
    h.Insert(L"b");
    h.answer = [&](NMHDR* header) {
        if (header->code == TVN_SELCHANGEDW) h.Send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(a));
        return LRESULT{0};
    };
    h.Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(a));
    h.answer = nullptr;
    EXPECT_EQ((Texts{L"b"}), h.ChildTexts());
    EXPECT_EQ(1, h.Send(TVM_GETCOUNT));
    EXPECT_EQ((Texts{L"b"}), h.RowTexts());
}

TEST(TreeTableItems, SortingAParentWithOneChildSortsThatChildsChildren) {
    Harness h;
    HTREEITEM p = h.Insert(L"p");
    HTREEITEM only = h.Insert(L"only", p);
    h.InsertAll({L"c", L"A", L"b"}, only);
    EXPECT_EQ(1, h.Send(TVM_SORTCHILDREN, 0, reinterpret_cast<LPARAM>(p)));
    EXPECT_EQ((Texts{L"A", L"b", L"c"}), h.ChildTexts(only));
    EXPECT_EQ(0, h.Send(TVM_SORTCHILDREN, 0, 999));
}

int CALLBACK ByParamDescending(LPARAM a, LPARAM b, LPARAM) { return a > b ? -1 : a < b ? 1 : 0; }
int CALLBACK AlwaysBefore(LPARAM, LPARAM, LPARAM) { return -1; }

TEST(TreeTableItems, SortingByComparatorOrdersAndEveryChildStays) {
    Harness h;
    for (int i = 0; i < 40; ++i) h.Insert(std::to_wstring(i).c_str(), TVI_ROOT, TVI_LAST, (i * 17) % 40);
    TVSORTCB sort{TVI_ROOT, ByParamDescending, 0};
    ASSERT_EQ(1, h.Send(TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort)));
    std::vector<LPARAM> params;
    for (HTREEITEM c = h.Next(TVI_ROOT, TVGN_CHILD); c; c = h.Next(c, TVGN_NEXT)) {
        TVITEMW tv{};
        tv.mask = TVIF_PARAM;
        tv.hItem = c;
        h.Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
        params.push_back(tv.lParam);
    }
    ASSERT_EQ(40u, params.size());
    EXPECT_TRUE(std::is_sorted(params.rbegin(), params.rend()));
    // A comparator that puts everything first never walks the sort outside its children.
    sort.lpfnCompare = AlwaysBefore;
    ASSERT_EQ(1, h.Send(TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort)));
    EXPECT_EQ(40u, h.ChildTexts().size());
    EXPECT_EQ(40u, h.RowTexts().size());
}

TEST(TreeTableItems, DeletionIsRefusedWhileASortComparatorRuns) {
    Harness h;
    h.InsertAll({L"b", L"a"});
    static HWND tree;
    static LRESULT deleted;
    tree = h.Tree();
    deleted = -5;
    TLSORTCB sort{TVI_ROOT,
                  [](HWND, HTREEITEM item, HTREEITEM, LPARAM, LPARAM, LPARAM) {
                      deleted = SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
                      return 0;
                  },
                  0};
    ASSERT_EQ(1, h.Send(TLM_SORTCHILDRENBYITEM, 0, reinterpret_cast<LPARAM>(&sort)));
    EXPECT_EQ(0, deleted);
    EXPECT_EQ(2, h.Send(TVM_GETCOUNT));
}

TEST(TreeTableItems, FindWalksOneLevelWithItsFilters) {
    Harness h;
    h.AddColumn(L"Name", 100);
    h.AddColumn(L"Value", 100);
    HTREEITEM p = h.Insert(L"p");
    const std::vector<HTREEITEM> kids = h.InsertAll({L"one", L"Two", L"three"}, p);
    h.SetText(kids[2], 1, L"3");
    TLFINDITEM find{TLFI_TEXT | TLFI_CHILDREN | TLFI_NOCASE, 0, 0, 0, 0, L"two"};
    EXPECT_EQ(kids[1], reinterpret_cast<HTREEITEM>(h.Send(TLM_FINDITEM, reinterpret_cast<WPARAM>(p),
                                                           reinterpret_cast<LPARAM>(&find))));
    find.uFlags = TLFI_TEXT | TLFI_CHILDREN;
    EXPECT_EQ(nullptr, reinterpret_cast<HTREEITEM>(h.Send(TLM_FINDITEM, reinterpret_cast<WPARAM>(p),
                                                           reinterpret_cast<LPARAM>(&find))));
    find = TLFINDITEM{TLFI_TEXT | TLFI_NEXT, 1, 0, 0, 0, L"3"};
    EXPECT_EQ(kids[2], reinterpret_cast<HTREEITEM>(h.Send(TLM_FINDITEM, reinterpret_cast<WPARAM>(kids[0]),
                                                           reinterpret_cast<LPARAM>(&find))));
    find = TLFINDITEM{TLFI_TEXT, 5, 0, 0, 0, L""};
    EXPECT_EQ(nullptr, reinterpret_cast<HTREEITEM>(h.Send(TLM_FINDITEM, reinterpret_cast<WPARAM>(kids[0]),
                                                           reinterpret_cast<LPARAM>(&find))));
}

TEST(TreeTableItems, CallerDataSizeIsFixedOnceItemsExist) {
    Harness h;
    EXPECT_EQ(-1, h.Send(TLM_SETUSERDATASIZE, 0, 0x1000001));
    EXPECT_EQ(256, h.Send(TLM_SETUSERDATASIZE, 0, 256));
    HTREEITEM item = h.Insert(L"a");
    EXPECT_EQ(0, h.Send(TLM_SETUSERDATASIZE, 0, 16));
    EXPECT_EQ(256, h.Send(TLM_GETUSERDATASIZE));
    auto bytes = reinterpret_cast<unsigned char*>(h.Send(TLM_GETUSERDATA, 0, reinterpret_cast<LPARAM>(item)));
    ASSERT_NE(nullptr, bytes);
    EXPECT_EQ(256, std::count(bytes, bytes + 256, 0));
    EXPECT_EQ(0, h.Send(TLM_GETUSERDATA, 0, 999));
}

TEST(TreeTableItems, CellColoursReturnThePreviousValue) {
    Harness h;
    h.AddColumn(L"Name", 100);
    h.AddColumn(L"Value", 100);
    HTREEITEM item = h.Insert(L"a");
    const WPARAM cell = reinterpret_cast<WPARAM>(item) | (1u << 24);
    EXPECT_EQ(-1, h.Send(TLM_SETITEMTEXTCOLOR, cell, -1));
    EXPECT_EQ(-1, h.Send(TLM_SETITEMTEXTCOLOR, cell, RGB(200, 0, 0)));
    EXPECT_EQ(static_cast<LRESULT>(RGB(200, 0, 0)), h.Send(TLM_GETITEMTEXTCOLOR, reinterpret_cast<WPARAM>(item), 1));
    EXPECT_EQ(static_cast<LRESULT>(RGB(200, 0, 0)), h.Send(TLM_SETITEMTEXTCOLOR, cell, -1));
    EXPECT_EQ(-1, h.Send(TLM_GETITEMTEXTCOLOR, reinterpret_cast<WPARAM>(item), 1));
    EXPECT_EQ(-1, h.Send(TLM_SETITEMBKCOLOR, reinterpret_cast<WPARAM>(item) | (2u << 24), RGB(1, 2, 3)));
    EXPECT_EQ(-1, h.Send(TLM_SETITEMBKCOLOR, 999, RGB(1, 2, 3)));
}

TEST(TreeTableItems, InsertMarkIsAnEmptyRowThatGoesWithLParamZero) {
    Harness h;
    h.AddColumn(L"Name", 100);
    h.AddColumn(L"Value", 100);
    const std::vector<HTREEITEM> items = h.InsertAll({L"a", L"b"});
    const LRESULT mark = h.Send(TVM_SETINSERTMARK, 1, reinterpret_cast<LPARAM>(items[0]));
    ASSERT_NE(0, mark);
    EXPECT_EQ((Texts{L"a", L"", L"b"}), h.RowTexts());
    EXPECT_EQ(static_cast<LRESULT>(h.Send(TVM_GETINSERTMARKCOLOR)), h.Send(TLM_GETITEMBKCOLOR, static_cast<WPARAM>(mark), 1));
    EXPECT_EQ(1, h.Send(TVM_SETINSERTMARK, 0, 0));
    EXPECT_EQ((Texts{L"a", L"b"}), h.RowTexts());
}

TEST(TreeTableItems, CallbackTextsAreAskedFromTheParent) {
    Harness h;
    TVINSERTSTRUCTW insert{};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = LPSTR_TEXTCALLBACKW;
    h.Send(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
    h.Insert(L"m");
    h.answer = [](NMHDR* header) {
        if (header->code == TVN_GETDISPINFOW) {
            auto info = reinterpret_cast<NMTVDISPINFOW*>(header);
            if (info->item.mask & TVIF_TEXT) lstrcpynW(info->item.pszText, L"z from parent", info->item.cchTextMax);
        }
        return LRESULT{0};
    };
    h.Send(TVM_SORTCHILDREN, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    h.answer = nullptr;
    EXPECT_EQ(L"m", h.Text(h.Next(TVI_ROOT, TVGN_CHILD)));
}

}  // namespace
