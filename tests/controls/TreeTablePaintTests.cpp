// What the "TreeTable" window paints into a memory device context: colours of rows, cells and
// selection, buttons, grid lines, and the disabled look; on screen, what a change asks it to paint
// again.
#include "TreeTableHarness.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <support/gui/Picture.h>
#include <support/gui/Pump.h>

using namespace treetable_test;
using support::gui::Picture;

namespace {

constexpr COLORREF kBack = RGB(250, 240, 230);
constexpr COLORREF kSign = RGB(255, 0, 0);

Picture PaintToMemory(const Harness& h) {
    RECT client{};
    GetClientRect(h.Tree(), &client);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = SelectObject(dc, bitmap);
    h.Send(WM_PAINT, reinterpret_cast<WPARAM>(dc));
    Picture picture = support::gui::CaptureDC(dc, client);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return picture;
}

RECT Inset(RECT r, int dx, int dy) {
    InflateRect(&r, -dx, -dy);
    return r;
}

TEST(TreeTablePaint, RowsAndTheEmptyAreaTakeTheBackgroundSlot) {
    Harness h;
    h.Send(TVM_SETBKCOLOR, 0, kBack);
    HTREEITEM item = h.Insert(L"Text");
    const Picture p = PaintToMemory(h);
    EXPECT_EQ(kBack, p.At(300, 250));
    const RECT text = h.ItemRect(item, -1, true);
    // The text itself is drawn in something other than the background.
    EXPECT_LT(p.Count(kBack, RECT{text.left, text.top, text.left + 30, text.bottom}), 30 * (text.bottom - text.top));
}

TEST(TreeTablePaint, TheFocusedCaretIsHighlightedAndWithoutFocusGrey) {
    Harness h;
    HTREEITEM item = h.Insert(L"Selected item");
    h.Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    SetFocus(h.Tree());
    const RECT text = h.ItemRect(item, -1, true);
    const RECT area{text.left, text.top, text.left + 60, text.bottom};
    EXPECT_GT(PaintToMemory(h).Count(GetSysColor(COLOR_HIGHLIGHT), area), 60);
    SetFocus(h.Parent());
    EXPECT_EQ(0, PaintToMemory(h).Count(GetSysColor(COLOR_HIGHLIGHT), area));
    EXPECT_GT(PaintToMemory(h).Count(GetSysColor(COLOR_MENU), area), 60);
}

TEST(TreeTablePaint, ADisabledWindowIsGreyEvenWithTheCallersColours) {
    Harness h;
    h.Send(TVM_SETBKCOLOR, 0, kBack);
    h.Insert(L"a");
    EnableWindow(h.Tree(), FALSE);
    EXPECT_EQ(GetSysColor(COLOR_SCROLLBAR), PaintToMemory(h).At(300, 250));
}

TEST(TreeTablePaint, ButtonsShowPlusWhileCollapsedOrPartlyExpanded) {
    Harness h;
    h.Send(TVM_SETLINECOLOR, 0, kSign);
    HTREEITEM a = h.Insert(L"a");
    h.Insert(L"child", a);
    const RECT row = h.ItemRect(a);
    const int cx = 7, cy = (row.top + row.bottom) / 2;
    auto barShown = [&] { return PaintToMemory(h).At(cx, cy - 2) == kSign; };
    EXPECT_EQ(kSign, PaintToMemory(h).At(cx - 2, cy));  // the minus stroke is always there
    EXPECT_TRUE(barShown());
    h.Send(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(a));
    EXPECT_FALSE(barShown());
    h.Send(TVM_EXPAND, TVE_EXPAND | TVE_EXPANDPARTIAL, reinterpret_cast<LPARAM>(a));
    EXPECT_TRUE(barShown());
    EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), PaintToMemory(h).At(cx - 4, cy - 4));
}

TEST(TreeTablePaint, CellColoursFillTheirCell) {
    Harness h;
    h.AddColumn(L"Name", 150);
    h.AddColumn(L"Value", 150);
    HTREEITEM item = h.Insert(L"a");
    h.SetText(item, 1, L"v");
    h.Send(TLM_SETITEMBKCOLOR, reinterpret_cast<WPARAM>(item) | (1u << 24), RGB(0, 200, 0));
    const RECT cell = h.ItemRect(item, 1);
    const Picture p = PaintToMemory(h);
    EXPECT_EQ(RGB(0, 200, 0), p.At(cell.right - 5, (cell.top + cell.bottom) / 2));
    EXPECT_NE(RGB(0, 200, 0), p.At(cell.left - 5, (cell.top + cell.bottom) / 2));
}

TEST(TreeTablePaint, OnlyTheCaretCellIsHighlightedUnlessTheWholeRowIs) {
    Harness h;
    h.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_SUBSELECT, TLS_EX_SUBSELECT);
    h.AddColumn(L"Name", 150);
    h.AddColumn(L"Value", 150);
    HTREEITEM item = h.Insert(L"Name text");
    h.SetText(item, 1, L"Value text");
    SetFocus(h.Tree());
    h.Send(TLM_SELECTCOLUMN, 1, reinterpret_cast<LPARAM>(item));
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    Picture p = PaintToMemory(h);
    EXPECT_GT(p.Count(highlight, h.ItemRect(item, 1)), 40);
    EXPECT_EQ(0, p.Count(highlight, h.ItemRect(item, 0)));
    h.Send(TVM_SETEXTENDEDSTYLE, TLS_EX_FULLROWMARK, TLS_EX_FULLROWMARK);
    const COLORREF mark = static_cast<COLORREF>(h.Send(TVM_GETBKCOLOR, 8));
    p = PaintToMemory(h);
    const RECT name = h.ItemRect(item, 0);
    EXPECT_EQ(mark, p.At(name.right - 3, (name.top + name.bottom) / 2));
}

TEST(TreeTablePaint, GridLinesAndAlternatingRowsUseTheirSlots) {
    Harness h;
    h.Send(TVM_SETBKCOLOR, 3, RGB(1, 2, 200));
    h.Send(TVM_SETBKCOLOR, 1, RGB(220, 220, 100));
    h.Send(TVM_SETEXTENDEDSTYLE, 0, TLS_EX_GRIDLINES | TLS_EX_ALTERNATECOLOR);
    h.AddColumn(L"Name", 150);
    h.AddColumn(L"Value", 150);
    const std::vector<HTREEITEM> items = h.InsertAll({L"even", L"odd"});
    const Picture p = PaintToMemory(h);
    const RECT odd = h.ItemRect(items[1], 1);
    EXPECT_EQ(RGB(1, 2, 200), p.At(odd.left + 40, odd.bottom - 1));
    EXPECT_EQ(RGB(220, 220, 100), p.At(odd.right - 10, (odd.top + odd.bottom) / 2));
    EXPECT_EQ(0, p.Count(RGB(220, 220, 100), Inset(h.ItemRect(items[0], 1), 2, 2)));
}

TEST(TreeTablePaint, TheInsertMarkRowHasItsColour) {
    Harness h;
    h.Send(TVM_SETINSERTMARKCOLOR, 0, RGB(30, 160, 30));
    h.AddColumn(L"Name", 150);
    h.AddColumn(L"Value", 150);
    const std::vector<HTREEITEM> items = h.InsertAll({L"a", L"b"});
    const HTREEITEM mark = reinterpret_cast<HTREEITEM>(h.Send(TVM_SETINSERTMARK, 0, reinterpret_cast<LPARAM>(items[1])));
    const RECT row = h.ItemRect(mark, 1);
    EXPECT_EQ(RGB(30, 160, 30), PaintToMemory(h).At(row.right - 10, (row.top + row.bottom) / 2));
}

}  // namespace

namespace {

// Where the label of a row ends for the hit test: measured from the text as painted.
int LabelEnd(const Harness& h, HTREEITEM item) {
    const RECT r = h.ItemRect(item);
    for (int x = 0; x < 400; ++x) {
        TVHITTESTINFO hit{};
        hit.pt = POINT{x, (r.top + r.bottom) / 2};
        h.Send(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (hit.flags == TVHT_ONITEMRIGHT) return x;
    }
    return -1;
}

TEST(TreeTablePaint, BoldItemsAreBolderWithTheDefaultFontOnly) {
    for (bool ownFont : {false, true}) {
        Harness h;
        if (ownFont) {
            LOGFONTW lf{};
            SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof lf, &lf, 0);
            h.Send(WM_SETFONT, reinterpret_cast<WPARAM>(CreateFontIndirectW(&lf)));
        }
        const std::vector<HTREEITEM> items = h.InsertAll({L"Same words", L"Same words"});
        TVITEMW bold{};
        bold.mask = TVIF_STATE;
        bold.hItem = items[1];
        bold.state = bold.stateMask = TVIS_BOLD;
        h.Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&bold));
        PaintToMemory(h);
        const int plain = LabelEnd(h, items[0]), heavy = LabelEnd(h, items[1]);
        ASSERT_GT(plain, 0);
        if (ownFont) EXPECT_EQ(plain, heavy);
        else EXPECT_GT(heavy, plain);
    }
}

}  // namespace

namespace {

TEST(TreeTablePaint, ATextTooLongForItsColumnEndsInDots) {
    Harness h(TVS_HASBUTTONS);
    h.AddColumn(L"Name", 120);
    h.AddColumn(L"Value", 150);
    HTREEITEM item = h.Insert(L"WWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");
    const Picture p = PaintToMemory(h);
    const RECT name = h.ItemRect(item, 0);
    const COLORREF back = static_cast<COLORREF>(h.Send(TVM_GETBKCOLOR));
    // The last pixels before the column's end hold the dots: ink low in the row, none high up.
    const RECT high{name.right - 14, name.top + 1, name.right - 1, (name.top + name.bottom) / 2 - 1};
    const RECT low{name.right - 14, (name.top + name.bottom) / 2, name.right - 1, name.bottom - 1};
    const int highArea = (high.right - high.left) * (high.bottom - high.top);
    const int lowArea = (low.right - low.left) * (low.bottom - low.top);
    EXPECT_EQ(highArea, p.Count(back, high));
    EXPECT_LT(p.Count(back, low), lowArea);
    // And the text never reaches into the next column.
    const RECT next = h.ItemRect(item, 1);
    EXPECT_EQ((next.right - next.left) * (next.bottom - next.top), p.Count(back, next));
}

// A shown tree with a value column whose cell images the parent gives (callback images), so that
// every value cell the tree paints shows as a request in the parent's record.
struct ValueTree {
    ValueTree() : h(TVS_HASBUTTONS | TVS_HASLINES, 400, 400, true) {
        h.Send(TVM_SETEXTENDEDSTYLE, 0, TLS_EX_GRIDLINES);
        h.AddColumn(L"Name", 150);
        h.AddColumn(L"Value", 150);
        for (int row = 0; row < 16; ++row) {
            rows.push_back(h.Insert((L"Row " + std::to_wstring(row)).c_str()));
            h.SetText(rows.back(), 1, (L"value " + std::to_wstring(row)).c_str());
            TVITEMW cell{};
            cell.mask = TVIF_IMAGE | TVIF_TLCOLUMN;
            cell.hItem = rows.back();
            cell.iImage = I_IMAGECALLBACK;
            cell.cChildren = 1;
            h.Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&cell));
        }
        Paint();
        h.Clear();
    }
    // What waits is done: the changes' repaint asked for, and painted.
    void Paint() const {
        support::gui::PumpPending();
        UpdateWindow(h.Tree());
    }
    // The rows whose value cells the parent was asked for, in the order asked.
    std::vector<long> AskedRows() const {
        std::vector<long> asked;
        for (const Notice& n : h.Notices(TVN_GETDISPINFOW))
            if (n.column == 1) asked.push_back(std::find(rows.begin(), rows.end(), n.item) - rows.begin());
        return asked;
    }
    Harness h;
    std::vector<HTREEITEM> rows;
};

TEST(TreeTablePaint, ATextSetAgainAsItIsAsksForNoRepaint) {
    ValueTree t;
    t.h.SetText(t.rows[3], 1, L"value 3");
    t.h.SetText(t.rows[5], 1, L"5");
    t.Paint();
    EXPECT_EQ(std::vector<long>{5}, t.AskedRows());
}

TEST(TreeTablePaint, ChangesAreRepaintedEvenWhenTheWindowIsValidatedBeforeTheirPaint) {
    ValueTree t;
    // The owner validates the window between the changes and their paint.
    t.h.SetText(t.rows[3], 1, L"3");
    ValidateRect(t.h.Tree(), nullptr);
    t.h.SetText(t.rows[9], 1, L"9");
    t.h.SetText(t.rows[10], 1, L"10");
    t.Paint();
    EXPECT_EQ((std::vector<long>{3, 9, 10}), t.AskedRows());
    t.h.Clear();
    t.h.SetText(t.rows[5], 1, L"5");
    t.h.SetText(t.rows[14], 1, L"14");
    t.Paint();
    EXPECT_EQ((std::vector<long>{5, 14}), t.AskedRows());
}

TEST(TreeTablePaint, WithRedrawOffChangedCellsWaitUntilItIsOnAgain) {
    ValueTree t;
    SendMessageW(t.h.Tree(), WM_SETREDRAW, FALSE, 0);
    t.h.SetText(t.rows[4], 1, L"4");
    t.h.SetText(t.rows[11], 1, L"11");
    t.Paint();
    EXPECT_TRUE(t.AskedRows().empty());
    SendMessageW(t.h.Tree(), WM_SETREDRAW, TRUE, 0);
    RECT waiting{};
    EXPECT_TRUE(GetUpdateRect(t.h.Tree(), &waiting, FALSE)) << "their repaint is asked for at once";
    t.Paint();
    EXPECT_EQ((std::vector<long>{4, 11}), t.AskedRows());
    EXPECT_TRUE(IsWindowVisible(t.h.Tree()));
}

TEST(TreeTablePaint, ARepaintOfScatteredCellsPaintsThoseCellsAlone) {
    ValueTree t;
    for (int row : {2, 12})
        t.h.Send(TLM_SETITEMTEXTCOLOR, reinterpret_cast<WPARAM>(t.rows[row]) | (1u << 24), RGB(189, 0, 0));
    t.Paint();
    EXPECT_EQ((std::vector<long>{2, 12}), t.AskedRows());
    // And it leaves the window as a whole repaint does: grid lines joined, the rows between intact.
    const Picture partial = support::gui::CaptureWindow(t.h.Tree());
    support::gui::SavePng(partial, support::gui::PicturePath(L"treetable-two-cells-repainted"));
    EXPECT_GT(partial.Count(RGB(189, 0, 0), t.h.ItemRect(t.rows[12], 1)), 0) << "the red value";
    EXPECT_EQ(0, partial.Count(RGB(189, 0, 0), t.h.ItemRect(t.rows[7], 1)));
    InvalidateRect(t.h.Tree(), nullptr, FALSE);
    UpdateWindow(t.h.Tree());
    EXPECT_EQ(partial.pixels, support::gui::CaptureWindow(t.h.Tree()).pixels);
}

}  // namespace

namespace {

// A shown tree of 30 rows under a header whose height is changed as a page's owner changes it; its
// texts read from the screen.
struct ResizedTree {
    explicit ResizedTree(int height) : h(TVS_HASBUTTONS, 300, height, true) {
        SetWindowPos(h.Parent(), nullptr, 0, 0, 400, 560, SWP_NOMOVE | SWP_NOZORDER);
        h.AddColumn(L"Name", 150);
        h.AddColumn(L"Value", 100);
        for (int row = 0; row < 30; ++row) {
            rows.push_back(h.Insert((L"Row " + std::to_wstring(row)).c_str()));
            h.SetText(rows.back(), 1, L"0");
        }
    }
    void MakeHeight(int height) const {
        MoveWindow(h.Tree(), 0, 0, 300, height, TRUE);
        support::gui::PumpPending();
        UpdateWindow(h.Tree());
    }
    long FirstRow() const { return static_cast<long>(h.Send(TLM_GETITEMROW, 0, h.Send(TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE))); }
    // The rows from `first` that fit (down to the last) are painted, each with its text, one under
    // the other from just below the header.
    void ExpectRowsShownFrom(long first) const {
        const long end = std::min(static_cast<long>(rows.size()), first + static_cast<long>(h.Send(TVM_GETVISIBLECOUNT)));
        const Picture p = support::gui::CaptureWindow(h.Tree());
        RECT header{};
        GetWindowRect(reinterpret_cast<HWND>(h.Send(TLM_GETHEADER)), &header);
        MapWindowPoints(nullptr, h.Tree(), reinterpret_cast<POINT*>(&header), 2);
        const COLORREF back = static_cast<COLORREF>(h.Send(TVM_GETBKCOLOR));
        LONG top = header.bottom;
        for (long row = first; row < end; ++row) {
            const RECT text = h.ItemRect(rows[static_cast<size_t>(row)], -1, true);
            EXPECT_EQ(top, text.top) << "row " << row;
            const int blank = p.Count(back, RECT{text.left, text.top, text.left + 30, text.bottom});
            EXPECT_LT(blank, 30 * (text.bottom - text.top)) << "the text of row " << row << " is painted";
            top = text.bottom;
        }
    }
    Harness h;
    std::vector<HTREEITEM> rows;
};

TEST(TreeTablePaint, ATreeScrolledToItsEndAndMadeTallerFillsItsHeightDownToItsLastRow) {
    ResizedTree t(120);
    t.h.Send(WM_VSCROLL, SB_BOTTOM);
    ASSERT_GT(t.FirstRow(), 20);
    t.MakeHeight(400);
    const long page = static_cast<long>(t.h.Send(TVM_GETVISIBLECOUNT));
    ASSERT_LT(page, 30);
    // As far down as the scroll bar goes: the last row in view, no rows of blank space below it.
    EXPECT_EQ(30 - (page - 1), t.FirstRow());
    t.ExpectRowsShownFrom(t.FirstRow());
}

TEST(TreeTablePaint, AnItemMadeVisibleInATreeTooShortForARowIsInViewWhenTheTreeGrows) {
    ResizedTree t(8);
    ASSERT_EQ(0, t.h.Send(TVM_GETVISIBLECOUNT));
    t.h.Send(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(t.rows[12]));
    t.MakeHeight(160);
    ASSERT_LT(t.h.Send(TVM_GETVISIBLECOUNT), 17);
    EXPECT_EQ(12, t.FirstRow());
    t.ExpectRowsShownFrom(12);
}

}  // namespace

namespace {

constexpr COLORREF kRed = RGB(220, 20, 20);
constexpr COLORREF kBlue = RGB(20, 20, 220);
constexpr COLORREF kGreen = RGB(20, 180, 20);

// A 16 x 16 bitmap of one colour; the caller deletes it.
HBITMAP SolidBitmap(COLORREF colour, int width = 16, int height = 16) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HBRUSH brush = CreateSolidBrush(colour);
    const RECT all{0, 0, width, height};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

// A list of opaque images of these colours (masked with a colour none of them holds).
HIMAGELIST SolidImages(const std::vector<COLORREF>& colours, int width = 16, int height = 16) {
    HIMAGELIST list = ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, 4, 0);
    for (COLORREF c : colours) {
        HBITMAP bitmap = SolidBitmap(c, width, height);
        ImageList_AddMasked(list, bitmap, RGB(255, 0, 255));
        DeleteObject(bitmap);
    }
    return list;
}

void SetImage(const Harness& h, HTREEITEM item, int image, UINT state = 0, UINT stateMask = 0) {
    TVITEMW tv{};
    tv.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE | (stateMask ? TVIF_STATE : 0);
    tv.hItem = item;
    tv.iImage = tv.iSelectedImage = image;
    tv.state = state;
    tv.stateMask = stateMask;
    h.Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
}

struct ImageChangeCase {
    const char* name;
    std::vector<COLORREF> images;
    UINT overlay;  // the item's overlay index (0: none)
    std::function<void(HIMAGELIST)> before;  // sets the list up before the first paint
    COLORREF first;
    std::function<void(HIMAGELIST)> change;
    COLORREF after;
};

class TreeTableImageChange : public testing::TestWithParam<ImageChangeCase> {};

// The caller changes the list's images without telling the tree; the next paint shows them as they
// are, as the common tree's does.
TEST_P(TreeTableImageChange, TheNextPaintShowsTheListsImageAsItIsNow) {
    const ImageChangeCase& c = GetParam();
    HIMAGELIST list = SolidImages(c.images);
    if (c.before) c.before(list);
    Harness h;
    h.Send(TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(list));
    HTREEITEM item = h.Insert(L"Pictured");
    h.Insert(L"Another");
    SetImage(h, item, 0, INDEXTOOVERLAYMASK(c.overlay), c.overlay ? TVIS_OVERLAYMASK : 0);
    const RECT row = h.ItemRect(item);

    const Picture first = PaintToMemory(h);
    EXPECT_GE(first.Count(c.first, row), 200) << c.name;
    c.change(list);
    const Picture after = PaintToMemory(h);
    EXPECT_GE(after.Count(c.after, row), 200) << c.name;
    EXPECT_EQ(after.Count(c.first, row), 0) << c.name << ": the old picture";
    h.Send(TVM_SETIMAGELIST, TVSIL_NORMAL, 0);
    ImageList_Destroy(list);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, TreeTableImageChange,
    testing::Values(
        ImageChangeCase{"replace", {kRed}, 0, nullptr, kRed,
                        [](HIMAGELIST list) {
                            HBITMAP blue = SolidBitmap(kBlue);
                            ImageList_Replace(list, 0, blue, nullptr);
                            DeleteObject(blue);
                        },
                        kBlue},
        ImageChangeCase{"replace icon", {kRed}, 0, nullptr, kRed,
                        [](HIMAGELIST list) {
                            HBITMAP colour = SolidBitmap(kGreen);
                            HBITMAP mask = CreateBitmap(16, 16, 1, 1, nullptr);
                            HDC dc = CreateCompatibleDC(nullptr);
                            HGDIOBJ old = SelectObject(dc, mask);
                            PatBlt(dc, 0, 0, 16, 16, BLACKNESS);
                            SelectObject(dc, old);
                            DeleteDC(dc);
                            ICONINFO info{TRUE, 0, 0, mask, colour};
                            HICON icon = CreateIconIndirect(&info);
                            ImageList_ReplaceIcon(list, 0, icon);
                            DestroyIcon(icon);
                            DeleteObject(mask);
                            DeleteObject(colour);
                        },
                        kGreen},
        ImageChangeCase{"remove", {kRed, kBlue}, 0, nullptr, kRed,
                        [](HIMAGELIST list) { ImageList_Remove(list, 0); }, kBlue},
        ImageChangeCase{"overlay", {kRed, kBlue, kGreen}, 1,
                        [](HIMAGELIST list) { ImageList_SetOverlayImage(list, 1, 1); }, kBlue,
                        [](HIMAGELIST list) { ImageList_SetOverlayImage(list, 2, 1); }, kGreen}),
    [](const testing::TestParamInfo<ImageChangeCase>& info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

}  // namespace

namespace {

// Counts the bitmaps the tree makes: the program's import of CreateCompatibleBitmap (which the
// tree, linked into it, calls through) is pointed at a counter while one lives.
class BitmapCount {
public:
    BitmapCount() { Swap(reinterpret_cast<uintptr_t>(&Counted), true); }
    ~BitmapCount() { Swap(reinterpret_cast<uintptr_t>(original_), false); }
    BitmapCount(const BitmapCount&) = delete;
    BitmapCount& operator=(const BitmapCount&) = delete;
    int Made() const { return made_; }
    void Reset() { made_ = 0; }

private:
    using Create = HBITMAP(WINAPI*)(HDC, int, int);
    static HBITMAP WINAPI Counted(HDC dc, int width, int height) {
        ++made_;
        return original_(dc, width, height);
    }
    // Puts `replacement` in the import's slot: in place of the system's function when counting
    // starts (which is kept to be called), in place of the counter when it ends.
    static void Swap(uintptr_t replacement, bool starting) {
        auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
        auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        const uintptr_t system =
            reinterpret_cast<uintptr_t>(GetProcAddress(GetModuleHandleW(L"gdi32.dll"), "CreateCompatibleBitmap"));
        const uintptr_t counter = reinterpret_cast<uintptr_t>(&Counted);
        for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d) {
            for (auto* slot = reinterpret_cast<uintptr_t*>(base + d->FirstThunk); *slot; ++slot) {
                if (*slot != (starting ? system : counter)) continue;
                DWORD protection = 0;
                VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
                if (starting) original_ = reinterpret_cast<Create>(*slot);
                *slot = replacement;
                VirtualProtect(slot, sizeof *slot, protection, &protection);
            }
        }
    }
    static inline int made_ = 0;
    static inline Create original_ = nullptr;
};

// A state list of wide, low images and an item list of narrow, tall ones share the tree's picture
// slots: once the slots hold both shapes, the rows' pictures make no new bitmap.
TEST(TreeTablePaint, ListsOfDifferentShapesShareThePictureSlotsWithoutMakingThemAgain) {
    HIMAGELIST state = SolidImages({kRed, kBlue}, 16, 8);
    HIMAGELIST items = SolidImages({kGreen}, 8, 16);
    Harness h;
    h.Send(TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(state));
    h.Send(TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(items));
    for (int i = 0; i < 10; ++i)
        SetImage(h, h.Insert(L"Row"), 0, INDEXTOSTATEIMAGEMASK(1), TVIS_STATEIMAGEMASK);
    BitmapCount bitmaps;
    const Picture first = PaintToMemory(h);
    EXPECT_GE(first.Count(kBlue), 10 * 100) << "the state pictures";
    EXPECT_GE(first.Count(kGreen), 10 * 100) << "the item pictures";
    RECT client{};
    GetClientRect(h.Tree(), &client);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = SelectObject(dc, bitmap);
    bitmaps.Reset();
    h.Send(WM_PAINT, reinterpret_cast<WPARAM>(dc));
    const int made = bitmaps.Made();
    const Picture again = support::gui::CaptureDC(dc, client);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(made, 0) << "bitmaps made by a paint of twenty pictures in two shapes";
    EXPECT_EQ(again.Count(kBlue), first.Count(kBlue));
    EXPECT_EQ(again.Count(kGreen), first.Count(kGreen));
    h.Send(TVM_SETIMAGELIST, TVSIL_STATE, 0);
    h.Send(TVM_SETIMAGELIST, TVSIL_NORMAL, 0);
    ImageList_Destroy(state);
    ImageList_Destroy(items);
}

}  // namespace
