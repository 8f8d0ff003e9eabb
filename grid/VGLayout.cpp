#include "VGLayout.h"

#include "VGGridInfo.h"

#include <algorithm>
#include <climits>

namespace VGLayout {

namespace {

constexpr int kMaxColumnCount = 32000;
// Above this many rows a sheet keeps no per-row heights.
constexpr int kUniformRowThreshold = 64000;
constexpr int kMaxHeadingSize = 1024;

int Clamp(int value, int low, int high)
{
    return std::max(low, std::min(value, high));
}

int ToInt(long long value)
{
    return static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, value)));
}

long long SumWidths(const CVGGridInfo& info, int from, int to)
{
    long long sum = 0;
    for (int column = std::max(from, 0); column < to; ++column)
        sum += ColumnWidth(info, column);
    return sum;
}

long long SumHeights(const CVGGridInfo& info, int from, int to)
{
    from = std::max(from, 0);
    if (to <= from)
        return 0;
    if (info.m_uniformHeights)
        return static_cast<long long>(to - from) * info.m_defaultRowHeight;
    long long sum = 0;
    for (int row = from; row < to; ++row)
        sum += RowHeight(info, row);
    return sum;
}

// Left edge of a column in the cell area: frozen columns from 0, the others from the left column on;
// a scrolled-away column sits at the frozen width.
long long ColumnLeftEdge(const CVGGridInfo& info, int column)
{
    if (column < info.m_frozenColumnCount)
        return SumWidths(info, 0, column);
    if (column < info.m_leftColumn)
        return info.m_frozenColumnsWidth;
    return info.m_frozenColumnsWidth + SumWidths(info, info.m_leftColumn, column);
}

long long RowTopEdge(const CVGGridInfo& info, int row)
{
    if (row < info.m_frozenRowCount)
        return SumHeights(info, 0, row);
    if (row < info.m_topRow)
        return info.m_frozenRowsHeight;
    return info.m_frozenRowsHeight + SumHeights(info, info.m_topRow, row);
}

void ColumnSpan(const CVGGridInfo& info, int column, int endColumn, LONG* left, LONG* right)
{
    *left = ToInt(ColumnLeftEdge(info, column));
    const bool endScrolledAway = endColumn >= info.m_frozenColumnCount && endColumn < info.m_leftColumn;
    *right = endScrolledAway ? info.m_frozenColumnsWidth
                             : ToInt(ColumnLeftEdge(info, endColumn) + ColumnWidth(info, endColumn));
}

void RowSpan(const CVGGridInfo& info, int row, int endRow, LONG* top, LONG* bottom)
{
    *top = ToInt(RowTopEdge(info, row));
    const bool endScrolledAway = endRow >= info.m_frozenRowCount && endRow < info.m_topRow;
    *bottom = endScrolledAway ? info.m_frozenRowsHeight : ToInt(RowTopEdge(info, endRow) + RowHeight(info, endRow));
}

// The data column under x (frozen columns first, then from the left column); -1 when none.
int ColumnAtX(const CVGGridInfo& info, int x)
{
    if (x < 0 || x >= info.m_cellAreaWidth)
        return -1;
    long long sum = 0;
    for (int column = 0; column < info.m_frozenColumnCount && column < info.m_columnCount; ++column) {
        sum += ColumnWidth(info, column);
        if (sum > x)
            return column;
    }
    for (int column = info.m_leftColumn; column < info.m_columnCount; ++column) {
        sum += ColumnWidth(info, column);
        if (sum > x)
            return column;
    }
    return -1;
}

int RowAtY(const CVGGridInfo& info, int y)
{
    if (y < 0 || y >= info.m_cellAreaHeight)
        return -1;
    if (info.m_uniformHeights) {
        const int height = info.m_defaultRowHeight;
        if (height <= 0)
            return -1;
        const int row = y < info.m_frozenRowsHeight ? y / height
                                                    : info.m_topRow + (y - info.m_frozenRowsHeight) / height;
        return row < info.m_rowCount ? row : -1;
    }
    long long sum = 0;
    for (int row = 0; row < info.m_frozenRowCount && row < info.m_rowCount; ++row) {
        sum += RowHeight(info, row);
        if (sum > y)
            return row;
    }
    for (int row = info.m_topRow; row < info.m_rowCount; ++row) {
        sum += RowHeight(info, row);
        if (sum > y)
            return row;
    }
    return -1;
}

// Page walk over rows; rows from defaultFrom on (and rows outside the sheet) count with the
// default height. Hidden rows are passed over, never landed on, unless the walk runs out.
int PageRows(const CVGGridInfo& info, int from, int direction, int defaultFrom)
{
    const int step = direction < 0 ? -1 : 1;
    auto heightOf = [&](int row) {
        return (row < 0 || row >= info.m_rowCount || row >= defaultFrom) ? info.m_defaultRowHeight
                                                                          : RowHeight(info, row);
    };
    long long space = static_cast<long long>(info.m_cellAreaHeight) - info.m_frozenRowsHeight - heightOf(from);
    for (int row = from;;) {
        const int next = row + step;
        if (next < 0)
            return 0;
        const int height = heightOf(next);
        if (next >= info.m_rowCount && height <= 0)
            return next;
        if (height > 0 && space < height)
            return next;
        space -= height;
        row = next;
    }
}

// Heading sizes scaled to a new total, each rounded half up.
int ScaleSizes(std::vector<int>& sizes, int newTotal)
{
    long long total = 0;
    for (int size : sizes)
        total += size;
    if (total <= 0)
        return 1;
    for (int& size : sizes)
        size = static_cast<int>((2LL * size * newTotal + total) / (2 * total));
    return 0;
}

}  // namespace

int ColumnWidth(const CVGGridInfo& info, int column)
{
    if (column < 0 || column >= info.m_columnCount || column >= static_cast<int>(info.m_columns.size()))
        return 0;
    return info.m_columns[column].width;
}

int ColumnWidthEx(const CVGGridInfo& info, int column, int* width)
{
    if (column >= 0) {
        if (column >= info.m_columnCount || column >= static_cast<int>(info.m_columns.size()))
            return 1;
        *width = info.m_columns[column].width;
        return 0;
    }
    const size_t index = static_cast<size_t>(-(column + 1));
    if (index >= info.m_sideHeadingColumnWidths.size())
        return 1;
    *width = info.m_sideHeadingColumnWidths[index];
    return 0;
}

int RowHeight(const CVGGridInfo& info, int row)
{
    if (row < 0 || row >= info.m_rowCount)
        return 0;
    if (info.m_uniformHeights || row >= static_cast<int>(info.m_rowHeights.size()))
        return info.m_defaultRowHeight;
    return info.m_rowHeights[row];
}

int RowHeightEx(const CVGGridInfo& info, int row, int* height)
{
    if (row >= 0) {
        if (row >= info.m_rowCount)
            return 1;
        *height = RowHeight(info, row);
        return 0;
    }
    const size_t index = static_cast<size_t>(-(row + 1));
    if (index >= info.m_topHeadingRowHeights.size())
        return 1;
    *height = info.m_topHeadingRowHeights[index];
    return 0;
}

int SetColumnRecordCount(CVGGridInfo& info, int count)
{
    if (count < 0 || count > kMaxColumnCount)
        return 1;
    info.m_frozenColumnCount = std::min(info.m_frozenColumnCount, std::max(count - 1, 0));
    const int kept = std::min(count, static_cast<int>(info.m_columns.size()));
    info.m_columns.resize(kept);
    info.m_columns.reserve(count);
    for (int column = kept; column < count; ++column) {
        VGColumnRecord record;
        record.width = info.m_defaultColumnWidth;
        record.dataSource = info.m_pDataSource;
        record.defaultCell = std::make_unique<CVGCell>();
        record.defaultCell->ReplaceFrom(&info.m_gridDefaultCell);
        record.id = column;
        info.m_columns.push_back(std::move(record));
    }
    info.m_columnCount = count;
    if (info.m_currentColumn >= count) {
        info.m_currentColumn = count - 1;
        info.m_targetColumn = count - 1;
    }
    info.m_targetColumn = std::min(info.m_targetColumn, count - 1);
    UpdateFrozenSizes(info);
    UpdateLargestLeftColumn(info);
    return 0;
}

int SetRowRecordCount(CVGGridInfo& info, int count)
{
    if (count < 0)
        return 1;
    info.m_frozenRowCount = std::min(info.m_frozenRowCount, std::max(count - 1, 0));
    if (count > kUniformRowThreshold)
        SetUniformHeights(info, 1);
    if (!info.m_uniformHeights)
        info.m_rowHeights.resize(count, info.m_defaultRowHeight);
    info.m_rowCount = count;
    if (info.m_currentRow >= count) {
        info.m_currentRow = count - 1;
        info.m_previousRow = count - 1;
        info.m_targetRow = count - 1;
    }
    info.m_targetRow = std::min(info.m_targetRow, count - 1);
    UpdateFrozenSizes(info);
    return 0;
}

int SetUniformHeights(CVGGridInfo& info, int on)
{
    if (on) {
        std::vector<int>().swap(info.m_rowHeights);
        info.m_uniformHeights = 1;
    } else if (info.m_uniformHeights) {
        info.m_rowHeights.assign(std::max(info.m_rowCount, 0), info.m_defaultRowHeight);
        info.m_uniformHeights = 0;
    }
    UpdateFrozenSizes(info);
    return 0;
}

int MoveColumnRecord(CVGGridInfo& info, int from, int to, int before)
{
    const int count = static_cast<int>(info.m_columns.size());
    if (from < 0 || from >= count || to < 0 || to >= count)
        return 1;
    int insertAt = before ? to : to + 1;
    if (insertAt == from || insertAt == from + 1)
        return 0;
    VGColumnRecord moved = std::move(info.m_columns[from]);
    info.m_columns.erase(info.m_columns.begin() + from);
    if (from < insertAt)
        --insertAt;
    info.m_columns.insert(info.m_columns.begin() + insertAt, std::move(moved));
    UpdateFrozenSizes(info);
    return 0;
}

int StoreColumnWidth(CVGGridInfo& info, int column, int width)
{
    if (column < 0)
        return SetSideHeadingColumnWidth(info, column, width);
    if (column >= info.m_columnCount || column >= static_cast<int>(info.m_columns.size()) || width < 0)
        return 1;
    info.m_columns[column].width = width;
    if (column < info.m_frozenColumnCount)
        UpdateFrozenSizes(info);
    return 0;
}

int StoreRowHeight(CVGGridInfo& info, int row, int height)
{
    if (row < 0)
        return SetTopHeadingRowHeight(info, row, height);
    if (row >= info.m_rowCount || height < 0)
        return 1;
    if (info.m_uniformHeights)
        info.m_defaultRowHeight = height;
    else if (row < static_cast<int>(info.m_rowHeights.size()))
        info.m_rowHeights[row] = height;
    if (info.m_uniformHeights || row < info.m_frozenRowCount)
        UpdateFrozenSizes(info);
    return 0;
}

int SetSideHeadingColumnWidth(CVGGridInfo& info, int column, int width)
{
    std::vector<int>& widths = info.m_sideHeadingColumnWidths;
    if (column >= 0 || static_cast<size_t>(-(column + 1)) >= widths.size())
        return 1;
    if (width < 0 || width > kMaxHeadingSize)
        return 2;
    widths[-(column + 1)] = width;
    if (widths.size() == 1)
        info.m_sideHeadingWidth = width;
    return 0;
}

int SetTopHeadingRowHeight(CVGGridInfo& info, int row, int height)
{
    std::vector<int>& heights = info.m_topHeadingRowHeights;
    if (row >= 0 || static_cast<size_t>(-(row + 1)) >= heights.size())
        return 1;
    if (height < 0 || height > kMaxHeadingSize)
        return 2;
    heights[-(row + 1)] = height;
    if (heights.size() == 1)
        info.m_topHeadingHeight = height;
    return 0;
}

int SetSideHeadingWidth(CVGGridInfo& info, int width)
{
    if (width < 0 || width > kMaxHeadingSize || ScaleSizes(info.m_sideHeadingColumnWidths, width) != 0)
        return 1;
    info.m_sideHeadingWidth = width;
    return 0;
}

int SetTopHeadingHeight(CVGGridInfo& info, int height)
{
    if (height < 0 || height > kMaxHeadingSize || ScaleSizes(info.m_topHeadingRowHeights, height) != 0)
        return 1;
    info.m_topHeadingHeight = height;
    return 0;
}

void FitSideHeadingColumns(CVGGridInfo& info)
{
    std::vector<int>& widths = info.m_sideHeadingColumnWidths;
    if (widths.empty())
        return;
    long long others = 0;
    for (size_t index = 0; index + 1 < widths.size(); ++index)
        others += widths[index];
    widths.back() = ToInt(std::max<long long>(0, info.m_sideHeadingWidth - others));
}

void FitTopHeadingRows(CVGGridInfo& info)
{
    std::vector<int>& heights = info.m_topHeadingRowHeights;
    if (heights.empty())
        return;
    long long others = 0;
    for (size_t index = 0; index + 1 < heights.size(); ++index)
        others += heights[index];
    heights.back() = ToInt(std::max<long long>(0, info.m_topHeadingHeight - others));
}

int SetFrozenColumnCount(CVGGridInfo& info, int count)
{
    if (count < 0 || count > info.m_columnCount)
        return 1;
    info.m_frozenColumnCount = count;
    UpdateFrozenSizes(info);
    info.m_leftColumn = count;
    info.m_previousLeftColumn = count;
    UpdateLargestLeftColumn(info);
    return 0;
}

int SetFrozenRowCount(CVGGridInfo& info, int count)
{
    if (count < 0 || count > info.m_rowCount)
        return 1;
    info.m_frozenRowCount = count;
    UpdateFrozenSizes(info);
    info.m_topRow = count;
    info.m_previousTopRow = count;
    UpdateLargestTopRow(info);
    return 0;
}

void UpdateFrozenSizes(CVGGridInfo& info)
{
    info.m_frozenColumnsWidth = ToInt(SumWidths(info, 0, info.m_frozenColumnCount));
    info.m_frozenRowsHeight = ToInt(SumHeights(info, 0, std::min(info.m_frozenRowCount, info.m_rowCount)));
}

int LargestLeftColumn(const CVGGridInfo& info)
{
    const int frozen = info.m_frozenColumnCount;
    const int last = info.m_columnCount - 1;
    long long space = static_cast<long long>(info.m_cellAreaWidth) - info.m_frozenColumnsWidth;
    int largest = frozen;
    for (int column = last; column >= frozen; --column) {
        space -= ColumnWidth(info, column);
        if (space < 0) {
            largest = column + 1;
            break;
        }
    }
    return Clamp(largest, frozen, std::max(last, frozen));
}

int LargestTopRow(const CVGGridInfo& info)
{
    const int frozen = info.m_frozenRowCount;
    const int last = info.m_rowCount - 1;
    long long space = static_cast<long long>(info.m_cellAreaHeight) - info.m_frozenRowsHeight;
    int largest = frozen;
    if (info.m_uniformHeights) {
        const int height = info.m_defaultRowHeight;
        if (height > 0)
            largest = space < 0 ? last : ToInt(last - space / height + 1);
    } else {
        for (int row = last; row >= frozen; --row) {
            space -= RowHeight(info, row);
            if (space < 0) {
                largest = row + 1;
                break;
            }
        }
    }
    return Clamp(largest, frozen, std::max(last, frozen));
}

void UpdateLargestLeftColumn(CVGGridInfo& info)
{
    info.m_largestLeftColumn = LargestLeftColumn(info);
    info.m_leftColumn = Clamp(info.m_leftColumn, info.m_frozenColumnCount, info.m_largestLeftColumn);
}

void UpdateLargestTopRow(CVGGridInfo& info)
{
    info.m_largestTopRow = LargestTopRow(info);
    info.m_topRow = Clamp(info.m_topRow, info.m_frozenRowCount, info.m_largestTopRow);
}

int LeftColumnShowing(const CVGGridInfo& info, int column)
{
    if (column < info.m_frozenColumnCount)
        return info.m_leftColumn;
    if (column < info.m_leftColumn)
        return column;
    const long long space = static_cast<long long>(info.m_cellAreaWidth) - info.m_frozenColumnsWidth;
    long long sum = 0;
    int left = column;
    for (int candidate = column; candidate >= info.m_leftColumn; --candidate) {
        sum += ColumnWidth(info, candidate);
        if (sum > space)
            break;
        left = candidate;
    }
    return left;
}

int TopRowShowing(const CVGGridInfo& info, int row)
{
    if (row < info.m_frozenRowCount)
        return info.m_topRow;
    if (row < info.m_topRow)
        return row;
    const long long space = static_cast<long long>(info.m_cellAreaHeight) - info.m_frozenRowsHeight;
    if (info.m_uniformHeights) {
        const int height = info.m_defaultRowHeight;
        if (height <= 0)
            return info.m_topRow;
        if (space < height)
            return row;
        return std::max(info.m_topRow, ToInt(row - space / height + 1));
    }
    long long sum = 0;
    int top = row;
    for (int candidate = row; candidate >= info.m_topRow; --candidate) {
        sum += RowHeight(info, candidate);
        if (sum > space)
            break;
        top = candidate;
    }
    return top;
}

int ShownColumnFrom(const CVGGridInfo& info, int column)
{
    return column == info.m_frozenColumnCount && column < info.m_leftColumn ? info.m_leftColumn : column;
}

int ShownRowFrom(const CVGGridInfo& info, int row)
{
    return row == info.m_frozenRowCount && row < info.m_topRow ? info.m_topRow : row;
}

void CellSpanRect(const CVGGridInfo& info, int column, int row, int endColumn, int endRow, RECT* rect)
{
    ColumnSpan(info, std::min(column, endColumn), std::max(column, endColumn), &rect->left, &rect->right);
    RowSpan(info, std::min(row, endRow), std::max(row, endRow), &rect->top, &rect->bottom);
}

int HitTestCell(const CVGGridInfo& info, int x, int y, int* column, int* row, RECT* rect)
{
    const int hitColumn = ColumnAtX(info, x);
    const int hitRow = hitColumn < 0 ? -1 : RowAtY(info, y);
    if (hitColumn < 0 || hitRow < 0)
        return 1;
    *column = hitColumn;
    *row = hitRow;
    if (rect)
        CellSpanRect(info, hitColumn, hitRow, hitColumn, hitRow, rect);
    return 0;
}

void RangeRect(const CVGGridInfo& info, int startColumn, int startRow, int endColumn, int endRow, RECT* rect)
{
    const int firstColumn = std::min(startColumn, endColumn);
    const int firstRow = std::min(startRow, endRow);
    CellSpanRect(info, startColumn, startRow, endColumn, endRow, rect);
    const LONG outsideRight = info.m_cellAreaWidth + 10;
    const LONG outsideBottom = info.m_cellAreaHeight + 10;
    if (firstColumn >= info.m_frozenColumnCount && firstColumn < info.m_leftColumn)
        rect->left = -10;
    if (firstRow >= info.m_frozenRowCount && firstRow < info.m_topRow)
        rect->top = -10;
    rect->left = std::min(rect->left, outsideRight);
    rect->top = std::min(rect->top, outsideBottom);
    rect->right = std::min(rect->right, outsideRight);
    rect->bottom = std::min(rect->bottom, outsideBottom);
}

int TopHeadingCellRect(const CVGGridInfo& info, int column, int row, RECT* rect)
{
    const std::vector<int>& heights = info.m_topHeadingRowHeights;
    if (column < 0 || column >= info.m_columnCount || row >= 0 || static_cast<size_t>(-(row + 1)) >= heights.size())
        return 1;
    ColumnSpan(info, column, column, &rect->left, &rect->right);
    // Row -n is topmost: the rows above row r are the entries from -r up to n - 1.
    long long top = 0;
    for (size_t index = static_cast<size_t>(-row); index < heights.size(); ++index)
        top += heights[index];
    rect->top = ToInt(top);
    rect->bottom = ToInt(top + heights[-(row + 1)]);
    return 0;
}

int SideHeadingCellRect(const CVGGridInfo& info, int column, int row, RECT* rect)
{
    const std::vector<int>& widths = info.m_sideHeadingColumnWidths;
    if (row < 0 || row >= info.m_rowCount || column >= 0 || static_cast<size_t>(-(column + 1)) >= widths.size())
        return 1;
    long long left = 0;
    for (size_t index = static_cast<size_t>(-column); index < widths.size(); ++index)
        left += widths[index];
    rect->left = ToInt(left);
    rect->right = ToInt(left + widths[-(column + 1)]);
    RowSpan(info, row, row, &rect->top, &rect->bottom);
    return 0;
}

int HitTestTopHeading(const CVGGridInfo& info, int x, int y, int* column, int* row, RECT* rect)
{
    *column = -1;
    *row = -1;
    const int hitColumn = ColumnAtX(info, x);
    if (hitColumn < 0 || y < 0)
        return 1;
    const std::vector<int>& heights = info.m_topHeadingRowHeights;
    long long bottom = 0;
    for (size_t index = heights.size(); index-- > 0;) {
        bottom += heights[index];
        if (bottom > y) {
            *column = hitColumn;
            *row = -static_cast<int>(index) - 1;
            if (rect)
                TopHeadingCellRect(info, *column, *row, rect);
            return 0;
        }
    }
    return 1;
}

int HitTestSideHeading(const CVGGridInfo& info, int x, int y, int* column, int* row, RECT* rect)
{
    *column = -1;
    *row = -1;
    const int hitRow = RowAtY(info, y);
    if (hitRow < 0 || x < 0)
        return 1;
    const std::vector<int>& widths = info.m_sideHeadingColumnWidths;
    long long right = 0;
    for (size_t index = widths.size(); index-- > 0;) {
        right += widths[index];
        if (right > x) {
            *column = -static_cast<int>(index) - 1;
            *row = hitRow;
            if (rect)
                SideHeadingCellRect(info, *column, *row, rect);
            return 0;
        }
    }
    return 1;
}

int PageColumnTarget(const CVGGridInfo& info, int from, int direction)
{
    const int last = info.m_columnCount - 1;
    if (last < 0)
        return from;
    const int step = direction < 0 ? -1 : 1;
    auto widthOf = [&](int column) { return column < 0 ? info.m_defaultColumnWidth : ColumnWidth(info, column); };
    long long space = static_cast<long long>(info.m_cellAreaWidth) - info.m_frozenColumnsWidth - widthOf(from);
    for (int column = from;;) {
        const int next = column + step;
        if (next > last)
            return last;
        if (next < 0)
            return 0;
        const int width = widthOf(next);
        if (width > 0 && space < width)
            return next;
        space -= width;
        column = next;
    }
}

int PageRowTarget(const CVGGridInfo& info, int from, int direction)
{
    return PageRows(info, from, direction, info.m_rowCount);
}

int PageTopRow(const CVGGridInfo& info, int direction)
{
    return PageRows(info, info.m_topRow, direction, info.m_largestTopRow);
}

int StepTopRow(const CVGGridInfo& info, int direction)
{
    const int top = info.m_topRow;
    if (direction > 0) {
        if (top >= info.m_rowCount - 1)
            return top;
        int row = top + 1;
        while (row < info.m_rowCount - 1 && RowHeight(info, row) == 0)
            ++row;
        return row;
    }
    int row = top - 1;
    while (row > info.m_frozenRowCount && RowHeight(info, row) == 0)
        --row;
    return std::max(row, info.m_frozenRowCount);
}

SectionRects ComputeSections(const CVGGridInfo& info, int clientWidth, int clientHeight)
{
    const int W = clientWidth;
    const int H = clientHeight;
    const int S = info.m_sideHeadingWidth;
    const int T = info.m_topHeadingHeight;
    long long available = static_cast<long long>(W) - S;
    long long availableHeight = static_cast<long long>(H) - T;

    // The sums stop as soon as they pass the space: only whether everything fits matters.
    long long columnsWidth = 0;
    for (int column = 0; column < info.m_columnCount && columnsWidth <= available; ++column)
        columnsWidth += ColumnWidth(info, column);
    long long rowsHeight = 0;
    if (info.m_uniformHeights) {
        const int height = info.m_defaultRowHeight;
        if (height > 0 && availableHeight >= 0)
            rowsHeight = std::min<long long>(info.m_rowCount, availableHeight / height + 1) * height;
    } else {
        for (int row = 0; row < info.m_rowCount && rowsHeight <= availableHeight; ++row)
            rowsHeight += RowHeight(info, row);
    }

    int V = info.m_vScrollWidth;
    int Hs = info.m_hScrollHeight;
    long long K = info.m_tabStripWidth;
    if (K > 0 || available < columnsWidth)
        availableHeight -= Hs;
    if (availableHeight < rowsHeight)
        available -= V;
    if (available >= columnsWidth && K < 1)
        Hs = 0;
    if (availableHeight >= rowsHeight)
        V = 0;
    // With no horizontal scrolling the tabs take the whole bottom edge.
    if (available >= columnsWidth && K >= 1)
        K = static_cast<long long>(W) + 6;
    else if (K > 0 && K >= available - V)
        K = available - V;
    const int tab = ToInt(K);

    SectionRects sections;
    sections.vScroll = CRect(W - V, 0, W, H - Hs);
    sections.hScroll = CRect(tab, H - Hs, W - V, H);
    sections.tabs = CRect(0, H - Hs, tab, H);
    sections.topHeading = CRect(S, 0, W - V, T);
    sections.sideHeading = CRect(0, T, S, H - Hs);
    sections.corner = CRect(0, 0, S, T);
    sections.cells = CRect(S, T, W - V, H - Hs);
    return sections;
}

bool SectionRects::operator==(const SectionRects& other) const
{
    return cells == other.cells && topHeading == other.topHeading && sideHeading == other.sideHeading &&
           corner == other.corner && vScroll == other.vScroll && hScroll == other.hScroll && tabs == other.tabs;
}

void StoreSections(CVGGridInfo& info, const SectionRects& sections)
{
    info.m_vScrollRect = sections.vScroll;
    info.m_hScrollRect = sections.hScroll;
    info.m_tabStripRect = sections.tabs;
    info.m_topHeadingRect = sections.topHeading;
    info.m_sideHeadingRect = sections.sideHeading;
    info.m_cornerRect = sections.corner;
    info.m_cellAreaRect = sections.cells;
    info.m_cellAreaWidth = info.m_cellAreaRect.Width();
    info.m_cellAreaHeight = info.m_cellAreaRect.Height();
}

void LayOutSections(CVGGridInfo& info, int clientWidth, int clientHeight)
{
    StoreSections(info, ComputeSections(info, clientWidth, clientHeight));
}

int FitColumnWidths(const CVGGridInfo& info, int first, int last, int space, std::vector<int>* widths)
{
    if (first < 0 || last < first || last >= info.m_columnCount)
        return 1;
    const long long total = SumWidths(info, first, last + 1);
    if (total <= 0)
        return 1;
    const double ratio = static_cast<double>(space) / static_cast<double>(total);
    widths->clear();
    int remaining = space;
    for (int column = first; column < last; ++column) {
        const int width = static_cast<int>(ColumnWidth(info, column) * ratio);
        widths->push_back(width);
        remaining -= width;
    }
    widths->push_back(remaining);
    return 0;
}

}  // namespace VGLayout
