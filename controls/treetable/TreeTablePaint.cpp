// Painting of the "TreeTable" window: rows, tree lines and buttons, state and item images, texts with
// truncation, colours, selection, drop highlight, focus frame, grid lines and the cells of the other
// columns; the fonts, colours and check-box images it draws with, the drag image, and the repaint
// requests every other operation makes. Drawing goes straight into the given device context; each
// piece of a row is filled opaque before anything is drawn on it, so nothing is erased separately.
#include "TreeTableData.h"

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr UINT kStateFocused = 0x01;  // TVIS_FOCUSED: the caret item drawn underlined

// Shared by every window of the class: counted by the windows' creations and destructions.
LONG g_windows = -1;
HPEN g_dottedPen;
HFONT g_font, g_boldFont;
SetWindowThemeFn g_setWindowTheme;
LONG g_themeBound;

HFONT SharedFont(bool bold) {
    if (!g_font) {
        LOGFONTW lf{};
        SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof lf, &lf, 0);
        lf.lfWeight = FW_NORMAL;
        g_font = CreateFontIndirectW(&lf);
        lf.lfWeight = FW_BOLD;
        g_boldFont = CreateFontIndirectW(&lf);
    }
    return bold ? g_boldFont : g_font;
}

void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
    if (right <= left || bottom <= top) return;
    const RECT r{left, top, right, bottom};
    SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

COLORREF Blend78(COLORREF base, COLORREF highlight) {
    auto channel = [](COLORREF c, int shift) { return static_cast<int>((c >> shift) & 0xFF) >> 3; };
    COLORREF out = 0;
    for (int shift : {0, 8, 16}) out |= static_cast<COLORREF>(channel(base, shift) * 7 + channel(highlight, shift)) << shift;
    return out;
}

struct RowPaint {
    HDC dc;
    int top, bottom;
    COLORREF rowColour, gridColour;
};

struct TextPiece {
    const wchar_t* text;
    int length;
    int* cachedWidth;
    bool bold;
};

int MeasureText(HDC dc, const wchar_t* text, int length) {
    if (length <= 0) return 0;
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, text, length, &r, DT_CALCRECT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    return r.right - r.left;
}

// Draws as many characters as fit between x + 2 and limit, then "...". Bounded: at most the text's
// own length is measured, and nothing is measured with 2 pixels or less to spare.
void DrawTruncated(HDC dc, const wchar_t* text, int length, int x, int limit, int textTop, int top, int bottom,
                   int ellipsis) {
    const int available = limit - x - ellipsis;
    int fit = 0, extent = 0;
    if (available > 2 && length > 0) {
        std::vector<int> dx(static_cast<size_t>(length));
        SIZE size{};
        GetTextExtentExPointW(dc, text, length, available - 2, &fit, dx.data(), &size);
        if (fit > 0) extent = dx[static_cast<size_t>(fit - 1)];
    }
    if (fit > 0) {
        const RECT clip{x, top, x + 2 + extent, bottom};
        ExtTextOutW(dc, x + 2, textTop, ETO_OPAQUE | ETO_CLIPPED, &clip, text, static_cast<UINT>(fit), nullptr);
        const RECT rest{x + 2 + extent, top, limit, bottom};
        ExtTextOutW(dc, x + 2 + extent, textTop, ETO_OPAQUE | ETO_CLIPPED, &rest, L"...", 3, nullptr);
    } else {
        const RECT rest{x, top, limit, bottom};
        ExtTextOutW(dc, x + 2, textTop, ETO_OPAQUE | ETO_CLIPPED, &rest, L"...", 3, nullptr);
    }
}

// Draws the text of column 0 or of a cell from x to limit. W is the cell word (state | flags << 16).
// Returns where the text ends.
int DrawCellText(TreeTableData* data, const RowPaint& row, UINT w, const TextPiece& piece, int x, int limit,
                 COLORREF back, COLORREF ownText, bool caretHere, int align, bool isCell) {
    HDC dc = row.dc;
    const int ellipsis = piece.bold ? data->ellipsisBold : data->ellipsisNormal;
    const int textTop = row.top + (data->rowHeight - data->textHeight) / 2;
    const bool decorated = (w & 0x58000B) != 0;
    if (!decorated) {
        int width = *piece.cachedWidth;
        if (width == 0 && piece.length > 0) *piece.cachedWidth = width = MeasureText(dc, piece.text, piece.length);
        SetBkColor(dc, back);
        if (x + width < limit) {
            const RECT r{x, row.top, limit, row.bottom};
            int at = x + 2;
            UINT alignFlag = TA_LEFT;
            if (isCell && align == 1) {
                at = (x + limit) / 2;
                alignFlag = TA_CENTER;
            } else if (isCell && align == 2) {
                at = limit - 2;
                alignFlag = TA_RIGHT;
            }
            SetTextAlign(dc, alignFlag);
            ExtTextOutW(dc, at, textTop, ETO_OPAQUE | ETO_CLIPPED, &r, piece.text, static_cast<UINT>(piece.length),
                        nullptr);
            SetTextAlign(dc, TA_LEFT);
        } else {
            DrawTruncated(dc, piece.text, piece.length, x, limit, textTop, row.top, row.bottom, ellipsis);
        }
        return x + 2 + width;
    }
    Fill(dc, x, row.top, limit, row.bottom, back);
    // Cells cut their text at 253 characters before anything else.
    const int length = isCell ? std::min(piece.length, 253) : piece.length;
    int width = MeasureText(dc, piece.text, length);
    *piece.cachedWidth = width;
    RECT r{x + 4, row.top + (data->rowHeight - data->textHeight - 2) / 2, x + 4 + width, 0};
    r.bottom = r.top + data->textHeight + 2;
    std::wstring shown(piece.text, static_cast<size_t>(length));
    if (length == 0) r.right = limit - 2;
    if (x + 4 + width >= limit) {
        const int available = limit - (x + 4) - 2 - ellipsis;
        int fit = 0;
        if (available > 2 && length > 0) {
            std::vector<int> dx(static_cast<size_t>(length));
            SIZE size{};
            GetTextExtentExPointW(dc, piece.text, length, available, &fit, dx.data(), &size);
        }
        shown.resize(static_cast<size_t>(fit));
        shown += L"...";
        r.right = limit - 2;
    } else if (isCell && align != 0) {
        const int cellWidth = limit - x, rectWidth = r.right - r.left;
        const int shift = align == 1 ? (cellWidth - rectWidth - 6) / 2 : cellWidth - rectWidth - 6;
        OffsetRect(&r, shift > 0 ? shift : 0, 0);
    }
    const bool selected = (w & TVIS_SELECTED) != 0;
    COLORREF textColour = data->colours[kColourText];
    bool box = false;
    COLORREF boxColour = 0;
    const bool fullRow = (data->exStyle & TLS_EX_FULLROWMARK) != 0;
    if (selected && data->focused && (caretHere || HasMultiSelect(data))) {
        textColour = GetSysColor(COLOR_HIGHLIGHTTEXT);
        box = true;
        boxColour = GetSysColor(COLOR_HIGHLIGHT);
    } else if (w & TVIS_DROPHILITED) {
        textColour = GetSysColor(COLOR_HIGHLIGHTTEXT);
        box = true;
        boxColour = GetSysColor(COLOR_HIGHLIGHT);
    } else if (!selected) {
        if (w & (kFlagDropHilite << 16)) textColour = data->colours[kColourDropText];
        else if (w & (kFlagTextColour << 16)) textColour = ownText;
    } else if (!fullRow) {
        box = true;
        boxColour = GetSysColor(COLOR_MENU);
    }
    if (box) {
        HBRUSH brush = CreateSolidBrush(boxColour);
        HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        Rectangle(dc, r.left - 2, r.top - 1, r.right + 2 + 1, r.bottom + 1 + 1);
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        DeleteObject(brush);
    }
    if (w & (kFlagFocusFrame << 16)) {
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, r.left - 2, r.top - 1, r.right + 2, r.bottom + 1);
        SelectObject(dc, oldBrush);
    }
    SetTextColor(dc, textColour);
    RECT textRect = r;
    OffsetRect(&textRect, data->textXAdjust, 0);
    DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (((w & (kFlagDropHilite << 16)) || (w & kStateFocused)) && length > 0) {
        const int y = r.top + data->underlineOffset;
        Fill(dc, r.left, y, r.left + std::min(width, static_cast<int>(r.right - r.left)) - 1, y + 1, textColour);
    }
    SetTextColor(dc, data->colours[kColourText]);
    return r.right;
}

// An image of a list drawn over `back`, as ImageList_Draw would draw it there; the first time in a
// paint into the cache, afterwards in that paint one copy from it. Without a cache it draws
// through the list.
void DrawImage(TreeTableData* data, HDC dc, HIMAGELIST list, int index, int x, int y, int width, int height,
               UINT style, COLORREF back) {
    ImageCache& cache = data->images;
    if (width > cache.slotWidth || height > cache.slotHeight) {
        // Grown to hold both shapes: two lists each larger in one dimension would otherwise have
        // the slots made again for every other image.
        const int slotWidth = std::max(width, cache.slotWidth), slotHeight = std::max(height, cache.slotHeight);
        const unsigned paint = cache.paint;
        ForgetImages(data);
        cache.paint = paint;
        HDC screen = GetDC(nullptr);
        cache.dc = CreateCompatibleDC(screen);
        cache.bitmap = CreateCompatibleBitmap(screen, slotWidth * kCachedImages, slotHeight);
        ReleaseDC(nullptr, screen);
        if (!cache.dc || !cache.bitmap) {
            ForgetImages(data);
            cache.paint = paint;
            ImageList_Draw(list, index, dc, x, y, style);
            return;
        }
        cache.oldBitmap = SelectObject(cache.dc, cache.bitmap);
        cache.slotWidth = slotWidth;
        cache.slotHeight = slotHeight;
    }
    int slot = 0;
    while (slot < kCachedImages &&
           !(cache.slots[slot].paint == cache.paint && cache.slots[slot].list == list &&
             cache.slots[slot].index == index && cache.slots[slot].style == style && cache.slots[slot].back == back))
        ++slot;
    if (slot == kCachedImages) {
        slot = cache.next;
        cache.next = (cache.next + 1) % kCachedImages;
        cache.slots[slot] = CachedImage{list, index, style, back, cache.paint};
        Fill(cache.dc, slot * cache.slotWidth, 0, slot * cache.slotWidth + width, height, back);
        ImageList_Draw(list, index, cache.dc, slot * cache.slotWidth, 0, style);
    }
    BitBlt(dc, x, y, width, height, cache.dc, slot * cache.slotWidth, 0, SRCCOPY);
}

void DrawDottedLine(HDC dc, int x0, int y0, int x1, int y1) {
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
}

}  // namespace

// --- shared resources ---

void AcquireSharedResources() {
    if (InterlockedIncrement(&g_windows) == 0) {
        LOGBRUSH brush{BS_SOLID, GetSysColor(COLOR_BTNSHADOW), 0};
        g_dottedPen = ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &brush, 0, nullptr);
        if (!g_dottedPen) g_dottedPen = CreatePen(PS_DOT, 1, RGB(0, 0, 0));
        if (InterlockedExchange(&g_themeBound, 1) == 0) {
            if (HMODULE theme = LoadLibraryW(L"UxTheme.dll"))
                g_setWindowTheme = reinterpret_cast<SetWindowThemeFn>(
                    reinterpret_cast<void (*)()>(GetProcAddress(theme, "SetWindowTheme")));
        }
    }
}

void ReleaseSharedResources() {
    if (InterlockedDecrement(&g_windows) < 0) {
        DeleteObject(g_font);
        DeleteObject(g_boldFont);
        DeleteObject(g_dottedPen);
        g_font = g_boldFont = nullptr;
        g_dottedPen = nullptr;
    }
}

SetWindowThemeFn BoundSetWindowTheme() { return g_setWindowTheme; }

int SetFonts(TreeTableData* data) {
    HFONT font = data->font ? data->font : SharedFont(false);
    data->boldFont = (!data->font || data->font == g_font) ? SharedFont(true) : font;
    data->tipFont = font;
    int changed = 0;
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    if (font != data->measuredFont) {
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        data->textHeight = tm.tmHeight;
        data->underlineOffset = tm.tmAscent + 1;
        data->textXAdjust = (tm.tmPitchAndFamily & TMPF_FIXED_PITCH) - 1;
        data->measuredFont = font;
        for (unsigned i = 1; i <= data->capacity; ++i) {
            if (!data->items[i]) continue;
            data->items[i]->textWidth = 0;
            for (unsigned c = 1; c < data->columnCount; ++c)
                if (TreeTableSubItem* cell = CellOf(data, i, c)) cell->textWidth = 0;
        }
        changed = 1;
    }
    SIZE size{};
    int fit = 0;
    GetTextExtentExPointW(dc, L"...", 3, 256, &fit, nullptr, &size);
    data->ellipsisNormal = size.cx;
    SelectObject(dc, data->boldFont);
    GetTextExtentExPointW(dc, L"...", 3, 256, &fit, nullptr, &size);
    data->ellipsisBold = size.cx;
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return changed;
}

void ResetColours(TreeTableData* data) {
    auto set = [data](int slot, COLORREF colour) {
        if (!data->colourSet[slot]) data->colours[slot] = colour;
    };
    set(kColourBack, GetSysColor(COLOR_WINDOW));
    set(kColourEven, GetSysColor(COLOR_WINDOW));
    COLORREF odd = GetSysColor(COLOR_INFOBK);
    const COLORREF even = data->colours[kColourEven];
    auto sq = [](int a, int b) { return (a - b) * (a - b); };
    const int distance = sq(GetRValue(odd), GetRValue(even)) + sq(GetGValue(odd), GetGValue(even)) +
                         sq(GetBValue(odd), GetBValue(even));
    if (distance < 64) odd = RGB(GetRValue(even), GetGValue(even), std::max(0, GetBValue(even) - 8));
    set(kColourOdd, odd);
    set(kColourGrid, GetSysColor(COLOR_BTNFACE));
    set(kColourText, GetSysColor(COLOR_WINDOWTEXT));
    set(kColourSign, GetSysColor(COLOR_WINDOWTEXT));
    set(kColourBox, GetSysColor(COLOR_BTNSHADOW));
    set(kColourDropText, GetSysColor(COLOR_WINDOWTEXT) ^ 0xFF0000);
    set(kColourMarkOdd, Blend78(data->colours[kColourOdd], GetSysColor(COLOR_HIGHLIGHT)));
    set(kColourMarkEven, Blend78(data->colours[kColourEven], GetSysColor(COLOR_HIGHLIGHT)));
    set(kColourInsertMark, GetSysColor(COLOR_INFOBK));
    set(kColourBoxInside, GetSysColor(COLOR_WINDOW));
}

void ComputeRowHeight(TreeTableData* data) {
    if (data->heightSet) return;
    int h = 10;
    if (data->cellList) h = std::max(h, data->cellHeight + 2);
    if (data->stateList) h = std::max(h, data->stateHeight + 2);
    if (data->headerList && data->headerListOwn) h = std::max(h, data->headerImageHeight + 2);
    if (data->normalList) h = std::max(h, data->imageHeight + 2);
    h = std::max(h, data->textHeight + 2);
    if (HasGridLines(data)) h += 1;
    if ((h & 1) && (data->style & TLS_EVENHEIGHT)) h += 1;
    if (h != data->rowHeight) {
        data->rowHeight = h;
        ComputePageRows(data);
        InvalidateRect(data->window, nullptr, FALSE);
    }
}

void MakeCheckBoxImages(TreeTableData* data, int which) {
    if ((which == 0 && data->stateList) || (which == 1 && data->cellList)) return;
    ForgetImages(data);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 48, 16);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const COLORREF mask = GetSysColor(COLOR_HIGHLIGHT);
    Fill(dc, 0, 0, 48, 16, mask);
    RECT unchecked{17, 2, 30, 15}, checked{33, 2, 46, 15};
    DrawFrameControl(dc, &unchecked, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT);
    DrawFrameControl(dc, &checked, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | DFCS_CHECKED);
    SelectObject(dc, old);
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLORDDB | ILC_MASK, 3, 14);
    if (list) ImageList_AddMasked(list, bitmap, mask);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    if (!list) return;
    if (which == 0) {
        data->stateList = list;
        data->stateListOwn = 1;
        data->stateWidth = data->stateHeight = 16;
    } else {
        data->cellList = list;
        data->cellListOwn = 1;
        data->cellWidth = data->cellHeight = 16;
    }
}

void ForgetImages(TreeTableData* data) {
    ImageCache& cache = data->images;
    if (cache.dc) {
        SelectObject(cache.dc, cache.oldBitmap);
        DeleteDC(cache.dc);
    }
    if (cache.bitmap) DeleteObject(cache.bitmap);
    cache = ImageCache{};
}

// --- repaint requests ---

void RepaintRows(const TreeTableData* data) {
    RECT r{0, data->headerHeight, static_cast<LONG>(data->clientWidth), static_cast<LONG>(data->clientHeight)};
    InvalidateRect(data->window, &r, FALSE);
}

void RepaintItem(const TreeTableData* data, unsigned item) {
    RECT r{};
    if (!ItemRect(data, item, 0, &r)) return;
    r.left = 0;
    InvalidateRect(data->window, &r, FALSE);
}

namespace {

// The cell's rectangle in the window; false when its row is not in view.
bool CellArea(const TreeTableData* data, unsigned item, unsigned column, RECT* r) {
    if (column > data->columnCount || !ItemRect(data, item, 0, r)) return false;
    r->left = data->edges[column] - data->scrollX;
    r->right = data->edges[column + 1] - data->scrollX;
    return true;
}

}  // namespace

void RepaintCell(const TreeTableData* data, unsigned item, unsigned column) {
    RECT r{};
    if (CellArea(data, item, column, &r)) InvalidateRect(data->window, &r, FALSE);
}

void RepaintChangedCell(TreeTableData* data, unsigned item, unsigned column) {
    RECT r{};
    if (!CellArea(data, item, column, &r)) return;
    if (data->changedSpanCount == 0 && !data->changedPaintAsked && !data->redrawOff) {
        // The window's own message, handled once its thread reads its queue again: a posted
        // message always arrives, whatever happens to the window's update region meanwhile.
        if (!PostMessageW(data->window, ChangedCellsMessage(), 0, 0)) {
            InvalidateRect(data->window, &r, FALSE);
            return;
        }
        data->changedPaintAsked = 1;
    }
    if (data->changedSpanCount > 0) {
        RECT& last = data->changedSpans[data->changedSpanCount - 1];
        const bool sameSpan = last.left == r.left && last.right == r.right && r.top <= last.bottom && r.bottom >= last.top;
        if (sameSpan || data->changedSpanCount == kChangedSpans) {
            UnionRect(&last, &last, &r);
            return;
        }
    }
    data->changedSpans[data->changedSpanCount++] = r;
}

UINT ChangedCellsMessage() {
    static const UINT message = RegisterWindowMessageW(L"TreeTableChangedCells");
    return message;
}

void InvalidateChangedCells(TreeTableData* data) {
    LockTree(data);
    data->changedPaintAsked = 0;
    const unsigned count = data->changedSpanCount;
    RECT spans[kChangedSpans];
    std::copy(data->changedSpans, data->changedSpans + count, spans);
    data->changedSpanCount = 0;
    UnlockTree(data);
    if (count == 0) return;
    if (count == 1) {
        InvalidateRect(data->window, &spans[0], FALSE);
        return;
    }
    // One region of all the spans: one request.
    struct {
        RGNDATAHEADER header;
        RECT rects[kChangedSpans];
    } region{};
    region.header.dwSize = sizeof region.header;
    region.header.iType = RDH_RECTANGLES;
    region.header.nCount = count;
    region.header.nRgnSize = count * sizeof(RECT);
    region.header.rcBound = spans[0];
    for (unsigned i = 0; i < count; ++i) {
        region.rects[i] = spans[i];
        UnionRect(&region.header.rcBound, &region.header.rcBound, &spans[i]);
    }
    HRGN cells = ExtCreateRegion(nullptr, sizeof region.header + count * sizeof(RECT),
                                 reinterpret_cast<const RGNDATA*>(&region));
    if (!cells) {
        InvalidateRect(data->window, &region.header.rcBound, FALSE);
        return;
    }
    InvalidateRgn(data->window, cells, FALSE);
    DeleteObject(cells);
}

void RepaintColumn(const TreeTableData* data, unsigned column) {
    if (column >= data->columnCount) return;
    RECT r{data->edges[column] - data->scrollX, 0, data->edges[column + 1] - data->scrollX,
           static_cast<LONG>(data->clientHeight)};
    if (r.right < 0 || r.left > static_cast<LONG>(data->clientWidth)) return;
    InvalidateRect(data->window, &r, FALSE);
}

void RepaintFrom(const TreeTableData* data, int x) {
    RECT r{x, data->headerHeight, static_cast<LONG>(data->clientWidth), static_cast<LONG>(data->clientHeight)};
    InvalidateRect(data->window, &r, FALSE);
}

// --- painting ---

void PaintTree(TreeTableData* data, HDC dc, const RECT* update, HRGN updateRegion) {
    LockTree(data);
    ++data->images.paint;  // the list's images are drawn afresh: the caller may have changed them
    const RECT client{0, 0, static_cast<LONG>(data->clientWidth), static_cast<LONG>(data->clientHeight)};
    const RECT area = update ? *update : client;
    const unsigned count = data->columnCount;
    const unsigned regionCount = count ? count + 1 : 1;
    std::vector<HRGN> regions(regionCount);
    for (unsigned c = 0; c < regionCount; ++c) {
        RECT span = client;
        if (count) {
            span.left = data->edges[c] - data->scrollX;
            span.right = c < count ? data->edges[c + 1] - data->scrollX : static_cast<LONG>(data->clientWidth);
        }
        RECT inside{};
        if (!IntersectRect(&inside, &span, &area)) continue;
        regions[c] = CreateRectRgnIndirect(&inside);
        // The cells a refresh changed lie scattered in the column: only they are painted, not every
        // row between them.
        if (updateRegion && CombineRgn(regions[c], regions[c], updateRegion, RGN_AND) == NULLREGION) {
            DeleteObject(regions[c]);
            regions[c] = nullptr;
        }
    }

    COLORREF back, odd, even, grid;
    if (data->enabled) {
        back = data->colours[kColourBack];
        odd = data->colours[kColourOdd];
        grid = data->colours[kColourGrid];
        even = (data->exStyle & (TLS_EX_GRIDLINES | TLS_EX_ALTERNATECOLOR)) ? data->colours[kColourEven] : back;
    } else {
        const COLORREF bar = GetSysColor(COLOR_SCROLLBAR), window = GetSysColor(COLOR_WINDOW);
        back = even = bar;
        grid = RGB((GetRValue(window) + 2 * GetRValue(bar)) / 3, (GetGValue(window) + 2 * GetGValue(bar)) / 3,
                   (GetBValue(window) + 2 * GetBValue(bar)) / 3);
        odd = ((bar >> 1) & 0x7F7F7F) + ((grid >> 1) & 0x7F7F7F);
    }
    const HFONT normalFont = data->font ? data->font : SharedFont(false);
    HGDIOBJ oldFont = SelectObject(dc, normalFont);
    // Selecting a font costs its realisation each time: a row of plain cells keeps the one it has.
    HFONT selectedFont = normalFont;
    auto useFont = [&](bool bold) {
        const HFONT wanted = bold ? data->boldFont : normalFont;
        if (wanted != selectedFont) SelectObject(dc, wanted);
        selectedFont = wanted;
    };
    HGDIOBJ oldPen = SelectObject(dc, g_dottedPen);
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_LEFT);
    SetTextColor(dc, data->colours[kColourText]);
    const bool alternate = (data->exStyle & TLS_EX_ALTERNATECOLOR) != 0;
    const bool fullRow = (data->exStyle & TLS_EX_FULLROWMARK) != 0;
    const bool gridLines = HasGridLines(data);
    int widest = data->widestRow;
    int previousGridStart = -1;
    int y = data->headerHeight;

    for (unsigned r = static_cast<unsigned>(data->firstRow);
         r < data->rowCount && r < data->firstRow + data->rowsThatFit; ++r) {
        const unsigned item = data->rows[r];
        TreeTableItem* it = ItemOf(data, item);
        if (!it) break;
        RowPaint row{dc, data->headerHeight + static_cast<int>(r - data->firstRow) * data->rowHeight, 0, back, grid};
        row.bottom = row.top + data->rowHeight;
        y = row.bottom;
        row.rowColour = alternate ? ((r & 1) ? odd : even) : back;
        const bool markRow = fullRow && (it->state & TVIS_SELECTED);
        if (markRow)
            row.rowColour = data->colours[(alternate && !(r & 1)) ? kColourMarkEven : kColourMarkOdd];
        const RECT rowArea{0, row.top, static_cast<LONG>(data->clientWidth), row.bottom};
        auto asked = [&](unsigned c) { return regions[c] && RectInRegion(regions[c], &rowArea); };
        bool rowAsked = false;
        for (unsigned c = 0; c < regionCount && !rowAsked; ++c) rowAsked = asked(c);
        const int depth = it->level + (data->linesAtRoot ? 1 : 0);
        // The next row's grid line joins this row's, which starts after the indent: known without
        // painting this row.
        const int indentEnd = depth * data->indent - data->scrollX;
        if (!rowAsked) {
            if (regions[0]) previousGridStart = indentEnd;
            continue;
        }
        UINT w = (it->state & 0xFFFF) | (static_cast<UINT>(it->flags) << 16);
        int gridStart = 0;

        if (asked(0)) {
            SelectClipRgn(dc, regions[0]);
            int image = (w & TVIS_SELECTED) ? it->selectedImage : it->image;
            if (data->caretColumn != 0 && data->caretItem == item) w &= ~TVIS_SELECTED;
            const wchar_t* text = it->text ? it->text : L"";
            int length = it->textLength;
            if (it->callback) {
                if (!AskDisplayInfo(data, item, 0, it->callback, data->textBuffer, &text, &length, &image)) break;
                it = data->items[item];
                if (!(it->callback & kCallText)) {
                    text = it->text ? it->text : L"";
                    length = it->textLength;
                }
            }
            int x = -data->scrollX;
            const bool lines = (data->style & TVS_HASLINES) != 0, buttons = (data->style & TVS_HASBUTTONS) != 0;
            if (depth > 0) {
                const int lineSteps = (lines || buttons) ? depth - 1 : depth;
                Fill(dc, x, row.top, x + lineSteps * data->indent, row.bottom, row.rowColour);
                if (lines) {
                    // The innermost step continues the parent's line, the next one the grandparent's.
                    unsigned ancestor = it->parent;
                    for (int step = lineSteps - 1; step >= 0 && ancestor; --step) {
                        const TreeTableItem* a = ItemOf(data, ancestor);
                        if (!a) break;
                        if (a->nextSibling) {
                            const int lx = x + step * data->indent + data->buttonCentre;
                            DrawDottedLine(dc, lx, row.top | 1, lx, row.bottom);
                        }
                        ancestor = a->parent;
                    }
                }
                x += lineSteps * data->indent;
                if (lines || buttons) {
                    Fill(dc, x, row.top, x + data->indent, row.bottom, row.rowColour);
                    const int cx = x + data->buttonCentre, cy = row.top + data->rowHeight / 2;
                    if (lines) {
                        DrawDottedLine(dc, cx, row.top | 1, cx, it->nextSibling ? row.bottom : cy + 1);
                        DrawDottedLine(dc, cx + 1 + (cy & 1), cy, x + data->indent, cy);
                    }
                    if (buttons && HasButton(it)) {
                        Fill(dc, cx - 4, cy - 4, cx + 5, cy + 5, data->colours[kColourBox]);
                        Fill(dc, cx - 3, cy - 3, cx + 4, cy + 4, data->colours[kColourBoxInside]);
                        Fill(dc, cx - 2, cy, cx + 3, cy + 1, data->colours[kColourSign]);
                        if (!IsExpanded(it) || (it->state & TVIS_EXPANDPARTIAL))
                            Fill(dc, cx, cy - 2, cx + 1, cy + 3, data->colours[kColourSign]);
                    }
                    x += data->indent;
                }
            }
            if (gridLines) {
                Fill(dc, x, row.top, x + 1, row.bottom, grid);
                gridStart = x;
                ++x;
            }
            const int drawBottom = row.bottom - (gridLines ? 1 : 0);
            RowPaint cellRow = row;
            cellRow.bottom = drawBottom;
            const COLORREF cellBack = ((it->flags & kFlagBackColour) && !markRow) ? it->backColour : row.rowColour;
            const bool bold = (w & TVIS_BOLD) != 0;
            useFont(bold);
            if (data->stateList) {
                Fill(dc, x, row.top, x + data->stateWidth, drawBottom, cellBack);
                DrawImage(data, dc, data->stateList, static_cast<int>((it->state >> 12) & 15), x,
                          row.top + (data->rowHeight - data->stateHeight) / 2, data->stateWidth, data->stateHeight,
                          ILD_TRANSPARENT, cellBack);
                x += data->stateWidth;
            }
            if (data->normalList && image != -2) {
                if ((data->exStyle & TLS_EX_ITEMLINES) && IsExpanded(it) && it->firstChild) ++image;
                it->flags |= kFlagImageDrawn;
                Fill(dc, x, row.top, x + data->imageWidth, drawBottom, cellBack);
                DrawImage(data, dc, data->normalList, image, x, row.top + (data->rowHeight - data->imageHeight) / 2,
                          data->imageWidth, data->imageHeight, (w & 0xF04) | ILD_TRANSPARENT, cellBack);
                x += data->imageWidth;
            } else {
                it->flags &= static_cast<uint8_t>(~kFlagImageDrawn);
            }
            const int limit = data->edges[1] - data->scrollX;
            const TextPiece piece{text, length, &it->textWidth, bold};
            const int end = DrawCellText(data, cellRow, w, piece, x, limit, cellBack, it->textColour,
                                         data->caretItem == item && data->caretColumn == 0, 0, false);
            widest = std::max(widest, end + data->scrollX + 5);
            if (gridLines) {
                const int right = count > 1 ? data->edges[1] - data->scrollX : static_cast<int>(data->clientWidth);
                Fill(dc, gridStart, row.bottom - 1, right, row.bottom, grid);
                if (previousGridStart >= 0 && previousGridStart < gridStart)
                    Fill(dc, previousGridStart, row.bottom - 1, gridStart, row.bottom, grid);
                previousGridStart = gridStart;
            }
        } else if (regions[0]) {
            previousGridStart = indentEnd;
        }

        for (unsigned c = 1; c <= count && count; ++c) {
            if (!asked(c)) continue;
            SelectClipRgn(dc, regions[c]);
            int x = data->edges[c] - data->scrollX;
            const int right = c < count ? data->edges[c + 1] - data->scrollX : static_cast<int>(data->clientWidth);
            if (x >= static_cast<int>(data->clientWidth)) break;
            if (gridLines) {
                Fill(dc, x, row.top, x + 1, row.bottom, grid);
                Fill(dc, x, row.bottom - 1, right, row.bottom, grid);
                ++x;
            }
            const int drawBottom = row.bottom - (gridLines ? 1 : 0);
            TreeTableSubItem* cell = c < count ? CellOf(data, item, c) : nullptr;
            if (!cell) {
                Fill(dc, x, row.top, right, drawBottom, row.rowColour);
                continue;
            }
            UINT cw = cell->state | (static_cast<UINT>(cell->flags) << 16) | (it->state & 0xE2);
            if (!(data->caretItem == item && data->caretColumn == c)) cw &= ~TVIS_SELECTED;
            const wchar_t* text = cell->text ? cell->text : L"";
            int length = cell->textLength;
            int image = cell->image;
            if (cell->callback) {
                if (!AskDisplayInfo(data, item, c, cell->callback, data->textBuffer, &text, &length, &image)) break;
                it = data->items[item];
                cell = CellOf(data, item, c);
                if (!cell) break;
                if (!(cell->callback & kCallText)) {
                    text = cell->text ? cell->text : L"";
                    length = cell->textLength;
                }
            }
            const COLORREF cellBack = ((cell->flags & kFlagBackColour) && !markRow) ? cell->backColour : row.rowColour;
            const TreeTableColumn& col = data->columns[c];
            HIMAGELIST list = data->normalList;
            int iconWidth = data->imageWidth, index = image;
            if (col.editMode == TVAE_CHECK || col.editMode == TVAE_CHECKED) {
                list = data->cellList;
                iconWidth = data->cellWidth;
                index = static_cast<int>((cell->state >> 12) & 15);
                if ((cell->state & 0x8000) && (col.editFlags & TVAE_STATEENABLE)) index &= 7;
            }
            if (list && index >= 0) {
                Fill(dc, x, row.top, x + iconWidth + 2, drawBottom, cellBack);
                const int iconHeight = list == data->cellList ? data->cellHeight : data->imageHeight;
                DrawImage(data, dc, list, index, x + 1, row.top + (data->rowHeight - iconHeight) / 2, iconWidth,
                          iconHeight, list == data->cellList ? ILD_TRANSPARENT : ((cw & 0xF04) | ILD_TRANSPARENT),
                          cellBack);
                cell->flags |= kFlagImageDrawn;
                x += iconWidth + 1;
            } else {
                cell->flags &= static_cast<uint8_t>(~kFlagImageDrawn);
            }
            RowPaint cellRow = row;
            cellRow.bottom = drawBottom;
            const bool bold = (cw & TVIS_BOLD) != 0;
            useFont(bold);
            DrawCellText(data, cellRow, cw, TextPiece{text, length, &cell->textWidth, bold}, x, right, cellBack,
                         cell->textColour, data->caretItem == item && data->caretColumn == c, col.align, true);
        }
    }
    SelectClipRgn(dc, nullptr);
    Fill(dc, area.left, std::max(static_cast<int>(area.top), y), area.right, area.bottom, back);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldFont);
    for (HRGN region : regions)
        if (region) DeleteObject(region);
    if (widest != data->widestRow) {
        data->widestRow = widest;
        if (count == 0) UpdateHScroll(data);
    }
    UnlockTree(data);
}

HIMAGELIST CreateDragImage(TreeTableData* data, unsigned item, unsigned column) {
    TreeTableItem* it = ItemOf(data, item);
    if (!it || (column != 0 && column >= data->columnCount)) return nullptr;
    std::wstring text;
    int image = -2;
    bool bold = (it->state & TVIS_BOLD) != 0;
    if (column == 0) {
        text.assign(it->text ? it->text : L"", it->textLength);
        image = it->image;
    } else if (const TreeTableSubItem* cell = CellOf(data, item, column)) {
        text.assign(cell->text ? cell->text : L"", cell->textLength);
        image = cell->image;
    } else {
        text = L"????";
    }
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ oldFont = SelectObject(dc, bold ? data->boldFont : (data->font ? data->font : SharedFont(false)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    int textX = 0, height = data->textHeight;
    const bool withImage = data->normalList && image >= 0;
    if (withImage) {
        height = std::max(height, data->imageHeight);
        textX = data->imageWidth + 2;
    }
    height = std::min(height, 32);
    const int width = std::min(static_cast<int>(size.cx) + textX, 240);
    const COLORREF key = RGB(123, 77, 91);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    SetTextColor(dc, data->colours[kColourText]);
    SetBkColor(dc, key);
    const RECT all{0, 0, width, height};
    ExtTextOutW(dc, textX, (height - data->textHeight) / 2, ETO_OPAQUE | ETO_CLIPPED, &all, text.c_str(),
                static_cast<UINT>(text.size()), nullptr);
    if (withImage) ImageList_Draw(data->normalList, image, dc, 0, 0, ILD_TRANSPARENT);
    SelectObject(dc, oldBitmap);
    SelectObject(dc, oldFont);
    HIMAGELIST list = ImageList_Create(width, height, ILC_COLORDDB | ILC_MASK, 1, 0);
    if (list) ImageList_AddMasked(list, bitmap, key);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return list;
}
