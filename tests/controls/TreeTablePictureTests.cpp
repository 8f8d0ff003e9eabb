// Pictures of a filled "TreeTable" window for a person to look at: columns, images, colours, check
// boxes, an open editor and a tip over a clipped text.
#include "TreeTableHarness.h"

#include <support/gui/Picture.h>
#include <support/gui/Pump.h>

using namespace treetable_test;
namespace gui = support::gui;

namespace {

HIMAGELIST MakeImages() {
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 4, 0);
    const COLORREF colours[] = {RGB(40, 110, 200), RGB(230, 160, 40), RGB(60, 170, 80), RGB(200, 60, 60)};
    HDC screen = GetDC(nullptr);
    for (COLORREF c : colours) {
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
        HGDIOBJ old = SelectObject(dc, bitmap);
        RECT all{0, 0, 16, 16}, inner{2, 2, 14, 14};
        HBRUSH white = CreateSolidBrush(RGB(255, 0, 255)), brush = CreateSolidBrush(c);
        FillRect(dc, &all, white);
        FillRect(dc, &inner, brush);
        DeleteObject(white);
        DeleteObject(brush);
        SelectObject(dc, old);
        ImageList_AddMasked(list, bitmap, RGB(255, 0, 255));
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    ReleaseDC(nullptr, screen);
    return list;
}

TEST(TreeTablePictures, AFilledTreeAnEditorAndATip) {
    Harness h(TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_EDITLABELS | TVS_SHOWSELALWAYS, 480, 260, true);
    h.Send(TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(MakeImages()));
    h.Send(TVM_SETEXTENDEDSTYLE, 0, TLS_EX_GRIDLINES | TLS_EX_SUBSELECT | TLS_EX_ALTERNATECOLOR);
    // Fixed columns first: a weighted column shares what they leave.
    h.AddColumn(L"Port A", 90, HDF_RIGHT);
    h.AddColumn(L"Port B", 90, HDF_RIGHT);
    h.AddColumn(L"On", 40, HDF_CENTER);
    LVCOLUMNW counter{};
    counter.mask = TLCF_TEXT | TLCF_WEIGHT;
    counter.pszText = const_cast<wchar_t*>(L"Counter");
    counter.cx = 1;
    h.Send(TLM_INSERTCOLUMN, 0, reinterpret_cast<LPARAM>(&counter));
    h.Send(TLM_SETCOLUMNEDITMODE, TVAE_COL(1) | TVAE_MODE(TVAE_EDIT) | TVAE_DBLCLICK);
    h.Send(TLM_SETCOLUMNEDITMODE, TVAE_COL(3) | TVAE_MODE(TVAE_CHECK));
    struct Row {
        const wchar_t* name;
        const wchar_t* a;
        const wchar_t* b;
        int image;
    };
    const Row groups[] = {{L"Frames", nullptr, nullptr, 0}, {L"Errors", nullptr, nullptr, 3}};
    const Row frames[] = {{L"Rx frames", L"1,204,331", L"1,198,002", 1},
                          {L"Tx frames", L"1,204,330", L"1,198,010", 1},
                          {L"Broadcast and multicast frames received on the port", L"8,112", L"7,990", 2}};
    const Row errors[] = {{L"CRC errors", L"0", L"3", 3}, {L"Alignment errors", L"0", L"0", 3}};
    auto add = [&](const Row& r, HTREEITEM parent) {
        TVINSERTSTRUCTW insert{};
        insert.hParent = parent;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        insert.item.pszText = const_cast<wchar_t*>(r.name);
        insert.item.iImage = insert.item.iSelectedImage = r.image;
        HTREEITEM item = reinterpret_cast<HTREEITEM>(h.Send(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
        if (r.a) h.SetText(item, 1, r.a);
        if (r.b) h.SetText(item, 2, r.b);
        if (r.a) {
            TVITEMW tv{};
            tv.mask = TVIF_STATE | TVIF_TLCOLUMN;
            tv.hItem = item;
            tv.cChildren = 3;
            tv.state = r.image == 3 ? 0x2000 : 0x1000;
            tv.stateMask = 0xF000;
            h.Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
        }
        return item;
    };
    HTREEITEM g0 = add(groups[0], TVI_ROOT);
    for (const Row& r : frames) add(r, g0);
    HTREEITEM g1 = add(groups[1], TVI_ROOT);
    HTREEITEM crc = nullptr;
    for (const Row& r : errors) crc = crc ? (add(r, g1), crc) : add(r, g1);
    h.Send(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(g0));
    h.Send(TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(g1));
    h.Send(TLM_SETITEMTEXTCOLOR, reinterpret_cast<WPARAM>(crc) | (2u << 24), RGB(200, 0, 0));
    h.Send(TLM_SETITEMBKCOLOR, reinterpret_cast<WPARAM>(crc) | (2u << 24), RGB(255, 225, 225));
    TVITEMW bold{};
    bold.mask = TVIF_STATE;
    bold.hItem = g1;
    bold.state = bold.stateMask = TVIS_BOLD;
    h.Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&bold));
    SetFocus(h.Tree());
    h.Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(h.Next(g0, TVGN_CHILD)));
    gui::PumpPending();
    const gui::Picture filled = gui::CaptureWindow(h.Parent());
    EXPECT_TRUE(gui::SavePng(filled, gui::PicturePath(L"treetable-filled")));

    // A tip over the clipped counter name.
    HTREEITEM clipped = h.Next(h.Next(h.Next(g0, TVGN_CHILD), TVGN_NEXT), TVGN_NEXT);
    const RECT text = h.ItemRect(clipped, -1, true);
    h.Hover(POINT{text.left + 20, (text.top + text.bottom) / 2});
    HWND tip = reinterpret_cast<HWND>(h.Send(TVM_GETTOOLTIPS));
    EXPECT_TRUE(gui::PumpUntil([&] { return IsWindowVisible(tip) != FALSE; }, 5000));
    gui::PumpFor(200);
    // The tip is a popup of its own: take the screen around the tree.
    RECT around{};
    GetWindowRect(h.Parent(), &around);
    HDC screen = GetDC(nullptr);
    const gui::Picture withTip = gui::CaptureDC(screen, around);
    ReleaseDC(nullptr, screen);
    EXPECT_TRUE(gui::SavePng(withTip, gui::PicturePath(L"treetable-tip")));
    h.Hover(POINT{5, 250});

    // An editor open on a cell.
    h.Send(TLM_SELECTCOLUMN, 1, reinterpret_cast<LPARAM>(crc));
    HWND editor = reinterpret_cast<HWND>(h.Send(TVM_EDITLABELW, 1, reinterpret_cast<LPARAM>(crc)));
    ASSERT_NE(nullptr, editor);
    gui::PumpPending();
    const gui::Picture editing = gui::CaptureWindow(h.Parent());
    EXPECT_TRUE(gui::SavePng(editing, gui::PicturePath(L"treetable-editor")));
    h.Send(TVM_ENDEDITLABELNOW, 1);
}

}  // namespace
