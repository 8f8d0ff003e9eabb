// The "TreeTable" window's message interface: colours, heights, indent, extended and window styles,
// image lists, focus, scrolling, the column layout with its header, and the tooltip's life.
#include "TreeTableHarness.h"

#include <support/gui/Input.h>
#include <support/gui/Pump.h>

#include <algorithm>
#include <cstring>

using namespace treetable_test;

namespace {

using Texts = std::vector<std::wstring>;

NMHEADERW HeaderNotice(const Harness& h, UINT code, int column, HDITEMW* item) {
    NMHEADERW nm{};
    nm.hdr.hwndFrom = reinterpret_cast<HWND>(h.Send(TLM_GETHEADER));
    nm.hdr.idFrom = 1;
    nm.hdr.code = code;
    nm.iItem = column;
    nm.pitem = item;
    return nm;
}

int Width(const Harness& h, int column) { return static_cast<int>(h.Send(TLM_GETCOLUMNWIDTH, column)); }

TEST(TreeTableMessages, ColourSlotsAnswerByNumber) {
    Harness h;
    EXPECT_EQ(h.Send(TVM_GETTEXTCOLOR), h.Send(TVM_GETBKCOLOR, 4));
    EXPECT_EQ(-1, h.Send(TVM_GETBKCOLOR, 12));
    EXPECT_EQ(-1, h.Send(TVM_SETBKCOLOR, 12, RGB(1, 2, 3)));
    const LRESULT before = h.Send(TVM_GETBKCOLOR);
    EXPECT_EQ(before, h.Send(TVM_SETBKCOLOR, 0, RGB(10, 20, 30)));
    EXPECT_EQ(static_cast<LRESULT>(RGB(10, 20, 30)), h.Send(TVM_GETBKCOLOR));
    h.Send(TVM_SETBKCOLOR, 0, -1);
    EXPECT_EQ(before, h.Send(TVM_GETBKCOLOR));
    h.Send(TVM_SETLINECOLOR, 0, RGB(9, 9, 9));
    EXPECT_EQ(static_cast<LRESULT>(RGB(9, 9, 9)), h.Send(TVM_GETBKCOLOR, 5));
}

TEST(TreeTableMessages, ItemHeightIsEvenedAndBounded) {
    Harness h;
    const LRESULT automatic = h.Send(TVM_GETITEMHEIGHT);
    struct Case {
        int asked, stored;
    };
    for (Case c : {Case{17, 16}, Case{0, 1}, Case{300, 256}, Case{21, 20}}) {
        h.Send(TVM_SETITEMHEIGHT, static_cast<WPARAM>(c.asked));
        EXPECT_EQ(c.stored, h.Send(TVM_GETITEMHEIGHT)) << c.asked;
    }
    EXPECT_EQ(20, h.Send(TVM_SETITEMHEIGHT, static_cast<WPARAM>(-1)));
    EXPECT_EQ(automatic, h.Send(TVM_GETITEMHEIGHT));
    h.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_ODDHEIGHT, TLS_EX_ODDHEIGHT);
    h.Send(TVM_SETITEMHEIGHT, 17);
    EXPECT_EQ(17, h.Send(TVM_GETITEMHEIGHT));
}

TEST(TreeTableMessages, IndentIsKeptBetweenFiveAndSixtyFour) {
    Harness h;
    EXPECT_EQ(19, h.Send(TVM_GETINDENT));
    EXPECT_EQ(19, h.Send(TVM_SETINDENT, 3));
    EXPECT_EQ(5, h.Send(TVM_GETINDENT));
    h.Send(TVM_SETINDENT, 100);
    EXPECT_EQ(64, h.Send(TVM_GETINDENT));
}

TEST(TreeTableMessages, ExtendedStyleWithMaskZeroReplacesEverything) {
    Harness h;
    EXPECT_EQ(0x22, h.Send(TVM_SETEXTENDEDSTYLE, 0, 0x22));
    EXPECT_EQ(0x26, h.Send(TVM_SETEXTENDEDSTYLE, 0x4, 0xFF));
    EXPECT_EQ(0x10, h.Send(TVM_SETEXTENDEDSTYLE, 0, 0x10));
    EXPECT_EQ(0x10, h.Send(TVM_GETEXTENDEDSTYLE));
}

TEST(TreeTableMessages, ImageListsByKind) {
    Harness h(TVS_HASBUTTONS | TVS_CHECKBOXES);
    EXPECT_NE(0, h.Send(TVM_GETIMAGELIST, TVSIL_STATE));  // made for the check boxes
    HIMAGELIST list = ImageList_Create(24, 24, ILC_COLOR32, 1, 1);
    ImageList_Add(list, CreateBitmap(24, 24, 1, 32, nullptr), nullptr);
    EXPECT_EQ(0, h.Send(TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(list)));
    EXPECT_EQ(reinterpret_cast<LRESULT>(list), h.Send(TVM_GETIMAGELIST, TVSIL_NORMAL));
    EXPECT_EQ(0, h.Send(TVM_GETIMAGELIST, 4));
    EXPECT_GE(h.Send(TVM_GETITEMHEIGHT), 26);
    EXPECT_EQ(0, h.Send(TVM_SETIMAGELIST, 9, reinterpret_cast<LPARAM>(list)));
}

TEST(TreeTableMessages, FocusIsToldToTheParentOnce) {
    Harness h;
    SetFocus(h.Tree());
    SetFocus(h.Tree());
    SetFocus(h.Parent());
    EXPECT_EQ((std::vector<UINT>{static_cast<UINT>(NM_SETFOCUS), static_cast<UINT>(NM_KILLFOCUS)}),
              [&] {
                  std::vector<UINT> codes;
                  for (const Notice& n : h.Notices()) codes.push_back(n.code);
                  return codes;
              }());
}

TEST(TreeTableMessages, DialogCodeWantsReturnOnlyForReturn) {
    Harness h;
    MSG msg{h.Tree(), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    EXPECT_EQ(DLGC_WANTALLKEYS, h.Send(WM_GETDLGCODE, 0, reinterpret_cast<LPARAM>(&msg)));
    msg.wParam = VK_TAB;
    EXPECT_EQ(DLGC_WANTARROWS | DLGC_WANTCHARS, h.Send(WM_GETDLGCODE, 0, reinterpret_cast<LPARAM>(&msg)));
    EXPECT_EQ(1, h.Send(0x2006));
}

TEST(TreeTableMessages, OneWheelNotchScrollsTwoRowsUnlessAKeyIsHeld) {
    Harness h(TVS_HASBUTTONS, 200, 100);
    for (int i = 0; i < 40; ++i) h.Insert(L"row");
    EXPECT_EQ(1, h.Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0));
    EXPECT_EQ(2, h.Send(TLM_GETITEMROW, 0, h.Send(TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE)));
    EXPECT_EQ(0, h.Send(WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, static_cast<WORD>(-120)), 0));
    EXPECT_EQ(2, h.Send(TLM_GETITEMROW, 0, h.Send(TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE)));
}

TEST(TreeTableMessages, ScrollingClampsToTheRows) {
    Harness h(TVS_HASBUTTONS, 200, 100);
    for (int i = 0; i < 40; ++i) h.Insert(L"row");
    const LRESULT page = h.Send(TVM_GETVISIBLECOUNT);
    auto first = [&] { return h.Send(TLM_GETITEMROW, 0, h.Send(TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE)); };
    h.Send(WM_VSCROLL, SB_LINEDOWN);
    EXPECT_EQ(1, first());
    h.Send(WM_VSCROLL, SB_PAGEDOWN);
    EXPECT_EQ(1 + page - 1, first());
    h.Send(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 1000));
    EXPECT_EQ(40 - (page - 1), first());
    h.Send(WM_VSCROLL, SB_TOP);
    EXPECT_EQ(0, first());
}

TEST(TreeTableMessages, ARightButtonUpReachesTheParentAsAContextMenu) {
    Harness h;
    h.Send(WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    ASSERT_FALSE(h.otherMessages.empty());
    EXPECT_EQ(static_cast<UINT>(WM_CONTEXTMENU), h.otherMessages[0]);
}

TEST(TreeTableMessages, ClearingTheNoTooltipsStyleMakesATip) {
    Harness h(TVS_HASBUTTONS | TVS_NOTOOLTIPS);
    EXPECT_EQ(0, h.Send(TVM_GETTOOLTIPS));
    SetWindowLongPtrW(h.Tree(), GWL_STYLE, GetWindowLongPtrW(h.Tree(), GWL_STYLE) & ~TVS_NOTOOLTIPS);
    EXPECT_NE(0, h.Send(TVM_GETTOOLTIPS));
}

TEST(TreeTableMessages, SettingTheNoTooltipsStyleHidesAShownTip) {
    Harness h(TVS_HASBUTTONS, 120, 200, true);
    HTREEITEM item = h.Insert(L"a text far too long for the narrow window it sits in");
    UpdateWindow(h.Tree());  // painting measures the text
    const RECT r = h.ItemRect(item, -1, true);
    h.Hover(POINT{r.left + 10, (r.top + r.bottom) / 2});
    HWND tip = reinterpret_cast<HWND>(h.Send(TVM_GETTOOLTIPS));
    ASSERT_TRUE(support::gui::PumpUntil([&] { return IsWindowVisible(tip) != FALSE; }, 5000));
    SetWindowLongPtrW(h.Tree(), GWL_STYLE, GetWindowLongPtrW(h.Tree(), GWL_STYLE) | TVS_NOTOOLTIPS);
    EXPECT_FALSE(IsWindowVisible(tip));
}

TEST(TreeTableMessages, DeletingTheItemUnderAShownTipHidesTheTip) {
    Harness h(TVS_HASBUTTONS, 120, 200, true);
    HTREEITEM item = h.Insert(L"a text far too long for the narrow window it sits in");
    h.Insert(L"another");
    UpdateWindow(h.Tree());
    const RECT r = h.ItemRect(item, -1, true);
    h.Hover(POINT{r.left + 10, (r.top + r.bottom) / 2});
    HWND tip = reinterpret_cast<HWND>(h.Send(TVM_GETTOOLTIPS));
    ASSERT_TRUE(support::gui::PumpUntil([&] { return IsWindowVisible(tip) != FALSE; }, 5000));
    ASSERT_EQ(1, h.Send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item)));
    EXPECT_FALSE(IsWindowVisible(tip));
}

TEST(TreeTableMessages, AShortTextGetsNoTip) {
    Harness h(TVS_HASBUTTONS, 300, 200, true);
    HTREEITEM item = h.Insert(L"short");
    support::gui::PumpPending();
    const RECT r = h.ItemRect(item, -1, true);
    h.Hover(POINT{r.left + 5, (r.top + r.bottom) / 2});
    EXPECT_FALSE(IsWindowVisible(reinterpret_cast<HWND>(h.Send(TVM_GETTOOLTIPS))));
}

// --- columns ---

TEST(TreeTableColumns, AWeightedColumnTakesItsWidthFromTheOtherWeightedOnes) {
    Harness h(TVS_HASBUTTONS, 400, 200);
    ASSERT_EQ(0, h.AddColumn(L"A", -1));
    EXPECT_EQ(400, Width(h, 0));
    ASSERT_EQ(1, h.AddColumn(L"B", -1));
    EXPECT_EQ(400, Width(h, 0) + Width(h, 1));
    EXPECT_EQ(200, Width(h, 1));
    ASSERT_EQ(2, h.AddColumn(L"Fixed", 50));
    EXPECT_EQ(50, Width(h, 2));
    EXPECT_EQ(3, h.Send(TLM_GETCOLUMNCOUNT));
}

TEST(TreeTableColumns, OneMorePixelGoesToOneWeightedColumnChosenByTheWidth) {
    std::vector<int> receivers;
    for (int width : {300, 301, 302}) {
        Harness h(TVS_HASBUTTONS, width, 200);
        for (const wchar_t* t : {L"A", L"B", L"C"}) h.AddColumn(t, -1);
        std::vector<int> before{Width(h, 0), Width(h, 1), Width(h, 2)};
        SetWindowPos(h.Tree(), nullptr, 0, 0, width + 1, 200, SWP_NOZORDER | SWP_NOMOVE);
        int grew = -1, changed = 0;
        for (int c = 0; c < 3; ++c) {
            if (Width(h, c) == before[static_cast<size_t>(c)]) continue;
            ++changed;
            EXPECT_EQ(before[static_cast<size_t>(c)] + 1, Width(h, c));
            grew = c;
        }
        EXPECT_EQ(1, changed) << width;
        receivers.push_back(grew);
    }
    // Which column receives the remainder turns with the width.
    std::sort(receivers.begin(), receivers.end());
    EXPECT_EQ((std::vector<int>{0, 1, 2}), receivers);
}

// A fixed column 120 wide whose minimum of 50 is firm, then a weighted one.
void AddFirmColumnAndRest(Harness& h) {
    LVCOLUMNW col{};
    col.mask = TLCF_WIDTH | TLCF_MINWIDTH;
    col.cx = 120;
    col.iOrder = 50;
    h.Send(TLM_INSERTCOLUMN, 0, reinterpret_cast<LPARAM>(&col));
    h.AddColumn(L"rest", -1);
}

TEST(TreeTableColumns, TrackingBelowAFirmMinimumStopsAtTheMinimum) {
    Harness h(TVS_HASBUTTONS, 400, 200);
    AddFirmColumnAndRest(h);
    HDITEMW item{};
    item.mask = HDI_WIDTH;
    item.cxy = 10;
    NMHEADERW nm = HeaderNotice(h, HDN_ENDTRACKW, 0, &item);
    h.Send(WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&nm));
    EXPECT_EQ(50, item.cxy);
    EXPECT_EQ(50, Width(h, 0));
    h.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_FIXEDCOLSIZE, TLS_EX_FIXEDCOLSIZE);
    nm = HeaderNotice(h, HDN_BEGINTRACKW, 0, &item);
    EXPECT_EQ(1, h.Send(WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&nm)));
}

// A point of the header in the parent's client coordinates, where real input starts.
POINT HeaderPointInParent(const Harness& h, POINT inHeader) {
    MapWindowPoints(reinterpret_cast<HWND>(h.Send(TLM_GETHEADER)), h.Parent(), &inHeader, 1);
    return inHeader;
}

RECT HeaderItemRect(const Harness& h, int column) {
    RECT r{};
    SendMessageW(reinterpret_cast<HWND>(h.Send(TLM_GETHEADER)), HDM_GETITEMRECT, static_cast<WPARAM>(column),
                 reinterpret_cast<LPARAM>(&r));
    return r;
}

TEST(TreeTableColumns, ADragBelowAFirmMinimumLeavesTheHeaderAndTheColumnAlike) {
    Harness h(TVS_HASBUTTONS, 400, 200, true);
    AddFirmColumnAndRest(h);
    HTREEITEM item = h.Insert(L"a");
    h.SetText(item, 1, L"b");
    support::gui::PumpPending();
    // Twice: the second drag finds the column already at its minimum.
    for (int drag = 0; drag < 2; ++drag) {
        const RECT r = HeaderItemRect(h, 0);
        const int y = (r.top + r.bottom) / 2;
        support::gui::DragAt(h.Parent(), HeaderPointInParent(h, POINT{r.right - 1, y}),
                             HeaderPointInParent(h, POINT{10, y}));
        EXPECT_EQ(50, Width(h, 0)) << drag;
        EXPECT_EQ(50, HeaderItemRect(h, 1).left) << drag;
        EXPECT_EQ(Width(h, 0) - 1, h.ItemRect(item, 1).left) << drag;  // column 0 ends a pixel early
    }
}

TEST(TreeTableColumns, OnlyTheUsersHeaderActionsTakeTheFocus) {
    Harness h(TVS_HASBUTTONS, 400, 200, true);
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 220, 100, 20, h.Parent(), nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    h.AddColumn(L"A", -1);
    h.AddColumn(L"B", -2);
    SetFocus(edit);
    ASSERT_EQ(edit, GetFocus());
    // The tree's own resize sets the header's widths; the header reports them back.
    SetWindowPos(h.Tree(), nullptr, 0, 0, 300, 200, SWP_NOZORDER | SWP_NOMOVE);
    support::gui::PumpPending();
    EXPECT_EQ(300, Width(h, 0) + Width(h, 1));
    EXPECT_EQ(edit, GetFocus());
    // A click on a column's title does take it, and the parent hears of the click.
    const RECT r = HeaderItemRect(h, 1);
    support::gui::ClickAt(h.Parent(), HeaderPointInParent(h, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}));
    EXPECT_EQ(h.Tree(), GetFocus());
    EXPECT_EQ(1u, h.Notices(HDN_ITEMCLICKW).size());
}

TEST(TreeTableColumns, DeletingTheLastColumnRemovesTheHeaderAndMovesTheRowsUp) {
    Harness h(TVS_HASBUTTONS, 400, 200);
    h.AddColumn(L"Only", -1);
    HTREEITEM item = h.Insert(L"a");
    const int headerHeight = h.ItemRect(item).top;
    EXPECT_GT(headerHeight, 0);
    EXPECT_EQ(1, h.Send(TLM_DELETECOLUMN, 0));
    EXPECT_EQ(0, h.Send(TLM_GETHEADER));
    EXPECT_EQ(0, h.ItemRect(item).top);
    EXPECT_EQ(0, h.Send(TLM_DELETECOLUMN, 0));
}

TEST(TreeTableColumns, DeletingAColumnGivesItsWidthToTheWeightedOnesAndDropsItsCells) {
    Harness h(TVS_HASBUTTONS, 400, 200);
    h.AddColumn(L"Name", -1);
    h.AddColumn(L"Fixed", 100);
    h.AddColumn(L"Value", 80);
    HTREEITEM item = h.Insert(L"a");
    h.SetText(item, 1, L"one");
    h.SetText(item, 2, L"two");
    const int before = Width(h, 0);
    ASSERT_EQ(1, h.Send(TLM_DELETECOLUMN, 1));
    EXPECT_EQ(before + 100, Width(h, 0));
    EXPECT_EQ(L"two", h.Text(item, 1));
    // The weighted total is what the weighted columns show: a new one takes its share of it.
    const int more = h.AddColumn(L"More", -1);
    EXPECT_EQ(before + 100, Width(h, 0) + Width(h, more));
    EXPECT_EQ((before + 100) / 2, Width(h, more));
}

TEST(TreeTableColumns, ANewColumnsCellsHoldEveryItemNumberTheArraysCanGrowTo) {
    Harness h(TVS_HASBUTTONS, 400, 200);
    h.AddColumn(L"Name", -1);
    h.Insert(L"first");  // the arrays now hold 64 items
    h.AddColumn(L"Value", 100);
    // Growth copies every slot the arrays hold into the new ones: the cell array must hold them too.
    HTREEITEM last = nullptr;
    for (int i = 0; i < 200; ++i) last = h.Insert(L"more");
    h.SetText(last, 1, L"cell");
    EXPECT_EQ(L"cell", h.Text(last, 1));
    EXPECT_EQ(201, h.Send(TVM_GETCOUNT));
}

TEST(TreeTableColumns, ColumnRecordsGoThroughTheHeader) {
    Harness h(TVS_HASBUTTONS, 400, 200);
    h.AddColumn(L"Name", 150, HDF_CENTER);
    wchar_t text[32] = {};
    LVCOLUMNW col{};
    col.mask = TLCF_TEXT | TLCF_WIDTH | TLCF_FMT;
    col.pszText = text;
    col.cchTextMax = 32;
    ASSERT_TRUE(h.Send(TLM_GETCOLUMN, 0, reinterpret_cast<LPARAM>(&col)));
    EXPECT_STREQ(L"Name", text);
    EXPECT_EQ(150, col.cx);
    EXPECT_EQ(HDF_CENTER, col.fmt & HDF_JUSTIFYMASK);
    LVCOLUMNW set{};
    set.mask = TLCF_TEXT;
    set.pszText = const_cast<wchar_t*>(L"Renamed");
    EXPECT_TRUE(h.Send(TLM_SETCOLUMN, 0, reinterpret_cast<LPARAM>(&set)));
    h.Send(TLM_GETCOLUMN, 0, reinterpret_cast<LPARAM>(&col));
    EXPECT_STREQ(L"Renamed", text);
    EXPECT_EQ(0, h.Send(TLM_SETCOLUMN, 3, reinterpret_cast<LPARAM>(&set)));
}

TEST(TreeTableColumns, HorizontalScrollMovesTheHeaderWithTheRows) {
    Harness h(TVS_HASBUTTONS, 200, 200);
    h.AddColumn(L"A", 150);
    h.AddColumn(L"B", 150);
    h.AddColumn(L"C", 150);
    HTREEITEM item = h.Insert(L"a");
    const RECT before = h.ItemRect(item, 1);
    h.Send(WM_HSCROLL, SB_LINERIGHT);
    const RECT after = h.ItemRect(item, 1);
    EXPECT_EQ(before.left - 16, after.left);
    RECT header{};
    GetWindowRect(reinterpret_cast<HWND>(h.Send(TLM_GETHEADER)), &header);
    POINT origin{header.left, header.top};
    ScreenToClient(h.Tree(), &origin);
    EXPECT_EQ(-16, origin.x);
}

// --- hit tests and rectangles ---

TEST(TreeTableLayout, HitTestsNameThePartsOfARow) {
    Harness h(TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_CHECKBOXES, 400, 200);
    h.AddColumn(L"Name", 200);
    h.AddColumn(L"Value", 100);
    h.AddColumn(L"Right", 50, HDF_RIGHT);
    HTREEITEM a = h.Insert(L"a");
    h.Insert(L"child", a);
    h.SetText(a, 1, L"val");
    h.SetText(a, 2, L"r");
    HDC dc = CreateCompatibleDC(nullptr);
    h.Send(WM_PAINT, reinterpret_cast<WPARAM>(dc));  // measures the texts
    DeleteDC(dc);
    const RECT row = h.ItemRect(a);
    const RECT text = h.ItemRect(a, -1, true);
    const int y = (row.top + row.bottom) / 2;
    struct Case {
        const char* name;
        POINT point;
        UINT flags;
    };
    const RECT cell1 = h.ItemRect(a, 1), cell2 = h.ItemRect(a, 2);
    // The width of "r" in the font the tree draws with (the icon-title font).
    LOGFONTW lf{};
    SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof lf, &lf, 0);
    lf.lfWeight = FW_NORMAL;
    HFONT font = CreateFontIndirectW(&lf);
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, font);
    RECT measured{};
    DrawTextW(screen, L"r", 1, &measured, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    DeleteObject(font);
    const int r = measured.right;
    for (const Case& c : {Case{"button", {7, y}, TVHT_ONITEMBUTTON}, Case{"indent", {17, y}, TVHT_ONITEMINDENT},
                          Case{"state icon", {text.left - 4, y}, TVHT_ONITEMSTATEICON},
                          Case{"label", {text.left + 3, y}, TVHT_ONITEMLABEL},
                          Case{"right of label", {150, y}, TVHT_ONITEMRIGHT},
                          Case{"cell label", {cell1.left + 4, y}, 0x01000000u | TLHT_ONCOLUMNLABEL},
                          Case{"cell right", {cell1.right - 3, y}, 0x01000000u | TLHT_ONCOLUMN},
                          // Right-aligned: a 5-pixel margin left of the text still counts as the label.
                          Case{"right-aligned margin", {cell2.right - r - 5, y}, 0x02000000u | TLHT_ONCOLUMNLABEL},
                          Case{"right-aligned left", {cell2.right - r - 7, y}, 0x02000000u | TLHT_ONCOLUMN},
                          Case{"beyond", {390, y}, TLHT_BEYONDCOLUMNS}, Case{"below", {50, 500}, TVHT_BELOW},
                          Case{"left", {-3, y}, TVHT_TOLEFT}, Case{"nowhere", {50, row.bottom + 30}, TVHT_NOWHERE}}) {
        TVHITTESTINFO hit{};
        hit.pt = c.point;
        h.Send(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        EXPECT_EQ(c.flags, hit.flags) << c.name;
    }
}

TEST(TreeTableLayout, ItemRectanglesOfRowsOutOfViewAreEmpty) {
    Harness h(TVS_HASBUTTONS, 200, 100);
    std::vector<HTREEITEM> items;
    for (int i = 0; i < 30; ++i) items.push_back(h.Insert(L"row"));
    const LRESULT height = h.Send(TVM_GETITEMHEIGHT);
    EXPECT_EQ(height * 2, h.ItemRect(items[2]).top);
    RECT r{};
    std::memcpy(&r, &items[29], sizeof(HTREEITEM));
    EXPECT_EQ(0, h.Send(TVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r)));
    EXPECT_EQ(0, r.left | r.top | r.right | r.bottom);
}

}  // namespace

namespace {

TEST(TreeTableColumns, ADividerDoubleClickFitsTheColumnToItsWidestCell) {
    Harness h(TVS_HASBUTTONS, 400, 200);
    h.AddColumn(L"Name", 100);
    h.AddColumn(L"Value", 40);
    HTREEITEM item = h.Insert(L"a");
    h.SetText(item, 1, L"a rather long cell text");
    HDC dc = CreateCompatibleDC(nullptr);
    h.Send(WM_PAINT, reinterpret_cast<WPARAM>(dc));  // measures the texts
    DeleteDC(dc);
    NMHEADERW nm = HeaderNotice(h, HDN_DIVIDERDBLCLICKW, 1, nullptr);
    h.Send(WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&nm));
    EXPECT_GT(Width(h, 1), 80);
}

TEST(TreeTableColumns, HeaderClicksReachTheParentAsTheTreesOwn) {
    Harness h(TVS_HASBUTTONS, 400, 200);
    h.AddColumn(L"Name", 100);
    NMHEADERW nm = HeaderNotice(h, HDN_ITEMCLICKW, 0, nullptr);
    h.Send(WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&nm));
    ASSERT_EQ(1u, h.Notices(HDN_ITEMCLICKW).size());
}

TEST(TreeTableItems, SingleExpandOpensTheNewBranchAndClosesTheOld) {
    Harness h(TVS_HASBUTTONS | TVS_SINGLEEXPAND);
    HTREEITEM a = h.Insert(L"a");
    HTREEITEM a1 = h.Insert(L"a1", a);
    HTREEITEM b = h.Insert(L"b");
    HTREEITEM b1 = h.Insert(L"b1", b);
    EXPECT_EQ(1, h.Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(a1)));
    EXPECT_NE(0u, h.State(a) & TVIS_EXPANDED);
    h.Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(b1));
    EXPECT_EQ(0u, h.State(a) & TVIS_EXPANDED);
    EXPECT_NE(0u, h.State(b) & TVIS_EXPANDED);
    EXPECT_EQ(1u, h.Notices(TVN_SINGLEEXPAND).size() - 1);
}

TEST(TreeTableItems, ADragImageHoldsTheItemsText) {
    Harness h;
    HTREEITEM item = h.Insert(L"dragged");
    auto list = reinterpret_cast<HIMAGELIST>(h.Send(TVM_CREATEDRAGIMAGE, 0, reinterpret_cast<LPARAM>(item)));
    ASSERT_NE(nullptr, list);
    int width = 0, height = 0;
    ImageList_GetIconSize(list, &width, &height);
    EXPECT_GT(width, 20);
    EXPECT_GT(height, 5);
    EXPECT_EQ(1, ImageList_GetImageCount(list));
    ImageList_Destroy(list);
}

}  // namespace

namespace {

// The parent words the tip and may ask for a delay; the tip follows the pointer's real position.
TEST(TreeTableMessages, TheParentCanWordAndDelayTheTip) {
    Harness h(TVS_HASBUTTONS, 300, 200, true);
    h.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_TOOLTIPNOTIFY, TLS_EX_TOOLTIPNOTIFY);
    HTREEITEM item = h.Insert(L"short");
    UpdateWindow(h.Tree());
    static wchar_t words[] = L"said by the parent";
    // A delay of 600 ms: two ticks of the tip's timer before it shows, the pointer still over the text.
    h.answer = [](NMHDR* header) {
        if (header->code != kGetToolTip) return LRESULT{0};
        auto nm = reinterpret_cast<NMTREEVIEWW*>(header);
        nm->itemNew.pszText = words;
        nm->itemNew.mask |= 0x40000000;
        nm->itemNew.lParam = 600;
        return LRESULT{1};
    };
    HWND tip = reinterpret_cast<HWND>(h.Send(TVM_GETTOOLTIPS));
    const RECT r = h.ItemRect(item, -1, true);
    const POINT over{r.left + 5, (r.top + r.bottom) / 2};
    const DWORD start = GetTickCount();
    h.Hover(over);
    EXPECT_FALSE(IsWindowVisible(tip));
    ASSERT_TRUE(support::gui::PumpUntil([&] { return IsWindowVisible(tip) != FALSE; }, 5000));
    EXPECT_GE(GetTickCount() - start, 900u);
    EXPECT_FALSE(h.Notices(kGetToolTip).empty());
    // Leaving the text: the next tick hides the tip.
    h.Hover(POINT{over.x, over.y + 150});
    EXPECT_TRUE(support::gui::PumpUntil([&] { return IsWindowVisible(tip) == FALSE; }, 5000));
}

}  // namespace
