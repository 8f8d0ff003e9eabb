#include "VGCellType.h"

#include "CellRedrawList.h"
#include "VGCtrl.h"
#include "VGDataSource.h"
#include "VGGridInfo.h"
#include "VGLayout.h"
#include "VGXPThemes.h"

#include <algorithm>
#include <cmath>

IMPLEMENT_DYNAMIC(CVGCellFormat, CObject)
IMPLEMENT_DYNAMIC(CVGCellType, CObject)

void CVGCellFormat::ApplyFormat(CVGCell*) {}
int CVGCellFormat::FormatQuery(CVGCell*) { return 0; }

namespace {

// {78A705C1-F3E9-11D0-9C7B-0080C83F712F}
constexpr GUID kNormalTypeId = {0x78A705C1, 0xF3E9, 0x11D0, {0x9C, 0x7B, 0x00, 0x80, 0xC8, 0x3F, 0x71, 0x2F}};

// Border style groups: thin, medium and thick lines (left, top, right, bottom bits), and the 3-D frames.
constexpr int kThinBits[4] = {0x1, 0x2, 0x4, 0x8};
constexpr int kMediumBits[4] = {0x10, 0x20, 0x40, 0x80};
constexpr int kThickBits[4] = {0x100, 0x200, 0x400, 0x800};
constexpr int kSunken = 0x1000;
constexpr int kRaised = 0x2000;

// One side's line `depth` pixels in from the edge (0 = on the edge itself).
void SideLine(CDC* dc, const RECT& r, int side, int depth)
{
    switch (side) {
    case 0: dc->MoveTo(r.left + depth, r.top); dc->LineTo(r.left + depth, r.bottom); break;
    case 1: dc->MoveTo(r.left, r.top + depth); dc->LineTo(r.right, r.top + depth); break;
    case 2: dc->MoveTo(r.right - 1 - depth, r.top); dc->LineTo(r.right - 1 - depth, r.bottom); break;
    default: dc->MoveTo(r.left, r.bottom - 1 - depth); dc->LineTo(r.right, r.bottom - 1 - depth); break;
    }
}

CSize BitmapSize(CBitmap* bitmap)
{
    BITMAP info = {};
    if (!bitmap || !bitmap->GetSafeHandle() || !::GetObjectW(bitmap->GetSafeHandle(), sizeof(info), &info))
        return CSize(0, 0);
    return CSize(info.bmWidth, info.bmHeight);
}

}  // namespace

CVGGridInfo* CVGCellType::Info() const
{
    return m_pGrid ? m_pGrid->Info() : nullptr;
}

bool CVGCellType::PaintedWithoutButton(CDC* dc, RECT* rect, int column, int row, CVGCell* cell, int selected,
                                       int current)
{
    if (!m_themeChoiceFixed)
        m_useThemes = cell->ReadVisualStyle();
    const int style = cell->HasProperty(VGCELL_TYPESTYLE) ? cell->ReadTypeStyle() : 0;
    if (!(style & VGSTYLE_BUTTONWHENCURRENT) || current)
        return false;
    CVGCellType::PaintCell(dc, rect, column, row, cell, selected, current);
    return true;
}

int CVGCellType::CanOverflow(CVGCell* cell) const
{
    if (!cell || cell->HasProperty(VGCELL_JOIN) || !cell->HasProperty(VGCELL_ALIGNMENT))
        return 0;
    if (cell->HasProperty(VGCELL_TYPESTYLE) && cell->ReadTypeStyle() != 0)
        return 0;
    if (!(cell->ReadAlignment() & 1))
        return 0;
    return m_overflowAllowed;
}

void CVGCellType::PaintCell(CDC* dc, RECT* rect, int column, int row, CVGCell* cell, int selected, int current)
{
    if (!m_themeChoiceFixed)
        m_useThemes = cell->ReadVisualStyle();
    if (dc->IsPrinting()) {
        PaintCellForPrint(dc, rect, column, row, cell, selected, current);
        return;
    }
    CVGGridInfo* info = Info();
    if (info && info->m_overflowText && CanOverflow(cell)) {
        CellRedrawList* redraw = m_pGrid->CellAreaRedrawList();
        const LPCWSTR text = cell->ReadText();
        if (text && *text) {
            // The neighbour may show the rest of this text: it is drawn after this cell.
            if (redraw)
                redraw->AddCell(column + 1, row);
        } else {
            CVGCell source;
            int sourceColumn = -1;
            const int offset = FindOverflowSource(dc, column, row, &sourceColumn, &source);
            if (offset != 0) {
                PaintBorder(dc, rect, rect, cell);
                PaintText(dc, rect, offset, column, row, &source, selected, current);
                if (redraw)
                    redraw->AddCell(column + 1, row);
                return;
            }
        }
    }
    PaintBorder(dc, rect, rect, cell);
    PaintText(dc, rect, 0, column, row, cell, selected, current);
}

int CVGCellType::FindOverflowSource(CDC* dc, int column, int row, int* sourceColumn, CVGCell* sourceCell)
{
    CVGGridInfo* info = Info();
    if (!info || !info->m_overflowText || column <= 0 || row < 0)
        return 0;
    const int source = m_pGrid->FindTextColumnLeft(column, row);
    if (source < 0)
        return 0;
    m_pGrid->GetEffectiveCell(source, row, sourceCell);
    const int sourceWidth = VGLayout::ColumnWidth(*info, source);
    CVGCellType* type = m_pGrid->TypeOfCell(sourceCell);
    SIZE size = {sourceWidth, VGLayout::RowHeight(*info, row)};
    type->MeasureCell(dc, &size, sourceCell);
    if (sourceWidth >= size.cx || !type->CanOverflow(sourceCell))
        return 0;
    long long sum = 0;
    int reached = source;
    for (; reached < info->m_columnCount; ++reached) {
        sum += VGLayout::ColumnWidth(*info, reached);
        if (sum > size.cx)
            break;
    }
    if (reached < column)
        return 0;
    *sourceColumn = source;
    if (!dc->IsPrinting())
        m_scale = 1.0;
    long long between = 0;
    for (int c = source; c < column; ++c)
        between += VGLayout::ColumnWidth(*info, c);
    return -static_cast<int>(static_cast<double>(between) * m_scale);
}

void CVGCellType::PaintBorder(CDC* dc, RECT* rect, RECT* inner, CVGCell* cell)
{
    const RECT r = *rect;
    CWnd* window = dc->GetWindow();
    if (m_useThemes &&
        VGXPThemes::ThemedEdge(window ? window->GetSafeHwnd() : nullptr, dc->GetSafeHdc(), cell->ReadThemeElement(),
                               VGSTATE_NORMAL, &r, cell->ReadBorderStyle(), BF_RECT, nullptr)) {
        *inner = r;
        return;
    }
    CVGGridInfo* info = Info();
    const bool hasStyle = cell->HasProperty(VGCELL_BORDERSTYLE) != 0;
    const int style = hasStyle ? cell->ReadBorderStyle() & 0xFFFF : 0;
    bool gridLines = info && info->m_drawGridLines;
    if (!hasStyle && !gridLines) {
        *inner = r;
        return;
    }
    const HPEN gridPen = info ? info->m_gridPen : static_cast<HPEN>(::GetStockObject(BLACK_PEN));
    CPen* own = cell->ReadBorderPen();
    const HPEN cellPen = own && own->GetSafeHandle() ? static_cast<HPEN>(own->GetSafeHandle()) : gridPen;
    if (style & (kSunken | kRaised))
        gridLines = false;

    const HGDIOBJ oldPen = dc->SelectObject(static_cast<HGDIOBJ>(cellPen));
    int inset[4] = {0, 0, 0, 0};
    for (int side = 0; side < 4; ++side) {
        const bool own1 = (style & kThinBits[side]) != 0;
        // Grid lines: the right and bottom edges of every cell, in the grid's pen where the cell sets none.
        const bool grid1 = gridLines && (side == 2 || side == 3);
        if (own1 || grid1) {
            dc->SelectObject(static_cast<HGDIOBJ>(own1 ? cellPen : gridPen));
            SideLine(dc, r, side, 0);
            inset[side] = 1;
        }
    }
    dc->SelectObject(static_cast<HGDIOBJ>(cellPen));
    for (int side = 0; side < 4; ++side) {
        if (style & kMediumBits[side]) {
            for (int depth = 0; depth < 2; ++depth)
                SideLine(dc, r, side, depth);
            inset[side] = 2;
        }
        if (style & kThickBits[side]) {
            for (int depth = 0; depth < 3; ++depth)
                SideLine(dc, r, side, depth);
            inset[side] = 3;
        }
    }
    if (style & (kSunken | kRaised)) {
        const int width = info ? info->m_threeDBorderWidth : 1;
        const bool sunken = (style & kSunken) != 0;
        CPen* first = sunken ? m_pGrid->DarkPen() : m_pGrid->LightPen();
        CPen* second = sunken ? m_pGrid->LightPen() : m_pGrid->DarkPen();
        for (int i = 0; i < width; ++i) {
            dc->SelectObject(first);
            dc->MoveTo(r.left + i, r.bottom - i - 1);
            dc->LineTo(r.left + i, r.top + i);
            dc->LineTo(r.right - i - 1, r.top + i);
        }
        for (int i = 0; i < width; ++i) {
            dc->SelectObject(second);
            dc->MoveTo(r.right - i - 1, r.top + i);
            dc->LineTo(r.right - i - 1, r.bottom - i - 1);
            dc->LineTo(r.left + i - 1, r.bottom - i - 1);
        }
        for (int& side : inset)
            side = width;
    }
    dc->SelectObject(oldPen);
    *inner = RECT{r.left + inset[0], r.top + inset[1], r.right - inset[2], r.bottom - inset[3]};
}

void CVGCellType::PaintBackground(CDC* dc, RECT* rect, COLORREF colour, int row, int column, CVGCell* cell, int current,
                                  int selected)
{
    if (cell && m_useThemes && VGXPThemes::ThemesAvailable()) {
        CWnd* window = dc->GetWindow();
        const HWND hwnd = window ? window->GetSafeHwnd() : nullptr;
        RECT area = *rect;
        CVGGridInfo* info = Info();
        int sourceColumn = -1;
        CVGCell source;
        if (row != -1 && column != -1 && info && FindOverflowSource(dc, column, row, &sourceColumn, &source) != 0) {
            for (int c = sourceColumn; c < column; ++c)
                area.left -= VGLayout::ColumnWidth(*info, c);
        }
        const int element = cell->ReadThemeElement();
        const bool drawn = VGXPThemes::ThemedBackground(hwnd, dc->GetSafeHdc(), element,
                                                        VGXPThemes::StateFromFlags(selected, current), &area, rect);
        if (element == VGTHEME_TOPHEADING || element == VGTHEME_SIDEHEADING || element == VGTHEME_HEADING) {
            RECT edge = *rect;
            ::DrawEdge(dc->GetSafeHdc(), &edge, EDGE_BUMP, BF_TOP | BF_RIGHT);
        } else {
            VGXPThemes::ThemedEdge(hwnd, dc->GetSafeHdc(), element, VGSTATE_NORMAL, rect, cell->ReadBorderStyle(), 0,
                                   nullptr);
        }
        if (drawn)
            return;
    }
    dc->FillSolidRect(rect, colour);
    dc->SetBkMode(TRANSPARENT);
}

bool CVGCellType::TryThemedText(CDC* dc, CVGCell* cell, int selected, int current, LPCWSTR text, int length,
                                DWORD flags, RECT* rect)
{
    if (!m_useThemes || !VGXPThemes::ThemesAvailable())
        return false;
    CWnd* window = dc->GetWindow();
    return VGXPThemes::ThemedText(window ? window->GetSafeHwnd() : nullptr, dc->GetSafeHdc(), cell->ReadThemeElement(),
                                  VGXPThemes::StateFromFlags(selected, current), text, length, flags, rect);
}

void CVGCellType::PaintText(CDC* dc, RECT* rect, int a, int column, int row, CVGCell* cell, int selected, int current)
{
    CVGGridInfo* info = Info();
    RECT themed = *rect;
    ::InflateRect(&themed, -a, -a);
    const int style = cell->HasProperty(VGCELL_TYPESTYLE) ? cell->ReadTypeStyle() : 0;
    CString text;
    if (m_showLabel || (style & VGSTYLE_SHOWLABEL)) {
        cell->ReadLabel(text);
    } else if (cell->HasProperty(VGCELL_VALUE)) {
        const LPCWSTR value = cell->ReadText();
        text = value ? value : L"";
    }
    const int alignment = cell->HasProperty(VGCELL_ALIGNMENT) ? cell->ReadAlignment() : 0;
    HGDIOBJ oldFont = nullptr;
    CFont* font = cell->ReadFont();
    if (font && font->GetSafeHandle())
        oldFont = dc->SelectObject(font->GetSafeHandle());

    COLORREF textColour;
    COLORREF backColour;
    if (style & VGSTYLE_DISABLED) {
        textColour = kVGDisabledTextColor;
        backColour = cell->ReadBackColor();
    } else if (selected || (current && info && (info->m_currentCellHighlight & 2))) {
        textColour = cell->ReadHighlightTextColor();
        backColour = cell->ReadHighlightBackColor();
    } else {
        textColour = cell->ReadTextColor();
        backColour = cell->ReadBackColor();
    }
    if (!(cell->ReadThemeElement() == VGTHEME_PUSHBUTTON && VGXPThemes::ThemesAvailable()))
        PaintBackground(dc, rect, backColour, row, column, cell, current != 0, selected != 0);

    const LONG savedLeft = rect->left;
    if (cell->HasProperty(VGCELL_BITMAP)) {
        RECT area = *rect;
        if (a != 0)
            area.left += a;
        const int used = PaintBitmap(dc, cell->ReadBitmap(), &area, backColour);
        if (a != 0)
            a += used;
        else
            rect->left += used;
    }
    dc->SetTextColor(textColour);
    dc->SetBkMode(TRANSPARENT);

    const double scale = dc->IsPrinting() && m_pGrid ? m_pGrid->GetPrintScaleX(dc) : 1.0;
    const int margin = static_cast<int>((info ? info->m_cellMargin : 4) * scale);
    const CSize extent = text.IsEmpty() ? dc->GetTextExtent(L"X", 1) : dc->GetTextExtent(text);
    const int textWidth = text.IsEmpty() ? 0 : extent.cx;
    const int textHeight = extent.cy;
    const int width = rect->right - rect->left;
    const int height = rect->bottom - rect->top;
    int x;
    if (alignment & 4)
        x = rect->left + (width - textWidth) / 2;
    else if (alignment & 2)
        x = rect->right - textWidth - margin;
    else
        x = rect->left + margin + a;
    int y;
    if (alignment & 0x20)
        y = rect->top + (height - textHeight) / 2;
    else if (alignment & 0x10)
        y = rect->bottom - textHeight - 1;
    else
        y = rect->top + 1;
    if (a < 0)
        rect->left -= 1;

    if (!(style & (VGSTYLE_WORDWRAP | VGSTYLE_ELLIPSIS))) {
        RECT at = themed;
        ::OffsetRect(&at, x - at.left, y - at.top);
        DWORD flags = DT_NOPREFIX;
        if (alignment & 0x10) {
            at.top = themed.top;
            flags |= DT_SINGLELINE | DT_BOTTOM;
        }
        if (!TryThemedText(dc, cell, selected, current, text, text.GetLength(), flags, &at))
            dc->ExtTextOut(x, y, ETO_CLIPPED, rect, text, nullptr);
    } else if (style & VGSTYLE_WORDWRAP) {
        RECT area = *rect;
        UINT flags = DT_NOPREFIX | DT_WORDBREAK;
        if (alignment & 4) {
            flags |= DT_CENTER;
        } else if (alignment & 2) {
            flags |= DT_RIGHT;
            area.right -= a + margin;
        } else {
            area.left += a + margin;
        }
        if (!TryThemedText(dc, cell, selected, current, text, text.GetLength(), flags, &area))
            dc->DrawText(text, &area, flags);
    } else {
        RECT area = *rect;
        area.left += 3;
        area.top = y;
        const UINT flags = DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE;
        if (!TryThemedText(dc, cell, selected, current, text, text.GetLength(), flags, &area))
            dc->DrawText(text, &area, flags);
    }
    rect->left = savedLeft;
    if (oldFont)
        dc->SelectObject(oldFont);
}

int CVGCellType::PaintBitmap(CDC* dc, CBitmap* bitmap, RECT* rect, COLORREF backColor)
{
    const CSize natural = BitmapSize(bitmap);
    if (natural.cx <= 0 || natural.cy <= 0)
        return 0;
    const double scale = dc->IsPrinting() && m_pGrid ? m_pGrid->GetPrintScaleX(dc) : 1.0;
    const int m = static_cast<int>(2 * scale);
    int bitmapWidth = static_cast<int>(natural.cx * scale);
    int bitmapHeight = static_cast<int>(natural.cy * scale);
    const int available = rect->bottom - rect->top - 2 * m;
    const int maxWidth = rect->right - rect->left - 2 * m;
    if (available <= 0 || maxWidth <= 0)
        return 0;
    bool reduced = false;
    if (available < bitmapHeight) {
        // Reduced to the available height, the width in the same proportion (hundredths).
        const int percent = available * 100 / bitmapHeight;
        bitmapWidth = bitmapWidth * percent / 100;
        bitmapHeight = available;
        reduced = true;
    }
    if (bitmapWidth > maxWidth) {
        bitmapWidth = maxWidth;
        reduced = true;
    }
    const int left = rect->left + m;
    const int top = rect->top + (rect->bottom - rect->top - bitmapHeight) / 2;
    if (!VGXPThemes::ThemesAvailable()) {
        RECT area = {left, top, left + bitmapWidth, top + bitmapHeight};
        PaintBackground(dc, &area, backColor, -1, -1, nullptr, 0, 0);
    }
    if (dc->IsPrinting()) {
        PrintBitmap(dc, bitmap, CRect(left, top, left + bitmapWidth, top + bitmapHeight));
        return bitmapWidth + 2 * m;
    }
    CDC memory;
    memory.CreateCompatibleDC(dc);
    const HGDIOBJ old = memory.SelectObject(bitmap->GetSafeHandle());
    if (reduced) {
        dc->SetStretchBltMode(COLORONCOLOR);
        dc->StretchBlt(left, top, bitmapWidth, bitmapHeight, &memory, 0, 0, natural.cx, natural.cy, SRCCOPY);
    } else {
        dc->BitBlt(left, top, bitmapWidth, bitmapHeight, &memory, 0, 0, SRCCOPY);
    }
    memory.SelectObject(old);
    return bitmapWidth + 2 * m;
}

void CVGCellType::PrintBitmap(CDC* dc, CBitmap* bitmap, const CRect& area)
{
    const std::vector<BYTE> dib = BitmapToDib(bitmap);
    if (dib.empty())
        return;
    const auto* info = reinterpret_cast<const BITMAPINFO*>(dib.data());
    const BYTE* bits = dib.data() + info->bmiHeader.biSize + PaletteBytes(info->bmiHeader);
    dc->SetStretchBltMode(COLORONCOLOR);
    ::StretchDIBits(dc->GetSafeHdc(), area.left, area.top, area.Width(), area.Height(), 0, 0,
                    info->bmiHeader.biWidth, info->bmiHeader.biHeight, bits, info, DIB_RGB_COLORS, SRCCOPY);
}

void CVGCellType::MeasureCell(CDC* dc, SIZE* size, CVGCell* cell)
{
    HGDIOBJ oldFont = nullptr;
    CFont* font = cell->ReadFont();
    CVGGridInfo* info = Info();
    if (!font && info)
        font = info->m_pDefaultFont;
    if (font && font->GetSafeHandle())
        oldFont = dc->SelectObject(font->GetSafeHandle());
    int bitmapWidth = 0;
    if (cell->HasProperty(VGCELL_BITMAP)) {
        const CSize natural = BitmapSize(cell->ReadBitmap());
        if (natural.cy > 0)
            bitmapWidth = static_cast<int>(static_cast<long long>(natural.cx) * size->cy / natural.cy);
    }
    int textWidth = 0;
    int textHeight = 0;
    if (cell->HasProperty(VGCELL_VALUE)) {
        const LPCWSTR text = cell->ReadText();
        const int style = cell->HasProperty(VGCELL_TYPESTYLE) ? cell->ReadTypeStyle() : 0;
        UINT flags = DT_CALCRECT | DT_NOPREFIX;
        if (style == 0 || (style & VGSTYLE_SINGLELINE))
            flags |= DT_SINGLELINE;
        if (style & VGSTYLE_ELLIPSIS)
            flags |= DT_END_ELLIPSIS;
        if (style & VGSTYLE_WORDWRAP)
            flags |= DT_WORDBREAK;
        RECT area = {0, 0, size->cx > 0 ? size->cx : 1, size->cy};
        if (text && *text) {
            dc->DrawText(text, -1, &area, flags);
            textWidth = area.right - area.left;
            textHeight = area.bottom - area.top;
        }
    }
    size->cx = textWidth + bitmapWidth + 6;
    size->cy = textHeight + 2;
    if (oldFont)
        dc->SelectObject(oldFont);
}

void CVGCellType::PaintCellForPrint(CDC* dc, RECT* rect, int column, int row, CVGCell* cell, int selected, int current)
{
    CVGGridInfo* info = Info();
    m_scale = m_pGrid ? m_pGrid->GetPrintScaleX(dc) : 1.0;
    if (info && info->m_overflowText && CanOverflow(cell)) {
        const LPCWSTR text = cell->ReadText();
        int sourceColumn = -1;
        CVGCell source;
        if ((!text || !*text) && FindOverflowSource(dc, column, row, &sourceColumn, &source) != 0)
            return;  // the source cell's own printing covers this one
    }
    CFont* font = cell->HasProperty(VGCELL_FONT) ? cell->ReadFont() : nullptr;
    const HGDIOBJ oldFont = font && font->GetSafeHandle() ? dc->SelectObject(font->GetSafeHandle()) : nullptr;
    const LPCWSTR text = cell->ReadText();
    int needed = text && *text ? dc->GetTextExtent(text, lstrlenW(text)).cx : 0;
    if (needed > 0)
        needed += static_cast<int>((info ? info->m_cellMargin : 4) * m_scale);
    // A text wider than its column runs on over the empty cells to its right, as on screen, but
    // within the columns being printed.
    if (info && m_pGrid && CanOverflow(cell) && VGLayout::ColumnWidth(*info, column) * m_scale < needed) {
        const VGPrintSettings& print = m_pGrid->PrintSettings();
        const int last = print.lastColumn >= 0 ? std::min(print.lastColumn, info->m_columnCount - 1)
                                               : info->m_columnCount - 1;
        CVGCell next;
        for (int c = column + 1; c <= last && rect->right - rect->left < needed; ++c) {
            next.ResetAll();
            m_pGrid->GetEffectiveCell(c, row, &next);
            const LPCWSTR nextText = next.ReadText();
            if (nextText && *nextText)
                break;
            rect->right += static_cast<LONG>(VGLayout::ColumnWidth(*info, c) * m_scale);
        }
    }
    PaintBorder(dc, rect, rect, cell);
    PaintText(dc, rect, 0, column, row, cell, selected, current);
    if (oldFont)
        dc->SelectObject(oldFont);
}

void CVGCellType::PaintCellScaled(CDC* dc, RECT* rect, int column, int row, CVGCell* cell)
{
    CVGGridInfo* info = Info();
    int rowHeight = 0;
    if (info && row >= 0)
        rowHeight = VGLayout::RowHeight(*info, row);
    else if (info)
        VGLayout::RowHeightEx(*info, row, &rowHeight);
    double height = rect->bottom - rect->top;
    int origin = 0, columnOffset = 0, rowOffset = 0;
    if (cell->HasProperty(VGCELL_JOIN) && cell->ReadJoin(&origin, &columnOffset, &rowOffset) == 0 && origin &&
        rowOffset > 0)
        height /= rowOffset + 1;
    if (column < 0 && row < 0 && info && !info->m_topHeadingRowHeights.empty())
        height /= static_cast<double>(info->m_topHeadingRowHeights.size());
    // A hidden row has no scale of its own: the cell is drawn at its natural size.
    const double scale = rowHeight > 0 ? height / rowHeight : 1.0;

    CFont* base = cell->ReadFont();
    if (!base && info)
        base = info->m_pDefaultFont;
    LOGFONTW logFont = {};
    if (!base || !base->GetSafeHandle() || !::GetObjectW(base->GetSafeHandle(), sizeof(logFont), &logFont))
        ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(logFont), &logFont);
    logFont.lfHeight = static_cast<LONG>(std::lround(logFont.lfHeight * scale));
    CFont scaled;
    scaled.CreateFontIndirect(&logFont);
    const bool hadFont = cell->HasProperty(VGCELL_FONT) != 0;
    CFont* ownFont = cell->ReadFont();
    const HGDIOBJ oldFont = dc->SelectObject(scaled.GetSafeHandle());
    cell->PutFont(&scaled);
    PaintCell(dc, rect, column, row, cell, 0, 0);
    RECT copy = *rect;
    PaintBorder(dc, &copy, &copy, cell);
    // The caller's font goes back into the context (and the cell) before the scaled one is destroyed.
    dc->SelectObject(oldFont);
    if (hadFont)
        cell->PutFont(ownFont);
    else
        cell->SetPropertyWord(cell->GetPropertyWord() & ~static_cast<DWORD>(VGCELL_FONT));
}

int CVGCellType::NotifyGrid(int typeIndex, int column, int row, long message, LPARAM parameter)
{
    return m_pGrid ? m_pGrid->OnCellTypeMessage(typeIndex, column, row, message, parameter) : 1;
}

LPCWSTR CVGCellType::GetTypeName() { return L"Normal Cell Type (default)"; }
const GUID* CVGCellType::GetTypeId() { return &kNormalTypeId; }
int CVGCellType::ShrinkEditRect(RECT*) { return 0; }
int CVGCellType::ReservedQueryA(int, int) { return -1; }
int CVGCellType::ReservedQueryB(int, int) { return -1; }
int CVGCellType::OnLButton(int, int, int, RECT*, POINT*) { return 0; }
int CVGCellType::OnRButton(int, int, int, RECT*, POINT*) { return 0; }
int CVGCellType::OnDoubleClick(int, int, RECT*, POINT*) { return 0; }
int CVGCellType::OnKeyDown(int, int, UINT*) { return 0; }
int CVGCellType::OnKeyUp(int, int, UINT*) { return 0; }
int CVGCellType::OnChar(int, int, UINT*) { return 0; }
int CVGCellType::OnMouseMove(int, int, POINT*, UINT) { return 0; }
int CVGCellType::DrawFocusHook(CDC*, RECT*, int, int) { return 0; }
void CVGCellType::OnCellSetFocus(int, int, CVGCell*) {}
void CVGCellType::OnCellKillFocus(int, int, CVGCell*) {}
void CVGCellType::OnCellWidthChanged(int, int, int*) {}
void CVGCellType::OnCellWidthChanging(int, int, int*) {}
void CVGCellType::OnCellHeightChanged(int, int, int*) {}
void CVGCellType::OnCellHeightChanging(int, int, int*) {}
void CVGCellType::ReservedHook(int, int, CVGCell*) {}
int CVGCellType::ReservedQueryC() { return 0; }
int CVGCellType::ReservedQueryD(LPARAM) { return 0; }
