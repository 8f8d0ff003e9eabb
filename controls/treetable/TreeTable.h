// The "TreeTable" window: the program's own tree view with columns. It answers the tree-view
// messages (item numbers stand where the common control has HTREEITEMs) and adds the column,
// colour and cell messages below. Callers reach it with SendMessageW, usually through
// CTreeTableCtrl.
#pragma once

#include <windows.h>
#include <commctrl.h>

// Registers the class once per process; 1 when it is (or already was) registered.
int RegisterTreeTableClass(HINSTANCE instance);
LRESULT CALLBACK TreeTableWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

inline constexpr const wchar_t* kTreeTableClassName = L"TreeTable";

// Own messages.
#define TLM_FINDITEM (TV_FIRST + 67)
#define TLM_GETLAYOUTVALUE (TV_FIRST + 68)
#define TLM_SETCOLUMNEDITDATA (TV_FIRST + 69)
#define TLM_SETCOLUMNEDITMODE (TV_FIRST + 70)
#define TLM_SORTCHILDRENBYITEM (TV_FIRST + 71)
#define TLM_GETUSERDATA (TV_FIRST + 72)
#define TLM_GETUSERDATASIZE (TV_FIRST + 73)
#define TLM_SETUSERDATASIZE (TV_FIRST + 74)
#define TLM_GETCOLUMNWIDTH (TV_FIRST + 75)
#define TLM_SETCOLUMNWIDTH (TV_FIRST + 76)
#define TLM_GETCOLUMN (TV_FIRST + 77)
#define TLM_SETCOLUMN (TV_FIRST + 78)
#define TLM_GETITEMROW (TV_FIRST + 79)
#define TLM_GETROWCOUNT (TV_FIRST + 80)
#define TLM_GETROWITEM (TV_FIRST + 81)
#define TLM_GETITEMTEXTCOLOR (TV_FIRST + 82)
#define TLM_SETITEMTEXTCOLOR (TV_FIRST + 83)
#define TLM_GETITEMBKCOLOR (TV_FIRST + 84)
#define TLM_SETITEMBKCOLOR (TV_FIRST + 85)
#define TLM_SELECTDROPCOLUMN (TV_FIRST + 86)
#define TLM_SELECTCOLUMN (TV_FIRST + 87)
#define TLM_INSERTCOLUMN (TV_FIRST + 88)
#define TLM_DELETECOLUMN (TV_FIRST + 89)
#define TLM_GETCOLUMNCOUNT (TV_FIRST + 90)
#define TLM_GETHEADER (TV_FIRST + 91)

// Own notifications (NMTREEVIEWW records).
#define TLN_GETTOOLTIP (-432)
#define TLN_CHECKCHANGED (-433)
#define TLN_CELLCYCLED (-499)

// Insertion places beside the tree-view ones (hInsertAfter), sign-extended like TVI_ROOT.
#define TLI_AFTERPARENT ((HTREEITEM)(LONG_PTR)(LONG)0xFFFF0005)
#define TLI_BEFOREPARENT ((HTREEITEM)(LONG_PTR)(LONG)0xFFFF0006)
#define TLI_SORTCB ((HTREEITEM)(LONG_PTR)(LONG)0xFFFF0007)
#define TLI_POSITION(n) ((HTREEITEM)(LONG_PTR)(LONG)(0xFFE00000u + (unsigned)(n)))

// Hit-test flags beside the TVHT_ ones; the column is in bits 24-31.
#define TLHT_ONCOLUMN 0x100000
#define TLHT_ONCOLUMNICON 0x200000
#define TLHT_ONCOLUMNLABEL 0x400000
#define TLHT_BEYONDCOLUMNS 0x800000

// TVM_GETNEXTITEM codes beside the TVGN_ ones.
#define TLGN_DROPHILITECOLUMN 12
#define TLGN_CARETCOLUMN 13
#define TLGN_FOCUS 15
#define TLGN_FOCUSCOLUMN 16
#define TLGN_NEXTSELECTEDCHILD 17
#define TLGN_LASTCHILD 18

// TVITEMW mask bits: cChildren holds the column; the text comes back as the stored pointer.
#define TVIF_TLCOLUMN 0x8000
#define TVIF_TLTEXTPTR 0x80000000u

// Extended styles (TVM_SETEXTENDEDSTYLE).
#define TLS_EX_MULTISELECT 0x2
#define TLS_EX_NOHSCROLL 0x20
#define TLS_EX_ODDHEIGHT 0x4000
#define TLS_EX_THREESTATE 0x8000
#define TLS_EX_GRIDLINES 0x10000
#define TLS_EX_ALTERNATECOLOR 0x20000
#define TLS_EX_SUBSELECT 0x40000
#define TLS_EX_FULLROWMARK 0x80000
#define TLS_EX_TOOLTIPNOTIFY 0x100000
#define TLS_EX_ITEMLINES 0x200000
#define TLS_EX_NOINCSEARCH 0x400000
#define TLS_EX_FIXEDCOLSIZE 0x800000
#define TLS_EX_HIDEHEADERS 0x1000000

// Window style: automatic row heights made even.
#define TLS_EVENHEIGHT 0x4000

// Column record mask bits (LVCOLUMNW layout: cx carries the fixed width or the weight, iOrder the
// minimum width; a negative minimum is not firm).
#define TLCF_FMT 0x01
#define TLCF_WIDTH 0x02
#define TLCF_TEXT 0x04
#define TLCF_WEIGHT 0x08
#define TLCF_IMAGE 0x10
#define TLCF_MINWIDTH 0x20

// Column edit modes and flags (TLM_SETCOLUMNEDITMODE wParam: flags | mode << 7 | column << 10 |
// separator << 16 | maximum entries << 24).
#define TVAE_NONE 0
#define TVAE_EDIT 1
#define TVAE_COMBO 2
#define TVAE_CBLIST 3
#define TVAE_STEP 4
#define TVAE_STEPED 5
#define TVAE_CHECK 6
#define TVAE_CHECKED 7
#define TVAE_NEXTLINE 0x01
#define TVAE_DBLCLICK 0x02
#define TVAE_FULLWIDTH 0x04
#define TVAE_PTRLIST 0x08
#define TVAE_ONLYRETURN 0x10
#define TVAE_STATEENABLE 0x20
#define TVAE_ICONCLICK 0x40
#define TVAE_MODE(mode) ((mode) << 7)
#define TVAE_COL(column) ((column) << 10)
#define TVAE_CHAR(c) ((c) << 16)
#define TVAE_COUNT(n) ((n) << 24)

// TLM_FINDITEM.
#define TLFI_TEXT 0x1
#define TLFI_PARAM 0x4
#define TLFI_STATE 0x8
#define TLFI_CHILDREN 0x2000000
#define TLFI_NEXT 0x4000000
#define TLFI_NOCASE 0x8000000
struct TLFINDITEM {
    UINT uFlags;
    UINT uColumn;
    UINT uState;
    UINT uStateMask;
    LPARAM lParam;
    LPCWSTR pText;
};

// TLM_SORTCHILDRENBYITEM: the comparator gets (tree, item, pivot, item lParam, pivot lParam, lParam).
typedef int(CALLBACK* PFNTLSORTCOMPARE)(HWND, HTREEITEM, HTREEITEM, LPARAM, LPARAM, LPARAM);
struct TLSORTCB {
    HTREEITEM hParent;
    PFNTLSORTCOMPARE lpfnCompare;
    LPARAM lParam;
};

// TLI_SORTCB: the comparison whose pointer stands in the hItem field of the inserted TVITEMW; it
// gets (tree, sibling, sibling text, new text, sibling lParam, new lParam).
typedef int(CALLBACK* PFNTLINSERTCOMPARE)(HWND, HTREEITEM, LPCWSTR, LPCWSTR, LPARAM, LPARAM);

// Activation codes of an edit beside VK_RETURN and typed characters.
#define TLEDIT_DOUBLECLICK 0xFEDC
#define TLEDIT_ICONCLICK 0xFEDB
