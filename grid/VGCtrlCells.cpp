// The grid's cell access: the drawn and the stored cell, the single-property setters, counts,
// widths and heights, joins, cell rectangles and the two column-fitting operations.
#include "VGCtrl.h"

#include "VGDataSource.h"
#include "VGLayout.h"

#include <algorithm>

// The grid speaks visible columns, its data sources column ids: every call into a source passes the
// column's id (QueryColumnId) and turns an id it answers back into a visible column
// (VisibleColumnOfId). Side-heading columns (negative) and columns past the last keep their number
// and belong to the sheet's own source.
CVGDataSource* CVGCtrl::SourceOfColumn(int column) const
{
    const CVGGridInfo& info = *m_pInfo;
    if (column >= 0 && column < info.m_columnCount && info.m_columns[static_cast<size_t>(column)].dataSource)
        return info.m_columns[static_cast<size_t>(column)].dataSource;
    return info.m_pDataSource;
}

int CVGCtrl::QueryColumnId(int column) const
{
    if (column < 0 || column >= m_pInfo->m_columnCount)
        return column;
    return m_pInfo->m_columns[static_cast<size_t>(column)].id;
}

int CVGCtrl::VisibleColumnOfId(int id) const
{
    for (int column = 0; column < m_pInfo->m_columnCount; ++column) {
        if (m_pInfo->m_columns[static_cast<size_t>(column)].id == id)
            return column;
    }
    return id;
}

int CVGCtrl::GetEffectiveCell(int column, int row, CVGCell* cell)
{
    CVGGridInfo& info = *m_pInfo;
    cell->SetPropertyWord(0);
    const bool heading = column < 0 || row < 0 || column >= info.m_columnCount;
    if (heading) {
        cell->ReplaceFrom(&info.m_headingDefaultCell);
        // Only the heading row next to the corner's top and the outermost heading column get their
        // own theme elements; other heading cells keep the heading default's.
        if (row == -static_cast<int>(info.m_topHeadingRowHeights.size()))
            cell->PutThemeElement(32);
        else if (column == -static_cast<int>(info.m_sideHeadingColumnWidths.size()))
            cell->PutThemeElement(64);
    } else if (const CVGCell* defaultCell = info.m_columns[static_cast<size_t>(column)].defaultCell.get()) {
        cell->ReplaceFrom(defaultCell);
    }
    if (row < info.m_rowCount) {
        // Read where StoreCell writes: a top-heading cell belongs to its column as a data cell does.
        const int id = QueryColumnId(column);
        CVGDataSource* source = SourceOfColumn(column);
        if (source)
            source->FetchCell(id, row, cell);
        OnCellFetched(id, row, cell);
    }
    if (cell->HasProperty(VGCELL_FORMAT) && cell->ReadFormatObject())
        cell->ReadFormatObject()->ApplyFormat(cell);
    if (cell->HasProperty(VGCELL_STYLECELL) && cell->ReadStyleCell())
        cell->ReadStyleCell()->MergeInto(cell);
    return 0;
}

int CVGCtrl::GetStoredCell(int column, int row, CVGCell* cell)
{
    if (column >= m_pInfo->m_columnCount)
        return 1;
    cell->ReleaseExtras();
    cell->SetPropertyWord(0);
    CVGDataSource* source = SourceOfColumn(column);
    return source ? source->FetchCell(QueryColumnId(column), row, cell) : -1;
}

int CVGCtrl::StoreCell(int column, int row, CVGCell* cell)
{
    const CVGGridInfo& info = *m_pInfo;
    if (column < -static_cast<int>(info.m_sideHeadingColumnWidths.size()) || column >= info.m_columnCount ||
        row < -static_cast<int>(info.m_topHeadingRowHeights.size()) || row > info.m_rowCount)
        return 1;
    OnCellStoring(column, row, cell);
    if (CVGDataSource* source = SourceOfColumn(column))
        source->StoreCell(QueryColumnId(column), row, cell);
    return 0;
}

template <typename Change>
int CVGCtrl::ChangeStoredCell(int column, int row, Change change)
{
    m_scratchCell.ResetAll();
    GetStoredCell(column, row, &m_scratchCell);
    change(m_scratchCell);
    StoreCell(column, row, &m_scratchCell);
    return 0;
}

int CVGCtrl::SetCellText(int column, int row, LPCWSTR text)
{
    return ChangeStoredCell(column, row, [text](CVGCell& cell) { cell.PutText(text); });
}

int CVGCtrl::SetCellAlignment(int column, int row, short alignment)
{
    return ChangeStoredCell(column, row, [alignment](CVGCell& cell) { cell.PutAlignment(alignment); });
}

int CVGCtrl::SetCellTypeIndex(int column, int row, int index)
{
    return ChangeStoredCell(column, row, [index](CVGCell& cell) { cell.PutTypeIndex(index); });
}

int CVGCtrl::SetCellTypeStyle(int column, int row, int style)
{
    return ChangeStoredCell(column, row, [style](CVGCell& cell) { cell.PutTypeStyle(style); });
}

int CVGCtrl::SetCellBackColor(int column, int row, COLORREF colour)
{
    return ChangeStoredCell(column, row, [colour](CVGCell& cell) { cell.PutBackColor(colour); });
}

int CVGCtrl::SetCellTextColor(int column, int row, COLORREF colour)
{
    return ChangeStoredCell(column, row, [colour](CVGCell& cell) { cell.PutTextColor(colour); });
}

int CVGCtrl::SetCellFontPtr(int column, int row, CFont* font)
{
    return ChangeStoredCell(column, row, [font](CVGCell& cell) { cell.PutFont(font); });
}

int CVGCtrl::SetCellFont(int column, int row, int fontIndex)
{
    return SetCellFontPtr(column, row, FontAt(fontIndex));
}

LPCWSTR CVGCtrl::GetCellText(int column, int row)
{
    GetEffectiveCell(column, row, &m_scratchCell);
    const LPCWSTR text = m_scratchCell.ReadText();
    return text ? text : L"";
}

int CVGCtrl::CopyCellText(int column, int row, CString* text)
{
    if (text)
        *text = GetCellText(column, row);
    return 0;
}

int CVGCtrl::GetHeadingDefaultCell(CVGCell* cell)
{
    cell->ReplaceFrom(&m_pInfo->m_headingDefaultCell);
    return 0;
}

int CVGCtrl::SetHeadingDefaultCell(const CVGCell* cell)
{
    m_pInfo->m_headingDefaultCell.ReplaceFrom(cell);
    return 0;
}

int CVGCtrl::GetColumnDefaultCell(int column, CVGCell* cell)
{
    if (column < 0 || column >= m_pInfo->m_columnCount)
        return 1;
    if (const CVGCell* defaultCell = m_pInfo->m_columns[static_cast<size_t>(column)].defaultCell.get())
        cell->ReplaceFrom(defaultCell);
    return 0;
}

int CVGCtrl::SetColumnDefaultCell(int column, const CVGCell* cell)
{
    if (column < 0 || column >= m_pInfo->m_columnCount)
        return 1;
    auto& defaultCell = m_pInfo->m_columns[static_cast<size_t>(column)].defaultCell;
    if (!defaultCell)
        defaultCell = std::make_unique<CVGCell>();
    defaultCell->ReplaceFrom(cell);
    return 0;
}

CVGCellType* CVGCtrl::TypeOfCell(const CVGCell* cell)
{
    return CellTypeAt(cell->HasProperty(VGCELL_TYPEINDEX) ? cell->ReadTypeIndex() : 0);
}

int CVGCtrl::FindTextColumnLeft(int column, int row)
{
    CVGCell stored;
    for (int left = std::min(column, m_pInfo->m_columnCount) - 1; left >= 0; --left) {
        GetStoredCell(left, row, &stored);
        const LPCWSTR text = stored.ReadText();
        if (text && *text)
            return left;
    }
    return -1;
}

CVGCellType* CVGCtrl::CellTypeOfCell(int column, int row)
{
    GetEffectiveCell(column, row, &m_typeCell);
    return TypeOfCell(&m_typeCell);
}

// ---- Counts and sizes ----

int CVGCtrl::SetColumnCount(int count, int repaint)
{
    if (VGLayout::SetColumnRecordCount(*m_pInfo, count) != 0)
        return 1;
    if (m_pInfo->m_currentColumn < 0 && count > 0)
        MoveToColumn(0);
    if (m_pInfo->m_painting && repaint)
        RepaintAll();
    else
        CatchUpLayout();
    return 0;
}

int CVGCtrl::SetRowCount(int count, int repaint)
{
    CVGGridInfo& info = *m_pInfo;
    const int topRow = info.m_topRow;
    if (VGLayout::SetRowRecordCount(info, count) != 0)
        return 1;
    VGLayout::UpdateLargestTopRow(info);
    CatchUpLayout();
    if (info.m_topRow != topRow)
        Synchronise();
    if (info.m_currentRow < 0 && count > 0)
        MoveToRow(0);
    if (info.m_painting && repaint)
        RepaintAll();
    return 0;
}

int CVGCtrl::SetUniformHeights(int on)
{
    const int result = VGLayout::SetUniformHeights(*m_pInfo, on);
    CatchUpLayout();
    return result;
}

int CVGCtrl::QueryColumnWidth(int column) const
{
    return VGLayout::ColumnWidth(*m_pInfo, column);
}

int CVGCtrl::QueryColumnWidthEx(int column, int* width) const
{
    return VGLayout::ColumnWidthEx(*m_pInfo, column, width);
}

int CVGCtrl::QueryRowHeight(int row) const
{
    return VGLayout::RowHeight(*m_pInfo, row);
}

int CVGCtrl::ResizeColumn(int column, int width)
{
    CVGGridInfo& info = *m_pInfo;
    if (column < 0)
        return SetSideHeadingColumnWidth(column, width);
    if (column >= info.m_columnCount)
        return 1;
    if (m_hWnd && IsWindowVisible() && info.m_painting) {
        for (int row = info.m_topRow; row <= info.m_bottomRow && row < info.m_rowCount; ++row)
            CellTypeOfCell(column, row)->OnCellWidthChanged(column, row, &width);
        OnColumnResized(column, &width);
    }
    const int result = VGLayout::StoreColumnWidth(info, column, width);
    CatchUpLayout();
    return result;
}

int CVGCtrl::ResizeRow(int row, int height)
{
    CVGGridInfo& info = *m_pInfo;
    if (row < 0)
        return SetTopHeadingRowHeight(row, height);
    if (row >= info.m_rowCount)
        return 1;
    if (m_hWnd && IsWindowVisible() && info.m_painting) {
        for (int column = info.m_leftColumn; column <= info.m_rightColumn && column < info.m_columnCount; ++column)
            CellTypeOfCell(column, row)->OnCellHeightChanged(column, row, &height);
        OnRowResized(row, &height);
    }
    const int result = VGLayout::StoreRowHeight(info, row, height);
    CatchUpLayout();
    return result;
}

int CVGCtrl::SetSideHeadingColumnWidth(int column, int width)
{
    const int result = VGLayout::SetSideHeadingColumnWidth(*m_pInfo, column, width);
    if (result == 0)
        RecalcLayout();
    return result;
}

int CVGCtrl::SetTopHeadingRowHeight(int row, int height)
{
    const int result = VGLayout::SetTopHeadingRowHeight(*m_pInfo, row, height);
    if (result == 0)
        RecalcLayout();
    return result;
}

int CVGCtrl::SetSideHeadingWidth(int width)
{
    const int result = VGLayout::SetSideHeadingWidth(*m_pInfo, width);
    if (result == 0)
        RecalcLayout();
    return result;
}

int CVGCtrl::SetTopHeadingHeight(int height)
{
    const int result = VGLayout::SetTopHeadingHeight(*m_pInfo, height);
    if (result == 0)
        RecalcLayout();
    return result;
}

int CVGCtrl::SetFrozenColumnCount(int count)
{
    if (VGLayout::SetFrozenColumnCount(*m_pInfo, count) != 0)
        return 1;
    VGLayout::UpdateLargestLeftColumn(*m_pInfo);
    CatchUpLayout();
    return 0;
}

int CVGCtrl::SetFrozenRowCount(int count)
{
    if (VGLayout::SetFrozenRowCount(*m_pInfo, count) != 0)
        return 1;
    VGLayout::UpdateLargestTopRow(*m_pInfo);
    CatchUpLayout();
    return 0;
}

int CVGCtrl::MoveColumn(int from, int to, int before)
{
    return VGLayout::MoveColumnRecord(*m_pInfo, from, to, before);
}

// ---- Joins and rectangles ----

int CVGCtrl::FindJoinBlock(int* column, int* row, int* endColumn, int* endRow)
{
    if (!m_pInfo->m_joinedCells)
        return 1;
    GetEffectiveCell(*column, *row, &m_joinCell);
    int origin = 0, columnOffset = 0, rowOffset = 0;
    if (!m_joinCell.HasProperty(VGCELL_JOIN) || m_joinCell.ReadJoin(&origin, &columnOffset, &rowOffset) != 0)
        return 2;
    if (!origin) {
        *column += columnOffset;
        *row += rowOffset;
        GetEffectiveCell(*column, *row, &m_joinCell);
        if (m_joinCell.ReadJoin(&origin, &columnOffset, &rowOffset) != 0 || !origin)
            columnOffset = rowOffset = 0;
    }
    *endColumn = *column + std::max(0, columnOffset);
    *endRow = *row + std::max(0, rowOffset);
    return 0;
}

int CVGCtrl::FindJoinOrigin(int* column, int* row, CVGCell* cell)
{
    int endColumn = 0, endRow = 0;
    const int result = FindJoinBlock(column, row, &endColumn, &endRow);
    if (result != 0)
        return result;
    GetEffectiveCell(*column, *row, cell);
    return 0;
}

int CVGCtrl::ComputeCellRect(int* column, int* row, RECT* rect)
{
    if (*column < 0)
        return m_sideHeading.ComputeHeadingCellRect(column, row, rect) != 0 ? 0 : 0;
    if (*row < 0)
        return m_topHeading.ComputeHeadingCellRect(column, row, rect) != 0 ? 0 : 0;
    int endColumn = *column, endRow = *row;
    if (m_pInfo->m_joinedCells) {
        int startColumn = *column, startRow = *row;
        if (FindJoinBlock(&startColumn, &startRow, &endColumn, &endRow) == 0) {
            *column = startColumn;
            *row = startRow;
        } else {
            endColumn = *column;
            endRow = *row;
        }
    }
    VGLayout::CellSpanRect(*m_pInfo, *column, *row, endColumn, endRow, rect);
    return 0;
}

int CVGCtrl::HitTestCell(int x, int y, int* column, int* row, RECT* rect)
{
    if (VGLayout::HitTestCell(*m_pInfo, x, y, column, row, rect) != 0)
        return 1;
    if (m_pInfo->m_joinedCells) {
        int startColumn = *column, startRow = *row, endColumn = 0, endRow = 0;
        if (FindJoinBlock(&startColumn, &startRow, &endColumn, &endRow) == 0) {
            *column = startColumn;
            *row = startRow;
            VGLayout::CellSpanRect(*m_pInfo, startColumn, startRow, endColumn, endRow, rect);
        }
    }
    return 0;
}

int CVGCtrl::ComputeRangeRect(int startColumn, int startRow, int endColumn, int endRow, RECT* rect)
{
    VGLayout::RangeRect(*m_pInfo, startColumn, startRow, endColumn, endRow, rect);
    return 0;
}

int CVGCtrl::RequestRowsPastEnd(int row)
{
    const int count = m_pInfo->m_rowCount;
    const int past = row - count + 1;
    int added = 0;
    if (CVGDataSource* source = m_pInfo->m_pDataSource)
        source->OnPastLastRow(count, past, &added);
    OnPastLastRow(count, past, &added);
    return added;
}

// ---- Fitting ----

int CVGCtrl::FitColumnsToWidth(int first, int last)
{
    CVGGridInfo& info = *m_pInfo;
    CRect area;
    if (m_cellArea.GetSafeHwnd())
        m_cellArea.GetClientRect(&area);
    else
        area = CRect(0, 0, info.m_cellAreaWidth, info.m_cellAreaHeight);
    std::vector<int> widths;
    if (VGLayout::FitColumnWidths(info, first, last, area.Width(), &widths) != 0)
        return 1;
    const int painting = info.m_painting;
    info.m_painting = 1;
    if (!painting)
        RecalcLayout();
    for (int column = first; column <= last; ++column)
        ResizeColumn(column, widths[static_cast<size_t>(column - first)]);
    info.m_painting = painting;
    RepaintAll();
    return 0;
}

int CVGCtrl::AutoSizeColumns(int first, int last, int rows, int flags)
{
    CVGGridInfo& info = *m_pInfo;
    const int sideColumns = static_cast<int>(info.m_sideHeadingColumnWidths.size());
    if (first < -sideColumns)
        return 1;
    if (last >= info.m_columnCount)
        return 2;
    if (last < first)
        return 3;
    std::vector<int> best(static_cast<size_t>(last - first + 1), 3);
    const HDC screen = ::GetDC(m_hWnd);
    CDC dc;
    dc.Attach(screen);
    HGDIOBJ oldFont = nullptr;
    if (info.m_pDefaultFont && info.m_pDefaultFont->GetSafeHandle())
        oldFont = dc.SelectObject(info.m_pDefaultFont->GetSafeHandle());
    CVGCell cell;
    const int firstRow = (flags & 1) ? -static_cast<int>(info.m_topHeadingRowHeights.size()) : 0;
    int measured = 0;
    for (int row = firstRow; row < info.m_rowCount; ++row) {
        row = VGLayout::ShownRowFrom(info, row);
        if (row >= info.m_rowCount || (rows > 0 && measured >= rows))
            break;
        int height = 0;
        VGLayout::RowHeightEx(info, row, &height);
        for (int column = first; column <= last; ++column) {
            GetEffectiveCell(column, row, &cell);
            if (cell.HasProperty(VGCELL_JOIN) && info.m_joinedCells)
                continue;
            int width = 0;
            VGLayout::ColumnWidthEx(info, column, &width);
            SIZE size = {width, height};
            TypeOfCell(&cell)->MeasureCell(&dc, &size, &cell);
            int& widest = best[static_cast<size_t>(column - first)];
            widest = std::max<int>(widest, size.cx);
        }
        ++measured;
    }
    CRect area;
    if (m_cellArea.GetSafeHwnd())
        m_cellArea.GetClientRect(&area);
    const int cap = area.Width() == 0 ? 300 : area.Width() - info.m_vScrollWidth;
    int headingTotal = 0;
    for (int column = first; column <= last; ++column) {
        const int widest = best[static_cast<size_t>(column - first)];
        int width = widest > cap ? cap : widest + 2;
        for (int row = info.m_topRow; row <= info.m_bottomRow && row < info.m_rowCount; ++row)
            CellTypeOfCell(column, row)->OnCellWidthChanged(column, row, &width);
        OnColumnResized(column, &width);
        ResizeColumn(column, width);
        if (column < 0)
            headingTotal += width;
    }
    if (headingTotal > 0)
        SetSideHeadingWidth(headingTotal);
    if (oldFont)
        dc.SelectObject(oldFont);
    dc.Detach();
    ::ReleaseDC(m_hWnd, screen);
    RecalcLayout();
    return 0;
}
