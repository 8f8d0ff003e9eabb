// Painting of the hex editor: off-screen, then copied to the window in one step, so nothing flickers.
// Only the bytes that reach the content rectangle are turned into text, so a wide row costs what
// shows of it.
#include "hexedit/HexEditWnd.h"

#include <algorithm>

namespace {

constexpr UINT kTextFormat = DT_SINGLELINE | DT_NOPREFIX;

struct ColumnSpan {
    int first = 0;  // of the row's bytes, the first and one past the last that can show
    int last = 0;
};

// The bytes of a row whose cells (cellsPerByte character cells from x0) reach [left, right).
ColumnSpan VisibleBytes(long long x0, int cellsPerByte, int charWidth, int left, int right, int count) {
    const long long step = static_cast<long long>(cellsPerByte) * charWidth;
    ColumnSpan span;
    span.first = static_cast<int>(std::clamp<long long>((left - x0) / step, 0, count));
    span.last = static_cast<int>(std::clamp<long long>((right - x0) / step + 1, 0, count));
    if (left < x0) span.first = 0;
    return span;
}

void DrawTextAt(CDC& dc, const std::wstring& text, int x, int y, int width, int height) {
    CRect area(x, y, x + width, y + height);
    dc.DrawText(text.c_str(), static_cast<int>(text.size()), &area, kTextFormat);
}

}  // namespace

void CHexEditWnd::OnPaint() {
    CPaintDC paintDC(this);
    CRect client;
    GetClientRect(&client);
    if (client.IsRectEmpty()) return;

    CDC dc;
    CBitmap bitmap;
    if (!dc.CreateCompatibleDC(&paintDC) || !bitmap.CreateCompatibleBitmap(&paintDC, client.Width(), client.Height()))
        return;
    CBitmap* oldBitmap = dc.SelectObject(&bitmap);
    CFont* oldFont = dc.SelectObject(&m_font);
    if (m_state.relayoutPending) Relayout(&dc);

    dc.FillSolidRect(&client, m_state.backColor);
    if (m_state.HasData()) {
        CRgn clip;
        const CRect& content = m_state.contentRect;
        clip.CreateRectRgn(content.left - 2, content.top, content.right + 2, content.bottom);
        dc.SelectClipRgn(&clip);
        DrawRows(dc, ::GetFocus() == m_hWnd);
        dc.SelectClipRgn(nullptr);
    }
    paintDC.BitBlt(0, 0, client.Width(), client.Height(), &dc, 0, 0, SRCCOPY);
    dc.SelectObject(oldFont);
    dc.SelectObject(oldBitmap);
}

void CHexEditWnd::DrawRows(CDC& dc, bool focused) {
    const HexEditState& s = m_state;
    const CRect& content = s.contentRect;
    const int left = content.left - s.hScroll;
    const int lh = s.lineHeight;
    const int firstRow = s.topRow;
    const int endRow = std::min(HexEditLayout::RowCount(s), s.topRow + s.drawRows);
    const bool showSelection = s.HasSelection() && (focused || MultiLine());

    if (s.showAddress) dc.FillSolidRect(left + s.addressX, content.top, s.addressWidth - HexEditLayout::kGap,
                                        content.Height(), s.addressBack);
    dc.FillSolidRect(left + s.hexX, content.top, s.hexWidth - HexEditLayout::kGap, content.Height(), s.hexBack);
    if (s.showAscii) dc.FillSolidRect(left + s.asciiX, content.top, s.asciiWidth, content.Height(), s.asciiBack);

    for (int row = firstRow; row < endRow; ++row) {
        const int y = content.top + (row - firstRow) * lh;
        const int first = row * s.rowBytes;
        const int count = std::min(s.rowBytes, s.dataLength - first);
        if (s.showAddress) {
            dc.SetBkMode(OPAQUE);
            dc.SetBkColor(s.addressBack);
            dc.SetTextColor(s.addressText);
            DrawTextAt(dc, HexEditLayout::AddressText(first, s.addressDigits), left + s.addressX, y,
                       s.addressWidth - HexEditLayout::kGap, lh);
        }
        DrawHexRow(dc, y, first, first + count - 1, showSelection, focused);
        if (s.showAscii) {
            const long long x0 = static_cast<long long>(left) + s.asciiX;
            const ColumnSpan span = VisibleBytes(x0, 1, s.charWidth, content.left - 2, content.right + 2, count);
            if (span.first >= span.last) continue;
            dc.SetBkMode(OPAQUE);
            dc.SetBkColor(s.asciiBack);
            dc.SetTextColor(s.asciiText);
            DrawTextAt(dc, HexEditLayout::AsciiText(s.data + first + span.first, span.last - span.first),
                       static_cast<int>(x0 + static_cast<long long>(span.first) * s.charWidth), y,
                       (span.last - span.first) * s.charWidth, lh);
        }
    }
}

void CHexEditWnd::DrawHexRow(CDC& dc, int y, int firstByte, int lastByte, bool showSelection, bool focused) {
    const HexEditState& s = m_state;
    const CRect& content = s.contentRect;
    const int cw = s.charWidth;
    const int lh = s.lineHeight;
    const long long x0 = static_cast<long long>(content.left) - s.hScroll + s.hexX;
    const int count = lastByte - firstByte + 1;
    const ColumnSpan span = VisibleBytes(x0, 3, cw, content.left - 2, content.right + 2, count);
    if (span.first >= span.last) return;
    const auto xOf = [&](int column) { return static_cast<int>(x0 + 3LL * column * cw); };

    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(s.hexText);
    DrawTextAt(dc, HexEditLayout::HexText(s.data + firstByte + span.first, span.last - span.first), xOf(span.first),
               y, 3 * (span.last - span.first) * cw, lh);

    if (!showSelection || s.selEnd < firstByte || s.selBegin > lastByte) return;
    const int from = std::max(s.selBegin, firstByte) - firstByte;
    const int to = std::min(s.selEnd, lastByte) - firstByte;
    // From the first selected byte's first digit to the last one's second, a pixel lower at the top
    // and one wider at the right.
    const CRect fill(std::max<int>(xOf(from), content.left - 2), y + 1,
                     std::min<int>(xOf(to) + 2 * cw + 1, content.right + 2), y + lh);
    dc.FillSolidRect(&fill, focused ? s.selBackActive : s.selBackInactive);
    const int textFrom = std::max(from, span.first);
    const int textTo = std::min(to + 1, span.last);
    if (textFrom >= textTo) return;
    dc.SetTextColor(focused ? s.selTextActive : s.selTextInactive);
    DrawTextAt(dc, HexEditLayout::HexText(s.data + firstByte + textFrom, textTo - textFrom), xOf(textFrom), y,
               3 * (textTo - textFrom) * cw, lh);
}
