#include "hexedit/HexEditLayout.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace HexEditLayout {

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

int Saturate(long long value) {
    return static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, value)));
}

int RowBytesFor(const HexEditState& s, bool multiLine) {
    if (!multiLine) return s.dataLength;
    if (!s.autoBytesPerRow) return s.bytesPerRow;
    const int w = s.contentRect.Width() - s.addressWidth;
    const int cw = s.charWidth;
    if (s.showAscii) {
        // Each byte takes three hex cells and one character cell; a last byte fits without its space.
        const int rest = w - kGap;
        if (rest < 0) return 1;
        return rest / (4 * cw) + (rest % (4 * cw) >= 3 * cw ? 1 : 0);
    }
    if (w < 0) return 1;
    return w / (3 * cw) + (w % (3 * cw) >= 2 * cw ? 1 : 0);
}

}  // namespace

int RowCount(const HexEditState& s) {
    if (s.rowBytes <= 0) return 0;
    return Saturate((static_cast<long long>(s.dataLength) + s.rowBytes - 1) / s.rowBytes);
}

int ContentRight(const HexEditState& s) {
    return s.showAscii ? s.asciiX + s.asciiWidth : s.hexX + s.hexWidth - kGap;
}

void Compute(HexEditState& s, const CRect& client, int charWidth, int lineHeight, bool multiLine) {
    s.charWidth = std::max(charWidth, 1);
    s.lineHeight = std::max(lineHeight, 1);
    const int cw = s.charWidth;
    const int lh = s.lineHeight;

    CRect r = client;
    if (multiLine) {
        r.DeflateRect(kGap, kGap);
        r.right = std::max(r.right, r.left);
        r.bottom = std::max(r.bottom, r.top);
    }
    s.contentRect = r;

    const int height = r.Height();
    s.pageRows = height / lh;
    const int rest = height % lh;
    s.drawRows = s.pageRows + (rest > 0 ? 1 : 0);
    s.lastRowHeight = rest > 0 ? rest : lh;

    s.addressX = 0;
    s.addressWidth = s.showAddress ? Saturate(static_cast<long long>(cw) * s.addressDigits + kGap) : 0;

    s.rowBytes = std::max(RowBytesFor(s, multiLine), 1);

    s.hexX = s.addressX + s.addressWidth;
    s.hexWidth = Saturate((3LL * s.rowBytes - 1) * cw + kGap);
    if (s.showAscii) {
        s.asciiX = Saturate(static_cast<long long>(s.hexX) + s.hexWidth);
        s.asciiWidth = Saturate(static_cast<long long>(s.rowBytes) * cw);
    } else {
        s.asciiX = 0;
        s.asciiWidth = 0;
    }

    s.maxTopRow = std::max(RowCount(s) - s.pageRows, 0);
    s.topRow = std::min(s.topRow, s.maxTopRow);
    s.maxHScroll = std::max(Saturate(static_cast<long long>(ContentRight(s)) - r.Width()), 0);
    s.hScroll = std::min(s.hScroll, s.maxHScroll);
    s.relayoutPending = false;
}

BytePosition PointToByte(const HexEditState& s, CPoint point, bool multiLine) {
    const int cw = s.charWidth;
    long long x = static_cast<long long>(point.x) + s.hScroll + cw / 2 - (multiLine ? kGap : 0);
    long long y = static_cast<long long>(point.y) - s.contentRect.top;
    y = std::clamp<long long>(y, 0, static_cast<long long>(s.drawRows) * s.lineHeight);
    x = std::clamp<long long>(x, s.hexX, static_cast<long long>(s.hexX) + s.hexWidth - kGap);
    const long long cell = (x - s.hexX) / cw;
    BytePosition at;
    at.highNibble = cell % 3 == 0;
    const long long byte = cell / 3 + (y / s.lineHeight + s.topRow) * static_cast<long long>(s.rowBytes);
    if (byte >= s.dataLength) {
        at.byte = s.dataLength - 1;
        at.highNibble = false;
    } else {
        at.byte = static_cast<int>(byte);
    }
    return at;
}

BytePosition MoveTarget(const HexEditState& s, int delta, bool highAfter) {
    BytePosition to{s.caretPos, highAfter};
    if (delta > 0) {
        const long long target = static_cast<long long>(s.caretPos) + delta;
        if (target >= s.dataLength) {
            to.byte = s.dataLength - 1;
            to.highNibble = false;
        } else {
            to.byte = static_cast<int>(target);
        }
    } else if (delta < 0) {
        if (-static_cast<long long>(delta) > s.caretPos) {
            to.byte = 0;
            to.highNibble = true;
        } else {
            to.byte = s.caretPos + delta;
        }
    }
    return to;
}

bool KeyMove(const HexEditState& s, UINT key, int* delta, bool* highAfter) {
    const long long page = static_cast<long long>(std::max(s.drawRows - 1, 0)) * s.rowBytes;
    *highAfter = s.highNibble;
    switch (key) {
    case VK_PRIOR: *delta = -Saturate(page); return true;
    case VK_NEXT: *delta = Saturate(page); return true;
    case VK_END: *delta = 0x07FFFFFF; *highAfter = false; return true;
    case VK_HOME: *delta = -0x08000000; *highAfter = true; return true;
    case VK_LEFT: *delta = s.highNibble ? -1 : 0; *highAfter = !s.highNibble; return true;
    case VK_RIGHT: *delta = s.highNibble ? 0 : 1; *highAfter = !s.highNibble; return true;
    case VK_UP: *delta = -s.rowBytes; return true;
    case VK_DOWN: *delta = s.rowBytes; return true;
    default: return false;
    }
}

int ClampTopRow(const HexEditState& s, int row) { return std::clamp(row, 0, s.maxTopRow); }
int ClampHScroll(const HexEditState& s, int x) { return std::clamp(x, 0, s.maxHScroll); }

bool MakeVisible(HexEditState& s, int a, int b) {
    const int oldTop = s.topRow;
    const int oldH = s.hScroll;
    const long long rowBytes = s.rowBytes;
    const long long first = s.topRow * rowBytes;
    const long long page = s.pageRows * rowBytes;
    // The row whose bottom shows b when it is the last wholly visible row.
    const auto lastRowFor = [&](long long byte) { return (byte + rowBytes - page) / rowBytes; };
    if (!(a <= first && b >= first + page)) {
        long long top = s.topRow;
        if (b - a + 1 > page) {
            if (a > first) top = a / rowBytes;
            else if (b < first + page) top = lastRowFor(b);
        } else {
            if (a < first) top = a / rowBytes;
            else if (b >= first + page) top = lastRowFor(b);
        }
        s.topRow = ClampTopRow(s, Saturate(top));
    }

    const CRect& r = s.contentRect;
    const long long origin = static_cast<long long>(r.left) - s.hScroll + s.hexX;
    long long xa = origin + 3LL * (a % rowBytes) * s.charWidth;
    long long xb = origin + (3LL * (b % rowBytes) + 2) * s.charWidth;
    if (xa > xb) std::swap(xa, xb);
    if (!(xa <= r.left && xb >= r.right)) {
        if (xa < r.left) s.hScroll = ClampHScroll(s, Saturate(s.hScroll + xa - r.left));
        else if (xb >= r.right) s.hScroll = ClampHScroll(s, Saturate(s.hScroll + xb - r.Width()));
    }
    return s.topRow != oldTop || s.hScroll != oldH;
}

CaretPlacement PlaceCaret(const HexEditState& s, bool focused) {
    CaretPlacement caret;
    if (!focused || !s.HasData() || s.rowBytes <= 0) return caret;
    const int row = s.caretPos / s.rowBytes - s.topRow;
    if (row < 0 || row >= s.drawRows) return caret;
    const int column = s.caretPos % s.rowBytes;
    const CRect& r = s.contentRect;
    const long long x = static_cast<long long>(r.left) + s.hexX +
                        (3LL * column + (s.highNibble ? 0 : 1)) * s.charWidth - s.hScroll;
    if (x + s.charWidth <= r.left - 2 || x > r.right) return caret;
    caret.shown = true;
    caret.position = CPoint(static_cast<int>(x), r.top + row * s.lineHeight + 1);
    caret.width = s.charWidth;
    caret.height = row == s.drawRows - 1 ? s.lastRowHeight : s.lineHeight;
    if (caret.position.x < r.left - 2) {
        caret.width -= r.left - 2 - caret.position.x;
        caret.position.x = r.left - 2;
    }
    if (caret.position.x + caret.width > r.right + 2) caret.width = r.right + 2 - caret.position.x;
    return caret;
}

void SelectBetween(HexEditState& s, int anchor, int end) {
    s.selBegin = std::min(anchor, end);
    s.selEnd = std::max(anchor, end);
}

void NormaliseSelection(const HexEditState& s, int* begin, int* end) {
    if (*begin < 0 || *end < 0 || s.dataLength <= 0) {
        *begin = *end = -1;
        return;
    }
    *begin = std::min(*begin, s.dataLength - 1);
    *end = std::min(*end, s.dataLength - 1);
    if (*begin > *end) std::swap(*begin, *end);
}

short AutoScrollReload(int distance) { return static_cast<short>(7 - std::min(distance / 5, 6)); }

std::wstring HexText(const BYTE* bytes, int count) {
    std::wstring text;
    if (count <= 0) return text;
    text.resize(static_cast<size_t>(count) * 3 - 1, L' ');
    for (int i = 0; i < count; ++i) {
        text[3 * i] = static_cast<wchar_t>(kDigits[bytes[i] >> 4]);
        text[3 * i + 1] = static_cast<wchar_t>(kDigits[bytes[i] & 0x0F]);
    }
    return text;
}

std::wstring AsciiText(const BYTE* bytes, int count) {
    std::wstring text(static_cast<size_t>(std::max(count, 0)), L'.');
    for (int i = 0; i < count; ++i)
        if (bytes[i] >= 0x20 && bytes[i] <= 0x7E) text[i] = static_cast<wchar_t>(bytes[i]);
    return text;
}

std::wstring AddressText(int offset, int digits) {
    std::wstring text;
    for (unsigned value = static_cast<unsigned>(offset); value != 0; value >>= 4)
        text.insert(text.begin(), static_cast<wchar_t>(kDigits[value & 0x0F]));
    if (static_cast<int>(text.size()) < digits) text.insert(0, static_cast<size_t>(digits) - text.size(), L'0');
    return text;
}

std::string CopyText(const HexEditState& s) {
    std::string text;
    if (!s.HasData() || !s.HasSelection() || s.rowBytes <= 0) return text;
    const int rowBytes = s.rowBytes;
    // A selection of at most a row starts at the left; a longer one keeps the first byte's column.
    int column = s.selEnd - s.selBegin <= rowBytes ? 0 : s.selBegin % rowBytes;
    std::string line(static_cast<size_t>(rowBytes) * 3, ' ');
    for (int at = s.selBegin; at <= s.selEnd; ++at) {
        line[3 * column] = kDigits[s.data[at] >> 4];
        line[3 * column + 1] = kDigits[s.data[at] & 0x0F];
        ++column;
        if (column == rowBytes || at == s.selEnd) {
            text.append(line, 0, static_cast<size_t>(3 * (column - 1) + 2));
            text += '\n';
            line.assign(line.size(), ' ');
            column = 0;
        }
    }
    return text;
}

std::vector<BYTE> CopyBlock(const HexEditState& s) {
    std::vector<BYTE> block;
    if (!s.HasData() || !s.HasSelection()) return block;
    const uint32_t count = static_cast<uint32_t>(s.selEnd - s.selBegin + 1);
    block.resize(4 + count);
    for (int i = 0; i < 4; ++i) block[i] = static_cast<BYTE>(count >> (8 * i));
    std::memcpy(block.data() + 4, s.data + s.selBegin, count);
    return block;
}

PastePlan PlanPaste(const HexEditState& s, const BYTE* block, size_t blockSize) {
    PastePlan plan;
    plan.start = s.HasSelection() ? s.selBegin : s.caretPos;
    if (!s.HasData() || block == nullptr || blockSize < 4) return plan;
    uint32_t stated = 0;
    for (int i = 0; i < 4; ++i) stated |= static_cast<uint32_t>(block[i]) << (8 * i);
    // The count is the sender's word; the block's size is what is really there to read.
    long long count = std::min<long long>(stated, static_cast<long long>(blockSize - 4));
    if (plan.start + count >= s.dataLength || count >= s.dataLength) count = s.dataLength - plan.start;
    plan.count = static_cast<int>(std::max<long long>(count, 0));
    plan.bytes = block + 4;
    return plan;
}

}  // namespace HexEditLayout
