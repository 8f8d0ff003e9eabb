// The "TreeTable" window's records and the plain functions over them that its source files share.
// Everything here works on one TreeTableData; layout, hit tests and item rectangles call nothing
// outside the record, so tests can drive them without a window.
#pragma once

#include "TreeTable.h"

#include <cstdint>

inline constexpr unsigned kRootItem = 0xFFFF0000u;  // TVI_ROOT as a 32-bit item number
inline constexpr int kMaxColumns = 32;
inline constexpr int kTextBuffer = 260;
inline constexpr int kColourSlots = 12;
inline constexpr UINT_PTR kTipTimer = 14610;
inline constexpr int kEditorId = 3;

// Callback flags of items and cells.
enum : uint8_t { kCallText = 0x01, kCallImage = 0x02, kCallSelImage = 0x20, kCallChildren = 0x40 };
// Flag byte of items and cells.
enum : uint8_t {
    kFlagButtonAuto = 0x01,
    kFlagButton = 0x02,
    kFlagImageDrawn = 0x04,
    kFlagDropHilite = 0x08,
    kFlagTextColour = 0x10,
    kFlagBackColour = 0x20,
    kFlagFocusFrame = 0x40,
};
// Colour slots.
enum {
    kColourBack,
    kColourOdd,
    kColourEven,
    kColourGrid,
    kColourText,
    kColourSign,
    kColourBox,
    kColourDropText,
    kColourMarkOdd,
    kColourMarkEven,
    kColourInsertMark,
    kColourBoxInside,
};

struct TreeTableItem {
    LPARAM lParam;
    wchar_t* text;  // owned; null for a callback text
    UINT state;
    int image;
    int selectedImage;
    unsigned row;  // shown row + 1; 0 = not shown
    unsigned firstChild, lastChild;
    unsigned prevSibling, nextSibling;
    unsigned parent;
    int level;
    int textWidth;  // 0 = measure again
    uint16_t textLength;
    uint8_t callback;
    uint8_t flags;
    COLORREF textColour, backColour;
    // The caller data (user data size bytes) follows in the same allocation.
};

struct TreeTableSubItem {
    wchar_t* text;
    UINT state;
    int image;
    int textWidth;
    uint16_t textLength;
    uint8_t callback;
    uint8_t flags;
    COLORREF textColour, backColour;
};

struct TreeTableColumn {
    const void* editList;
    int editData;
    int16_t requestedWidth;
    int16_t width;
    int16_t minWidth;
    uint8_t minFirm;
    uint8_t weight;
    uint8_t align;  // 0 left, 1 centre, 2 right
    uint8_t editMode;
    uint8_t editFlags;
    uint8_t maxEntries;  // 0 = 1024
    uint8_t separator;
};

// Item, state and cell images already drawn over a background colour, side by side in one bitmap:
// the rows of one paint copy them, where drawing through the image list costs a memory DC and
// several blits each time. A picture serves only the paint that drew it: the caller may replace,
// remove or overlay the list's images at any time without telling the tree, and the next paint
// shows them as they are then, as the common tree does. The slots are as wide as the widest image
// and as high as the highest drawn so far, so that lists of different shapes share them.
inline constexpr int kCachedImages = 32;
// Spans of changed cells kept apart before their repaint is asked for; more fold into the last.
inline constexpr int kChangedSpans = 16;
struct CachedImage {
    HIMAGELIST list;  // null: the slot is free
    int index;
    UINT style;
    COLORREF back;
    unsigned paint;  // the paint that drew it
};
struct ImageCache {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ oldBitmap;
    int slotWidth, slotHeight;
    int next;        // the slot the next new picture takes (the oldest)
    unsigned paint;  // counts the paints; a slot of an earlier one is stale
    CachedImage slots[kCachedImages];
};

struct TreeTableData {
    HWND window;
    // The window's lock. Taken by every message that reads or changes this record, by the window's
    // thread and by the threads that call the window's functions directly; released around every
    // notification. The owning thread may take it again while it holds it (destroying a focused
    // editor sends the tree the editor's loss of focus from inside WM_DESTROY). A critical section:
    // re-entrant, and without a trip to the kernel when nobody else holds it.
    CRITICAL_SECTION lock;
    // Messages of this window being handled on its thread, nested ones counted. A parent may destroy
    // the tree inside a notification while handlers further out still hold this record: it is then
    // emptied (destroyed set) and freed only when the outermost message returns, so those handlers
    // find no items instead of freed memory.
    unsigned activeMessages;
    uint8_t destroyed;

    HIMAGELIST stateList, normalList, cellList, headerList;
    HFONT font, boldFont, measuredFont, tipFont;
    HWND editor, header, tooltip;
    WNDPROC tipProc;
    COLORREF colours[kColourSlots];
    int textHeight, underlineOffset, textXAdjust;
    int stateListOwn, stateWidth, stateHeight;
    int cellListOwn, cellWidth, cellHeight;
    int imageWidth, imageHeight;
    int headerListOwn, headerImageWidth, headerImageHeight;
    int rowHeight;
    int weightSum;
    int weightedWidth, fixedWidth;
    int indent;
    int buttonCentre;
    int widestRow;
    unsigned rowCount;
    unsigned* rows;
    TreeTableItem** items;                    // indexed by item number
    TreeTableSubItem** cells[kMaxColumns];    // [c][item] for c = 1..31
    unsigned capacity;
    unsigned itemCount;
    unsigned lastNumber;
    unsigned userDataSize;
    unsigned firstRoot, lastRoot;
    int firstRow;
    int scrollX;
    unsigned clientWidth, clientHeight;
    unsigned listHeight;
    DWORD style;
    DWORD exStyle;
    int headerHeight;
    unsigned rowsThatFit;
    unsigned pageRows;
    unsigned columnCount;
    unsigned weightedCount;
    unsigned selectedCount;
    unsigned anchor;
    unsigned caretItem, caretColumn;
    unsigned focusItem, focusColumn;
    unsigned tipItem;
    int tipCountdown;
    unsigned tipColumn;
    int tipX, tipY;
    int editorKind;
    unsigned editItem, editColumn;
    int hPage, hRange, vPage, vRange;
    int ellipsisBold, ellipsisNormal;
    unsigned dropItem, dropColumn;
    unsigned insertMark;
    int dragButtons;
    unsigned dragItem, dragColumn;
    wchar_t textBuffer[kTextBuffer];
    wchar_t textBuffer2[kTextBuffer];
    wchar_t tipText[kTextBuffer];
    int edges[kMaxColumns + 2];
    TreeTableColumn columns[kMaxColumns];
    ImageCache images;
    // Cells whose fields changed, waiting to be invalidated together (RepaintChangedCell).
    RECT changedSpans[kChangedSpans];
    unsigned changedSpanCount;
    // The private message that asks for their repaint is on its way.
    uint8_t changedPaintAsked;
    // Redraw is off (WM_SETREDRAW): changed cells wait, unasked, until it is on again.
    uint8_t redrawOff;
    uint8_t colourSet[kColourSlots];
    uint8_t editChanged;
    uint8_t heightSet;
    uint8_t busy;
    uint8_t linesAtRoot;
    uint8_t keyHandled;
    uint8_t clickPending;
    uint8_t enabled;
    uint8_t focused;
    uint8_t anchorPending;
    uint8_t editFromCallback;
};

// --- lock (TreeTableWnd.cpp) ---
void LockTree(TreeTableData* data);
void UnlockTree(TreeTableData* data);
TreeTableData* TreeOf(HWND hwnd);

// --- numbers and records ---
// An item number from a message argument: TVI_ROOT becomes kRootItem; anything that cannot be an
// item number becomes ~0u.
unsigned ItemFromHandle(ULONG_PTR value);
inline HTREEITEM HandleOfItem(unsigned item) {
    return item == kRootItem ? TVI_ROOT : reinterpret_cast<HTREEITEM>(static_cast<ULONG_PTR>(item));
}
inline TreeTableItem* ItemOf(const TreeTableData* data, unsigned item) {
    return item != 0 && item <= data->capacity ? data->items[item] : nullptr;
}
inline TreeTableSubItem* CellOf(const TreeTableData* data, unsigned item, unsigned column) {
    return column >= 1 && column < data->columnCount && item != 0 && item <= data->capacity && data->cells[column]
               ? data->cells[column][item]
               : nullptr;
}
// The shown row of an item (0 = the first row of the list), -1 when it is not shown.
inline int RowOfItem(const TreeTableData* data, unsigned item) {
    const TreeTableItem* it = ItemOf(data, item);
    return it && it->row ? static_cast<int>(it->row) - 1 : -1;
}
// The item shown in a row, 0 outside the rows.
inline unsigned ItemAtRow(const TreeTableData* data, long long row) {
    return row >= 0 && static_cast<unsigned long long>(row) < data->rowCount ? data->rows[row] : 0;
}
// A check box's state bits after one click: bit 0x1000 flips under three states, otherwise state
// image 1 and 2 swap; the bits outside `replaced` stay.
inline UINT FlippedCheckState(const TreeTableData* data, UINT state, UINT replaced) {
    if (data->exStyle & TLS_EX_THREESTATE) return state ^ 0x1000;
    return (state & ~replaced) | ((state & 0x1000) ? 0x2000u : 0x1000u);
}
// The cell record, made (zeroed, image -2, state = item state & 0x11) when missing; null for an
// unknown item or column or when memory runs out.
TreeTableSubItem* MakeCell(TreeTableData* data, unsigned item, unsigned column);
inline bool HasMultiSelect(const TreeTableData* data) { return (data->exStyle & TLS_EX_MULTISELECT) != 0; }
inline bool HasGridLines(const TreeTableData* data) { return (data->exStyle & TLS_EX_GRIDLINES) != 0; }
inline bool HasButton(const TreeTableItem* item) { return (item->flags & kFlagButton) != 0; }
inline bool IsExpanded(const TreeTableItem* item) { return (item->state & TVIS_EXPANDED) != 0; }
// Replaces an owned text with a copy (or a callback text for LPSTR_TEXTCALLBACKW); false when memory
// runs out, the old text kept.
bool StoreText(wchar_t** text, uint16_t* length, uint8_t* callback, const wchar_t* value);

// --- notifications and parent requests (TreeTableNotify.cpp) ---
// Sends WM_NOTIFY to the parent with the lock released; returns the answer.
LRESULT TreeTableNotify(TreeTableData* data, NMHDR* header, int code);
// Fills an NMTREEVIEWW item part for an item (and column) the usual way: mask 0x801C.
void FillNotifyItem(const TreeTableData* data, TVITEMW* out, unsigned item, unsigned column);
LRESULT NotifyTree(TreeTableData* data, int code, UINT action, unsigned newItem, unsigned newColumn, unsigned oldItem,
                   unsigned oldColumn, POINT point = POINT{0, 0});
// Asks the parent for callback fields of an item (column 0) or cell; false when it vanished.
bool AskDisplayInfo(TreeTableData* data, unsigned item, unsigned column, uint8_t flags, wchar_t* buffer,
                    const wchar_t** text, int* length, int* image);

// --- item operations: storage and insertion (TreeTableStore.cpp), navigation and the shown rows
// (TreeTableNavigation.cpp), fields and colours (TreeTableFields.cpp), expansion
// (TreeTableExpand.cpp), deletion (TreeTableDelete.cpp), selection (TreeTableSelection.cpp),
// sorting (TreeTableSort.cpp) ---
// The first and last child of an item, or of the root for item 0.
unsigned& FirstChildOf(TreeTableData* data, unsigned parent);
unsigned& LastChildOf(TreeTableData* data, unsigned parent);
// The text of an item for comparisons, asking the parent for a callback text into the buffer.
const wchar_t* ComparableText(TreeTableData* data, unsigned item, wchar_t* buffer);
LRESULT InsertItem(TreeTableData* data, const TVINSERTSTRUCTW* insert);
unsigned NextItem(TreeTableData* data, unsigned item, unsigned code);
unsigned PreorderNext(const TreeTableData* data, unsigned item, unsigned stop);
LRESULT GetItem(TreeTableData* data, TVITEMW* item);
LRESULT SetItem(TreeTableData* data, const TVITEMW* item);
void RebuildRows(TreeTableData* data, unsigned from);
int ExpandToggle(TreeTableData* data, unsigned item, UINT extraState);
LRESULT ExpandItem(TreeTableData* data, unsigned item, UINT action);
int EnsureVisible(TreeTableData* data, unsigned item, int column);
int SelectItem(TreeTableData* data, unsigned item, unsigned column, UINT action);
int ToggleSelection(TreeTableData* data, unsigned item, UINT action);
// Unselects the caret item (a Ctrl-click on it), telling the parent; 0 when it was not selected or
// the parent refused.
int UnselectCaret(TreeTableData* data, UINT action);
int SetDropHilite(TreeTableData* data, unsigned item, unsigned column);
void ClearFocusFrame(TreeTableData* data);
int DeleteItem(TreeTableData* data, unsigned item, bool rebuild);
int SortChildren(TreeTableData* data, unsigned parent, bool recurse, int kind, const void* record, bool outer = true);
LRESULT ItemColour(const TreeTableData* data, unsigned item, unsigned column, bool back);
LRESULT SetItemColour(TreeTableData* data, unsigned item, unsigned column, LPARAM colour, bool back);
LRESULT SetInsertMark(TreeTableData* data, unsigned item, bool after);
unsigned FindItem(TreeTableData* data, unsigned start, const TLFINDITEM* find);

// --- layout and hit tests (TreeTableLayout.cpp): plain functions over the record ---
// Item rectangle: flags as TVM_GETITEMRECT's wParam; false and an empty rectangle when not in view.
bool ItemRect(const TreeTableData* data, unsigned item, WPARAM flags, RECT* rect);
unsigned HitTest(const TreeTableData* data, POINT point, UINT* flags);
// Rows that fit (a partial one counted) and fully visible rows for the current sizes.
void ComputePageRows(TreeTableData* data);
// The first shown row limited so that the last page is full: 0 .. rows - (page rows - 1).
long ClampFirstRow(const TreeTableData* data, long first);
// Recomputes the edges; the left x of the first changed column, or 0x10000.
int ComputeEdges(TreeTableData* data);
void ShareWidthChange(TreeTableData* data, int difference);
int ContentWidth(const TreeTableData* data, unsigned column);
int CheckBoxWidth(const TreeTableData* data);

// --- painting (TreeTablePaint.cpp) ---
void AcquireSharedResources();
void ReleaseSharedResources();
int SetFonts(TreeTableData* data);
void ResetColours(TreeTableData* data);
void ComputeRowHeight(TreeTableData* data);
void MakeCheckBoxImages(TreeTableData* data, int which);
// `update` bounds what is to be painted (the whole client area when null); `updateRegion`, when
// given, is the exact region within it.
// Forgets the drawn images: a list was replaced, made or destroyed (its handle may come back for
// another list), or the system colours that blends use changed.
void ForgetImages(TreeTableData* data);
void PaintTree(TreeTableData* data, HDC dc, const RECT* update, HRGN updateRegion = nullptr);
HIMAGELIST CreateDragImage(TreeTableData* data, unsigned item, unsigned column);
void RepaintRows(const TreeTableData* data);
void RepaintItem(const TreeTableData* data, unsigned item);
void RepaintCell(const TreeTableData* data, unsigned item, unsigned column);
// A cell whose text, image, state or colour changed: its repaint is asked for together with the
// others changed before the window's thread next reads its queue (each InvalidateRect is a trip
// to the window server, and a refresh of a page changes a cell in most rows). The cells wait as
// spans (cells of a column in adjacent rows make one) until the window's private message, or a
// paint that comes first, asks for the repaint of all of them at once. While the owner has redraw
// off, no message is posted: turning it on again asks for their repaint at once.
void RepaintChangedCell(TreeTableData* data, unsigned item, unsigned column);
// The private message that asks for the repaint of the changed cells, and its handler.
UINT ChangedCellsMessage();
void InvalidateChangedCells(TreeTableData* data);
void RepaintColumn(const TreeTableData* data, unsigned column);
void RepaintFrom(const TreeTableData* data, int x);
using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
SetWindowThemeFn BoundSetWindowTheme();

// --- columns, header, scroll bars (TreeTableColumns.cpp) ---
LRESULT InsertColumn(TreeTableData* data, unsigned position, const LVCOLUMNW* column);
LRESULT DeleteColumn(TreeTableData* data, unsigned column);
LRESULT GetColumn(TreeTableData* data, unsigned column, LVCOLUMNW* record);
LRESULT SetColumn(TreeTableData* data, unsigned column, const LVCOLUMNW* record);
LRESULT OnHeaderNotify(TreeTableData* data, NMHEADERW* notify);
void UpdateVScroll(TreeTableData* data);
void UpdateHScroll(TreeTableData* data);
// Shows the rows from `first`, or the columns from `x` pixels, as given (the caller limits them):
// the scroll bar follows and the rows are repainted; nothing when the view is already there.
void ScrollToRow(TreeTableData* data, long first);
void ScrollToX(TreeTableData* data, long x);
void MoveHeader(TreeTableData* data);
void SetHeaderItemWidth(const TreeTableData* data, unsigned column, int width);

// --- tooltip (TreeTableToolTip.cpp) ---
void CreateToolTip(TreeTableData* data);
void UpdateToolTip(TreeTableData* data, unsigned item, UINT flags);
void HideToolTip(TreeTableData* data);
void OnTipTimer(TreeTableData* data);

// --- editing (TreeTableEdit.cpp) ---
HWND StartEditor(TreeTableData* data, unsigned item, UINT argument);
void TreeTableStartEdit(TreeTableData* data, unsigned column, UINT code, POINT point);
int TreeTableEndEdit(TreeTableData* data, int how);
LRESULT SetColumnEditMode(TreeTableData* data, WPARAM wParam, LPARAM list);
void OnEditorCommand(TreeTableData* data, UINT code);

// --- input (TreeTableInput.cpp) ---
// Takes the lock held and gives it back itself.
void TreeTableKeyDown(TreeTableData* data, UINT key, LPARAM lParam);
// keyData: the character message's lParam, whose halves are the point an activation reports.
void TreeTableChar(TreeTableData* data, wchar_t character, LPARAM keyData);
// Takes the lock held and gives it back itself. pendingClick: the plain click that a multiple
// selection held back until the button came up.
void TreeTableMouseProc(TreeTableData* data, UINT message, WPARAM wParam, POINT point, bool pendingClick = false);
void OnMouseMove(TreeTableData* data, WPARAM wParam, POINT point);
LRESULT GetISearchString(wchar_t* buffer);
