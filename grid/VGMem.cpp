#include "VGMem.h"

#include "VGCell.h"
#include "VGGridHost.h"
#include "VGGridInfo.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <cwchar>
#include <numeric>
#include <vector>

namespace {

bool TextMatchesExactly(LPCWSTR cellText, LPCWSTR needle, int flags)
{
    if (flags & 1)
        return std::wcsstr(cellText, needle) != nullptr;
    return std::wcscmp(cellText, needle) == 0;
}

bool TextMatches(LPCWSTR cellText, const CString& needle, int flags)
{
    if (!cellText || !*cellText)
        return false;
    if (flags & 2) {
        CString lowered(cellText);
        lowered.MakeLower();
        return TextMatchesExactly(lowered, needle, flags);
    }
    return TextMatchesExactly(cellText, needle, flags);
}

}  // namespace

template <typename Node>
Node* CVGMem::NodePool<Node>::Make()
{
    if (!m_free.empty()) {
        Node* node = m_free.back();
        m_free.pop_back();
        *node = Node{};
        return node;
    }
    if (m_usedInLastChunk == kChunkSize) {
        m_chunks.push_back(std::make_unique<Node[]>(kChunkSize));
        m_usedInLastChunk = 0;
    }
    return &m_chunks.back()[m_usedInLastChunk++];
}

template <typename Node>
void CVGMem::NodePool<Node>::Free(Node* node)
{
    m_free.push_back(node);
}

template <typename Node>
void CVGMem::NodePool<Node>::Clear()
{
    m_chunks.clear();
    m_free.clear();
    m_usedInLastChunk = kChunkSize;
}

CVGCell* CVGMem::CellPool::Make(const CVGCell& from)
{
    void* slot;
    if (!m_free.empty()) {
        slot = m_free.back();
        m_free.pop_back();
    } else {
        if (m_usedInLastChunk == kChunkSize) {
            m_chunks.push_back(std::make_unique<unsigned char[]>(kChunkSize * sizeof(CVGCell)));
            m_usedInLastChunk = 0;
        }
        slot = m_chunks.back().get() + sizeof(CVGCell) * m_usedInLastChunk++;
    }
    return new (slot) CVGCell(from);
}

void CVGMem::CellPool::Free(CVGCell* cell)
{
    cell->~CVGCell();
    m_free.push_back(cell);
}

void CVGMem::CellPool::Clear()
{
    m_chunks.clear();
    m_free.clear();
    m_usedInLastChunk = kChunkSize;
}

CVGMem::~CVGMem()
{
    RemoveAll();
}

void CVGMem::ResetCursorColumn()
{
    m_pCursorCell = m_pCursorRow ? m_pCursorRow->column0 : nullptr;
    m_cursorColumn = 0;
}

// Walks the cursor to the row; when the rows run out it stays on the last one reached.
bool CVGMem::MoveToRow(int row)
{
    if (!m_pCursorRow)
        return false;
    if (row == m_cursorRow)
        return true;
    // Row 0 is remembered once reached: a jump near the top starts there instead of at the cursor.
    if (m_pRow0 && std::abs(static_cast<long long>(row)) < std::abs(static_cast<long long>(row) - m_cursorRow)) {
        m_pCursorRow = m_pRow0;
        m_cursorRow = 0;
    }
    while (m_cursorRow < row && m_pCursorRow->next) {
        m_pCursorRow = m_pCursorRow->next;
        ++m_cursorRow;
    }
    while (m_cursorRow > row && m_pCursorRow->prev) {
        m_pCursorRow = m_pCursorRow->prev;
        --m_cursorRow;
    }
    if (m_cursorRow == 0)
        m_pRow0 = m_pCursorRow;
    ResetCursorColumn();
    return m_cursorRow == row;
}

// Walks the cursor along its row; when the cells run out it stays on the last one reached.
bool CVGMem::MoveToColumn(int column)
{
    if (!m_pCursorCell) {
        if (!m_pCursorRow || !m_pCursorRow->column0)
            return false;
        ResetCursorColumn();
    }
    while (m_cursorColumn < column && m_pCursorCell->next) {
        m_pCursorCell = m_pCursorCell->next;
        ++m_cursorColumn;
    }
    while (m_cursorColumn > column && m_pCursorCell->prev) {
        m_pCursorCell = m_pCursorCell->prev;
        --m_cursorColumn;
    }
    return m_cursorColumn == column;
}

CVGMem::RowNode* CVGMem::TopRow() const
{
    RowNode* row = m_pCursorRow;
    while (row && row->prev)
        row = row->prev;
    return row;
}

CVGMem::CellNode* CVGMem::NodeAt(RowNode* row, int column)
{
    if (row->recent && row->recentColumn == column)
        return row->recent;
    // From the node looked up last when it is nearer than column 0.
    CellNode* node = row->column0;
    int at = 0;
    if (row->recent && std::abs(column - row->recentColumn) < std::abs(column)) {
        node = row->recent;
        at = row->recentColumn;
    }
    for (; node && at < column; ++at)
        node = node->next;
    for (; node && at > column; --at)
        node = node->prev;
    row->recent = node;
    row->recentColumn = column;
    return node;
}

void CVGMem::ForgetRecentNodes(RowNode* top)
{
    for (RowNode* row = top; row; row = row->next)
        row->recent = nullptr;
}

// Every stored cell leaves the store by this path, so its extras are always let go.
void CVGMem::DestroyCell(CellNode* node)
{
    if (node->cell) {
        node->cell->ReleaseExtras();
        m_cells.Free(node->cell);
        node->cell = nullptr;
    }
    if (node->style) {
        ReleaseStyle(node->style);
        node->style = nullptr;
        node->longText.reset();
    }
    node->text = nullptr;
}

bool CVGMem::CanHoldCompactly(const CVGCell& cell)
{
    if (!cell.HoldsNoExtras() || cell.HasProperty(VGCELL_EXTRADATA))
        return false;
    return !cell.HasProperty(VGCELL_VALUE) || (cell.HasProperty(VGCELL_DATATYPE) &&
                                                cell.ReadDataType() == VGDATA_TEXT && cell.ReadTextLength() > 0);
}

CVGMem::Style* CVGMem::ShareStyle(const CVGCell& cell)
{
    if (!m_pLastStyle || !m_pLastStyle->cell.SameApartFromText(cell)) {
        ReleaseStyle(m_pLastStyle);
        m_pLastStyle = new Style(cell);
    }
    ++m_pLastStyle->uses;
    return m_pLastStyle;
}

void CVGMem::ReleaseStyle(Style* style)
{
    if (style && --style->uses == 0)
        delete style;
}

void CVGMem::HoldText(CellNode* node, LPCWSTR text)
{
    node->longText.reset();
    if (!text) {
        node->text = nullptr;
        return;
    }
    const size_t length = std::wcslen(text);
    if (length < CellNode::kShortText) {
        std::wmemcpy(node->shortText, text, length + 1);
        node->text = node->shortText;
        return;
    }
    node->longText = std::make_unique<wchar_t[]>(length + 1);
    std::wmemcpy(node->longText.get(), text, length + 1);
    node->text = node->longText.get();
}

LPCWSTR CVGMem::NodeText(CellNode* node)
{
    if (node->text)
        return node->text;
    return node->cell ? node->cell->ReadText() : nullptr;
}

void CVGMem::FreeRow(RowNode* row)
{
    CellNode* node = row->column0;
    while (node && node->prev)
        node = node->prev;
    while (node) {
        CellNode* next = node->next;
        DestroyCell(node);
        m_cellNodes.Free(node);
        node = next;
    }
    m_rowNodes.Free(row);
}

// After an insertion the ids at or above the position grow; after a removal the ids above it
// shrink, so no data column's id ever reaches the negative heading ids.
void CVGMem::RenumberColumnIds(int position, int delta)
{
    CVGGridInfo* info = m_pGrid ? m_pGrid->QueryGridInfo() : nullptr;
    if (!info)
        return;
    for (VGColumnRecord& record : info->m_columns) {
        if (delta > 0 ? record.id >= position : record.id > position)
            record.id += delta;
    }
}

int CVGMem::GetLastRowIndex()
{
    if (!m_pCursorRow)
        return 0;
    if (m_pCursorRow->next) {
        while (m_pCursorRow->next) {
            m_pCursorRow = m_pCursorRow->next;
            ++m_cursorRow;
        }
        ResetCursorColumn();
    }
    return m_cursorRow;
}

int CVGMem::GetColumnCount()
{
    return 0;
}

int CVGMem::AppendColumn()
{
    return 0;
}

// Data rows only: a row inserted among the negative heading rows would renumber a heading as data.
int CVGMem::InsertRowAt(int row)
{
    if (row < 0 || !MoveToRow(row))
        return 1;
    m_pRow0 = nullptr;
    RowNode* inserted = m_rowNodes.Make();
    inserted->next = m_pCursorRow;
    inserted->prev = m_pCursorRow->prev;
    if (m_pCursorRow->prev)
        m_pCursorRow->prev->next = inserted;
    m_pCursorRow->prev = inserted;
    ++m_cursorRow;
    return 0;
}

int CVGMem::InsertColumnAt(int column)
{
    if (!m_pCursorRow || column < 0)
        return 1;
    // A column's cells lie at its id in every row, whatever its visible place; insertion and
    // removal both take the id as that position.
    const int position = column;
    for (RowNode* row = TopRow(); row; row = row->next) {
        CellNode* at = NodeAt(row, position);
        if (!at)
            continue;
        CellNode* inserted = m_cellNodes.Make();
        inserted->next = at;
        inserted->prev = at->prev;
        if (at->prev)
            at->prev->next = inserted;
        at->prev = inserted;
        if (row->column0 == at)
            row->column0 = inserted;
    }
    ForgetRecentNodes(TopRow());
    RenumberColumnIds(position, 1);
    ResetCursorColumn();
    return 0;
}

int CVGMem::RemoveRow(int row)
{
    if (row < 0)
        return 1;
    if (!MoveToRow(row))
        return 0;
    m_pRow0 = nullptr;
    RowNode* removed = m_pCursorRow;
    RowNode* below = removed->next;
    RowNode* above = removed->prev;
    if (above)
        above->next = below;
    if (below)
        below->prev = above;
    FreeRow(removed);
    if (below) {
        m_pCursorRow = below;
    } else if (above) {
        m_pCursorRow = above;
        --m_cursorRow;
    } else {
        m_pCursorRow = nullptr;
        m_cursorRow = 0;
    }
    ResetCursorColumn();
    return 0;
}

int CVGMem::RemoveColumn(int column)
{
    if (!m_pCursorRow || column < 0)
        return 1;
    for (RowNode* row = TopRow(); row; row = row->next) {
        CellNode* at = NodeAt(row, column);
        if (!at)
            continue;
        // The last node of a row keeps its place: nothing to its right has to move.
        if (!at->next) {
            DestroyCell(at);
            continue;
        }
        if (row->column0 == at)
            row->column0 = at->next;
        at->next->prev = at->prev;
        if (at->prev)
            at->prev->next = at->next;
        DestroyCell(at);
        m_cellNodes.Free(at);
    }
    ForgetRecentNodes(TopRow());
    RenumberColumnIds(column, -1);
    ResetCursorColumn();
    return 0;
}

int CVGMem::RemoveCell(int column, int row)
{
    if (!MoveToRow(row) || !MoveToColumn(column))
        return 1;
    DestroyCell(m_pCursorCell);
    ResetCursorColumn();
    return 0;
}

int CVGMem::RemoveAll()
{
    RowNode* row = TopRow();
    while (row) {
        RowNode* next = row->next;
        FreeRow(row);
        row = next;
    }
    m_rowNodes.Clear();
    m_cellNodes.Clear();
    m_cells.Clear();
    ReleaseStyle(m_pLastStyle);
    m_pLastStyle = nullptr;
    m_pCursorRow = nullptr;
    m_pRow0 = nullptr;
    m_cursorRow = 0;
    m_pCursorCell = nullptr;
    m_cursorColumn = 0;
    return 0;
}

int CVGMem::FetchCell(int column, int row, CVGCell* cell)
{
    if (!cell)
        return 1;
    if (!MoveToRow(row) || !MoveToColumn(column))
        return 1;
    const CellNode* node = m_pCursorCell;
    if (node->style) {
        // The same properties a merge of the whole cell would give: its style, then its text.
        cell->MergeFrom(&node->style->cell);
        if (node->text)
            cell->PutText(node->text);
        return 0;
    }
    if (!node->cell)
        return 1;
    cell->MergeFrom(node->cell);
    return 0;
}

int CVGMem::StoreCell(int column, int row, const CVGCell* cell)
{
    if (!cell)
        return 1;
    if (!m_pCursorRow) {
        m_pCursorRow = m_rowNodes.Make();
        m_cursorRow = 0;
        ResetCursorColumn();
    }
    if (row != m_cursorRow) {
        while (m_cursorRow < row) {
            if (!m_pCursorRow->next) {
                m_pCursorRow->next = m_rowNodes.Make();
                m_pCursorRow->next->prev = m_pCursorRow;
            }
            m_pCursorRow = m_pCursorRow->next;
            ++m_cursorRow;
        }
        while (m_cursorRow > row) {
            if (!m_pCursorRow->prev) {
                m_pCursorRow->prev = m_rowNodes.Make();
                m_pCursorRow->prev->next = m_pCursorRow;
            }
            m_pCursorRow = m_pCursorRow->prev;
            --m_cursorRow;
        }
        ResetCursorColumn();
    }
    if (!m_pCursorRow->column0)
        m_pCursorRow->column0 = m_cellNodes.Make();
    if (!m_pCursorCell)
        ResetCursorColumn();
    while (m_cursorColumn < column) {
        if (!m_pCursorCell->next) {
            m_pCursorCell->next = m_cellNodes.Make();
            m_pCursorCell->next->prev = m_pCursorCell;
        }
        m_pCursorCell = m_pCursorCell->next;
        ++m_cursorColumn;
    }
    while (m_cursorColumn > column) {
        if (!m_pCursorCell->prev) {
            m_pCursorCell->prev = m_cellNodes.Make();
            m_pCursorCell->prev->next = m_pCursorCell;
        }
        m_pCursorCell = m_pCursorCell->prev;
        --m_cursorColumn;
    }
    CellNode* node = m_pCursorCell;
    if (CanHoldCompactly(*cell)) {
        if (node->cell) {
            node->cell->ReleaseExtras();
            m_cells.Free(node->cell);
            node->cell = nullptr;
        }
        // A cell stored again with the same properties keeps its style.
        if (!node->style || !node->style->cell.SameApartFromText(*cell)) {
            Style* style = ShareStyle(*cell);
            ReleaseStyle(node->style);
            node->style = style;
        }
        // A text cell's text is only read, never rebuilt.
        HoldText(node, cell->HasProperty(VGCELL_VALUE) ? const_cast<CVGCell*>(cell)->ReadText() : nullptr);
        return 0;
    }
    if (node->style) {
        ReleaseStyle(node->style);
        node->style = nullptr;
        node->longText.reset();
    }
    // A first store copies the given cell whole rather than resetting a new one and replacing it: the
    // same set properties, without a reset's system-colour queries. Unset fields never leave the
    // store, since a fetch merges only set properties.
    if (node->cell)
        cell->ReplaceInto(node->cell);
    else
        node->cell = m_cells.Make(*cell);
    CVGCell* stored = node->cell;
    if (!stored->HasProperty(VGCELL_EXTRADATA))
        stored->ReleaseExtraData();
    node->text =
        stored->HasProperty(VGCELL_VALUE) && stored->ReadDataType() == VGDATA_TEXT ? stored->ReadText() : nullptr;
    return 0;
}

int CVGMem::FindFirstText(LPCWSTR text, int* column, int* row, int flags)
{
    if (!column || !row)
        return 1;
    if (flags & 8) {
        *column = -1;
        *row = 0;
    } else {
        *row = -1;
    }
    return FindNextText(text, column, row, flags);
}

int CVGMem::FindNextText(LPCWSTR text, int* column, int* row, int flags)
{
    if (!text || !column || !row || !m_pGrid)
        return 1;
    const CVGGridInfo* info = m_pGrid->QueryGridInfo();
    if (!info)
        return 1;
    const int rowCount = info->m_rowCount;
    const int lastRow = rowCount - 1;
    const int lastColumn = info->m_columnCount - 1;
    const bool everyColumn = (flags & 8) != 0;
    const bool backwards = (flags & 4) != 0;
    if (lastRow < 0 || (everyColumn && lastColumn < 0))
        return 1;
    CString needle(text);
    if (flags & 2)
        needle.MakeLower();

    const int step = backwards ? -1 : 1;
    const int rowStart = backwards ? lastColumn : 0;
    auto nextRow = [&](int from) {
        const int to = from + step;
        return (to < 0 || to > lastRow) ? (backwards ? lastRow : 0) : to;
    };
    auto matchesAt = [&](int at) {
        return MoveToColumn(at) && TextMatches(NodeText(m_pCursorCell), needle, flags);
    };

    int c = *column;
    int r = *row;
    if (everyColumn) {
        c += step;
        if (c < 0 || c > lastColumn) {
            c = rowStart;
            r = nextRow(r);
        } else if (r < 0 || r > lastRow) {
            r = backwards ? lastRow : 0;
        }
    } else {
        r = nextRow(r);
    }

    if (!backwards) {
        // Searching down walks the rows by their links instead of moving the cursor row by row.
        RowNode* rowNode = MoveToRow(r) ? m_pCursorRow : nullptr;
        RowNode* firstRow = nullptr;
        for (int visited = 0; visited <= rowCount; ++visited) {
            if (rowNode) {
                CellNode* node = NodeAt(rowNode, c);
                for (; node; node = node->next) {
                    if (TextMatches(NodeText(node), needle, flags)) {
                        m_pCursorRow = rowNode;
                        m_cursorRow = r;
                        ResetCursorColumn();
                        *column = c;
                        *row = r;
                        return 0;
                    }
                    if (!everyColumn || ++c > lastColumn)
                        break;
                }
            }
            if (++r > lastRow) {
                r = 0;
                if (!firstRow)
                    firstRow = MoveToRow(0) ? m_pCursorRow : nullptr;
                rowNode = firstRow;
            } else {
                rowNode = rowNode ? rowNode->next : nullptr;
            }
            if (everyColumn)
                c = rowStart;
        }
        return 1;
    }

    // Row count + 1 rows: the start row is visited again last, for the cells before the start.
    for (int visited = 0; visited <= rowCount; ++visited) {
        if (MoveToRow(r)) {
            if (everyColumn) {
                for (; c >= 0 && c <= lastColumn; c += step) {
                    if (matchesAt(c)) {
                        *column = c;
                        *row = r;
                        return 0;
                    }
                }
            } else if (matchesAt(c)) {
                *column = c;
                *row = r;
                return 0;
            }
        }
        r = nextRow(r);
        if (everyColumn)
            c = rowStart;
    }
    return 1;
}

// A stable merge sort of the data rows (0 and below); the top-heading rows above them stay put.
// Merging only ever compares and picks, so even an inconsistent comparison cannot corrupt the list.
int CVGMem::SortByColumns(const int* columns, int count, int flags)
{
    if (!m_pCursorRow || (count > 0 && !columns))
        return 1;
    if (!MoveToRow(0))
        return 0;

    std::vector<RowNode*> rows;
    for (RowNode* row = m_pCursorRow; row; row = row->next)
        rows.push_back(row);
    RowNode* const above = rows.front()->prev;
    const size_t rowTotal = rows.size();
    const size_t keyCount = count > 0 ? static_cast<size_t>(count) : 0;

    // Compactly held key cells are made whole for the comparison, side by side.
    std::vector<CVGCell*> keys(rowTotal * keyCount);
    std::vector<CVGCell> madeWhole;
    madeWhole.reserve(rowTotal * keyCount);
    for (size_t index = 0; index < rowTotal; ++index) {
        for (size_t key = 0; key < keyCount; ++key) {
            CellNode* node = NodeAt(rows[index], columns[key]);
            CVGCell* keyCell = node ? node->cell : nullptr;
            if (node && node->style) {
                madeWhole.emplace_back(node->style->cell);
                if (node->text)
                    madeWhole.back().PutText(node->text);
                keyCell = &madeWhole.back();
            }
            keys[index * keyCount + key] = keyCell;
        }
    }

    // A row without a stored key cell compares as a freshly reset cell.
    CVGCell blankFirst;
    CVGCell blankSecond;
    auto compareRows = [&](size_t first, size_t second) {
        for (size_t key = 0; key < keyCount; ++key) {
            CVGCell* a = keys[first * keyCount + key];
            CVGCell* b = keys[second * keyCount + key];
            if (!a) {
                blankFirst.ResetAll();
                a = &blankFirst;
            }
            if (!b) {
                blankSecond.ResetAll();
                b = &blankSecond;
            }
            const int order = m_pGrid ? m_pGrid->CompareCells(a, b, flags)
                                      : CVGGridHost::CompareCellsByDefault(a, b, flags);
            if (order != 0)
                return order;
        }
        return 0;
    };

    std::vector<size_t> order(rowTotal);
    std::iota(order.begin(), order.end(), size_t{0});
    std::vector<size_t> merged(rowTotal);
    for (size_t width = 1; width < rowTotal; width *= 2) {
        for (size_t low = 0; low < rowTotal; low += 2 * width) {
            const size_t middle = std::min(low + width, rowTotal);
            const size_t high = std::min(low + 2 * width, rowTotal);
            size_t left = low;
            size_t right = middle;
            size_t out = low;
            if (middle < high && compareRows(order[middle - 1], order[middle]) <= 0) {
                std::copy(order.begin() + low, order.begin() + high, merged.begin() + low);
                continue;
            }
            while (left < middle && right < high)
                merged[out++] = compareRows(order[left], order[right]) > 0 ? order[right++] : order[left++];
            while (left < middle)
                merged[out++] = order[left++];
            while (right < high)
                merged[out++] = order[right++];
        }
        order.swap(merged);
    }

    RowNode* previous = above;
    for (size_t index : order) {
        RowNode* row = rows[index];
        row->prev = previous;
        if (previous)
            previous->next = row;
        previous = row;
    }
    previous->next = nullptr;
    m_pCursorRow = rows[order.front()];
    m_cursorRow = 0;
    m_pRow0 = m_pCursorRow;
    ResetCursorColumn();
    return 0;
}

int CVGMem::SortByColumn(int column, int flags)
{
    return SortByColumns(&column, 1, flags);
}

int CVGMem::FindPrevTextCell(int* column, int row)
{
    if (!column || *column <= 0 || !MoveToRow(row) || !m_pCursorRow->column0)
        return 1;
    CellNode* node = m_pCursorRow->column0;
    int index = 0;
    while (node->next && index + 1 < *column) {
        node = node->next;
        ++index;
    }
    for (; index >= 0; --index, node = node->prev) {
        const LPCWSTR text = NodeText(node);
        if (text && *text) {
            *column = index;
            return 0;
        }
    }
    return 1;
}
