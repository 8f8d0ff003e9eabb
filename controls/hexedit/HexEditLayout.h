// The hex editor's state and its arithmetic: layout, scrolling limits, point-to-byte hit tests,
// caret moves and placement, making a range visible, and the clipboard's text and binary blocks.
//
// Everything here is a plain function over HexEditState and never touches a window, so tests can
// drive it without one; CHexEditWnd keeps one HexEditState and calls these from its handlers.
// Coordinates are client coordinates; rows count from the buffer's start.
#pragma once

#include <windows.h>

#include <framework/Geometry.h>

#include <cstdint>
#include <string>
#include <vector>

// Everything one hex editor window knows, in the order the control has always kept it.
struct HexEditState {
    bool autoDelete = false;    // made by the "CHexEditWnd_SC" procedure; deletes itself at the end
    bool ownsData = true;       // the buffer is freed with the control
    int pageRows = 0;           // rows wholly inside the content rectangle
    int lastRowHeight = 0;      // height of the bottom drawn row
    int drawRows = 0;           // rows at least partly visible
    int lineHeight = 0;
    int charWidth = 0;
    int rowBytes = 0;           // bytes per row in effect
    int hexX = 0;               // column lefts and widths, relative to the content origin
    int hexWidth = 0;           // includes the 5-pixel gap after the column
    int asciiX = 0;
    int asciiWidth = 0;
    int addressX = 0;
    int addressWidth = 0;       // includes the 5-pixel gap after the column
    CRect contentRect;
    BYTE* data = nullptr;
    int bytesPerRow = 16;       // requested
    int addressDigits = 8;
    int selBegin = -1;          // inclusive; both -1 when nothing is selected
    int selEnd = -1;
    int caretPos = 0;
    int caretHeight = 0;
    int dataLength = 0;
    int topRow = 0;
    int maxTopRow = 0;
    int hScroll = 0;            // pixels
    int maxHScroll = 0;
    int caretWidth = 0;
    int anchor = -1;            // fixed end of a mouse or Shift selection
    int dragEnd = -1;           // moving end of that selection
    UINT binaryFormat = 0;      // the "BinaryData" clipboard format
    bool relayoutPending = true;
    bool caretCreated = false;
    bool highNibble = true;
    bool autoBytesPerRow = false;
    bool showAddress = false;
    bool showAscii = false;
    bool readOnly = false;
    COLORREF addressBack = RGB(255, 255, 255);
    COLORREF addressText = RGB(255, 0, 0);
    COLORREF asciiBack = RGB(255, 255, 255);
    COLORREF asciiText = RGB(100, 200, 100);
    COLORREF hexText = RGB(0, 0, 255);
    COLORREF hexBack = RGB(255, 255, 255);
    COLORREF backColor = RGB(210, 210, 210);
    COLORREF selTextInactive = 0;
    COLORREF selBackInactive = 0;
    COLORREF selTextActive = 0;
    COLORREF selBackActive = 0;
    CRect dragStartRect;        // drag threshold; (-1,-1,-1,-1) once a drag has begun
    CPoint autoScrollPoint;
    int autoScrollDirection = 0;     // -1 up, +1 down
    short autoScrollReload = 0;      // timer ticks between two steps, minus one
    short autoScrollCountdown = 0;
    bool autoScrollOn = false;

    bool HasData() const { return data != nullptr && dataLength > 0; }
    bool HasSelection() const { return selBegin != -1 && selEnd != -1; }
};

namespace HexEditLayout {

// Gap after the address and hex columns, and the inset of the content in multi-line mode.
constexpr int kGap = 5;

// Recomputes the geometry from the client rectangle and the font's '0' cell (Algorithm of the
// control's layout): rows, columns, bytes per row and the scroll limits. Clears relayoutPending.
void Compute(HexEditState& s, const CRect& client, int charWidth, int lineHeight, bool multiLine);
// Right end of the content (hex column, or character column when shown), relative to its origin.
int ContentRight(const HexEditState& s);
// Rows the buffer takes.
int RowCount(const HexEditState& s);

struct BytePosition {
    int byte = 0;
    bool highNibble = true;
};
// The byte and nibble under a client point; needs a buffer.
BytePosition PointToByte(const HexEditState& s, CPoint point, bool multiLine);
// Where a caret move of delta bytes lands: a move past the end stops on the last byte's low
// nibble, one before the start on the first byte's high nibble; highAfter is the nibble otherwise.
BytePosition MoveTarget(const HexEditState& s, int delta, bool highAfter);
// The keyboard's move for a key: false for keys that do not move the caret.
bool KeyMove(const HexEditState& s, UINT key, int* delta, bool* highAfter);

// Scrolls (topRow, hScroll) so that bytes [a, b] show, as far as a page allows. Answers whether
// anything changed.
bool MakeVisible(HexEditState& s, int a, int b);
// The top row or horizontal position the scroll limits allow.
int ClampTopRow(const HexEditState& s, int row);
int ClampHScroll(const HexEditState& s, int x);

struct CaretPlacement {
    bool shown = false;
    CPoint position;
    int width = 0;
    int height = 0;   // of the row; the system caret is one pixel shorter
};
// Where the caret stands for caretPos and highNibble; not shown off the drawn rows or outside the
// content's sides.
CaretPlacement PlaceCaret(const HexEditState& s, bool focused);

// Selection end points from the anchor and the moving end, ordered.
void SelectBetween(HexEditState& s, int anchor, int end);
// The selection a caller asked for, kept within the buffer: ends at or past the end become the last
// byte, the ends are ordered, and a range with an end below 0 is no selection.
void NormaliseSelection(const HexEditState& s, int* begin, int* end);

// Ticks between two auto-scroll steps, minus one, for a pointer `distance` pixels outside the content.
short AutoScrollReload(int distance);

// A row's hex text for bytes [first, first + count) of the row: two upper-case digits a byte, one
// space between bytes.
std::wstring HexText(const BYTE* bytes, int count);
// A row's character column: printable ASCII as itself, every other byte as '.'.
std::wstring AsciiText(const BYTE* bytes, int count);
// The address column's text for an offset: upper-case hex, zero-padded to `digits`.
std::wstring AddressText(int offset, int digits);

// Copy: the selection as text lines of digit pairs (the first line indented to the first byte's
// column unless the selection is at most a row long), each line ending in "\n".
std::string CopyText(const HexEditState& s);
// Copy: the binary block: a 32-bit little-endian count, then the selected bytes.
std::vector<BYTE> CopyBlock(const HexEditState& s);

struct PastePlan {
    int start = 0;
    int count = 0;           // bytes to write; 0 writes nothing
    const BYTE* bytes = nullptr;
};
// Paste: what a clipboard block of `blockSize` bytes writes where. The count the block states is
// believed only as far as the block holds bytes, and the buffer never grows.
PastePlan PlanPaste(const HexEditState& s, const BYTE* block, size_t blockSize);

}  // namespace HexEditLayout
