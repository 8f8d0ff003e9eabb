// The grid's current cell and view: moves, steps and pages, the synchronisation that reports every
// change, and what each notification does unless a grid overrides it.
#include "VGCtrl.h"

#include "VGDataSource.h"
#include "VGLayout.h"
#include "VGMultiSelect.h"

#include <algorithm>

namespace {

bool Outside(const CVGGridInfo& info, int column, int row)
{
    const bool columnOutside = column >= info.m_frozenColumnCount &&
                               (column >= info.m_rightColumn || column < info.m_leftColumn);
    const bool rowOutside = row >= info.m_frozenRowCount && (row >= info.m_bottomRow || row < info.m_topRow);
    return columnOutside || rowOutside;
}

}  // namespace

void CVGCtrl::ShowTarget()
{
    CVGGridInfo& info = *m_pInfo;
    if (info.m_targetColumn >= 0 && info.m_targetColumn < info.m_columnCount)
        info.m_leftColumn = VGLayout::LeftColumnShowing(info, info.m_targetColumn);
    if (info.m_targetRow >= 0 && info.m_targetRow < info.m_rowCount)
        info.m_topRow = VGLayout::TopRowShowing(info, info.m_targetRow);
}

bool CVGCtrl::MayScrollTo(int column, int row)
{
    const CVGGridInfo& info = *m_pInfo;
    if (!Outside(info, column, row))
        return true;
    return OnCanScrollView(info.m_leftColumn, info.m_topRow, column, row) != 0;
}

int CVGCtrl::MoveToCell(int column, int row)
{
    CVGGridInfo& info = *m_pInfo;
    if (column == info.m_targetColumn && row == info.m_targetRow) {
        if (IsKeyHeld(VK_SHIFT) && info.m_multipleSelection > 0) {
            info.m_selection->ApplyPointerMove(column, row, info.m_moveKeyFlags);
            RepaintAll();
        }
        return 0;
    }
    if (info.m_joinedCells) {
        int endColumn = 0, endRow = 0;
        FindJoinBlock(&column, &row, &endColumn, &endRow);
    }
    CVGDataSource* source = info.m_pDataSource;
    if ((source &&
         source->CanMove(QueryColumnId(info.m_currentColumn), info.m_currentRow, QueryColumnId(column), row) != 1) ||
        !OnCanMoveCell(info.m_currentColumn, info.m_currentRow, column, row))
        return 2;
    if (!MayScrollTo(column, row))
        return 2;
    info.m_targetColumn = column;
    info.m_targetRow = row;
    ShowTarget();
    Synchronise();
    return 0;
}

int CVGCtrl::MoveToColumn(int column)
{
    CVGGridInfo& info = *m_pInfo;
    if (info.m_moveKind == 0 && info.m_multipleSelection > 0 && !IsKeyHeld(VK_SHIFT) && !IsKeyHeld(VK_CONTROL) &&
        info.m_selection->QueryBlockCount() > 0)
        info.m_selection->QueryAnchor(&info.m_currentColumn, &info.m_currentRow);
    if (column == info.m_targetColumn)
        return 0;
    if (info.m_columnCount == 0)
        return 1;
    if (column >= info.m_columnCount) {
        if (info.m_targetColumn == info.m_columnCount - 1)
            return 1;
        column = info.m_columnCount - 1;
    }
    column = std::max(column, 0);
    const int from = info.m_targetColumn;
    const int row = info.m_targetRow;
    int startColumn = column, startRow = row, endColumn = 0, endRow = 0;
    if (info.m_joinedCells && row >= 0 && FindJoinBlock(&startColumn, &startRow, &endColumn, &endRow) == 0) {
        if (column > from) {
            if (from >= startColumn && from <= endColumn) {
                if (endColumn + 1 >= info.m_columnCount)
                    return 0;
                column = endColumn + 1;
            } else {
                column = startColumn;
            }
        } else if (startColumn - 1 > 0) {
            column = startColumn - 1;
        } else {
            column = startColumn;
        }
    }
    CVGDataSource* source = SourceOfColumn(column);
    if ((source && source->CanMove(QueryColumnId(from), row, QueryColumnId(column), row) != 1) ||
        !OnCanMoveCell(from, row, column, row))
        return 2;
    if (Outside(info, column, std::max(row, 0)) &&
        !OnCanScrollView(info.m_leftColumn, info.m_topRow, column, info.m_topRow))
        return 2;
    info.m_targetColumn = column;
    ShowTarget();
    Synchronise();
    return 0;
}

int CVGCtrl::MoveToRow(int row)
{
    CVGGridInfo& info = *m_pInfo;
    if (info.m_moveKind == 0 && info.m_multipleSelection > 0 && !IsKeyHeld(VK_SHIFT) && !IsKeyHeld(VK_CONTROL) &&
        info.m_selection->QueryBlockCount() > 0)
        info.m_selection->QueryAnchor(&info.m_currentColumn, &info.m_currentRow);
    if (row == info.m_targetRow)
        return 0;
    if (row >= info.m_rowCount) {
        RequestRowsPastEnd(row);
        if (row >= info.m_rowCount) {
            if (info.m_targetRow == info.m_rowCount - 1)
                return 1;
            row = info.m_rowCount - 1;
        }
    }
    if (info.m_rowCount == 0)
        return 1;
    row = std::max(row, 0);
    const int from = info.m_targetRow;
    const int column = info.m_targetColumn;
    int startColumn = column, startRow = row, endColumn = 0, endRow = 0;
    if (info.m_joinedCells && column >= 0 && FindJoinBlock(&startColumn, &startRow, &endColumn, &endRow) == 0) {
        if (row > from) {
            if (from >= startRow && from <= endRow) {
                if (endRow + 1 >= info.m_rowCount)
                    return 0;
                row = endRow + 1;
            } else {
                row = startRow;
            }
        } else if (startRow - 1 > 0) {
            row = startRow - 1;
        } else {
            row = startRow;
        }
    }
    if (!OnCanMoveCell(column, from, column, row))
        return 2;
    if (Outside(info, std::max(column, 0), row) && !OnCanScrollView(info.m_leftColumn, info.m_topRow, info.m_leftColumn, row))
        return 2;
    info.m_targetRow = row;
    ShowTarget();
    Synchronise();
    return 0;
}

int CVGCtrl::SetFirstVisibleColumn(int column)
{
    CVGGridInfo& info = *m_pInfo;
    column = std::max(info.m_frozenColumnCount, std::min(column, info.m_largestLeftColumn));
    if (column == info.m_leftColumn)
        return 0;
    if (!OnCanScrollView(info.m_leftColumn, info.m_topRow, column, info.m_topRow))
        return 2;
    info.m_leftColumn = column;
    Synchronise();
    return 0;
}

int CVGCtrl::SetFirstVisibleRow(int row)
{
    CVGGridInfo& info = *m_pInfo;
    row = std::max(info.m_frozenRowCount, std::min(row, info.m_largestTopRow));
    if (row == info.m_topRow)
        return 0;
    if (!OnCanScrollView(info.m_leftColumn, info.m_topRow, info.m_leftColumn, row))
        return 2;
    info.m_topRow = row;
    Synchronise();
    return 0;
}

int CVGCtrl::StepCurrentColumn(int code)
{
    const CVGGridInfo& info = *m_pInfo;
    const int from = info.m_targetColumn;
    switch (code) {
    case 0: return MoveToColumn(from - 1);
    case 1: return MoveToColumn(from + 1);
    case 2: return MoveToColumn(VGLayout::PageColumnTarget(info, from, -1));
    case 3: return MoveToColumn(VGLayout::PageColumnTarget(info, from, 1));
    case 4: return MoveToColumn(0);
    case 5: return MoveToColumn(info.m_columnCount - 1);
    default: return 0;
    }
}

int CVGCtrl::StepCurrentRow(int code)
{
    const CVGGridInfo& info = *m_pInfo;
    const int from = info.m_targetRow;
    switch (code) {
    case 0: return MoveToRow(from - 1);
    case 1: return MoveToRow(from + 1);
    case 2: return MoveToRow(VGLayout::PageRowTarget(info, from, -1));
    case 3: return MoveToRow(VGLayout::PageRowTarget(info, from, 1));
    case 4: return MoveToRow(0);
    case 5: return MoveToRow(info.m_rowCount - 1);
    default: return 0;
    }
}

int CVGCtrl::StepFirstVisibleColumn(int code)
{
    const CVGGridInfo& info = *m_pInfo;
    if (info.m_columnCount == 0)
        return 1;
    const int left = info.m_leftColumn;
    switch (code) {
    case 0: return SetFirstVisibleColumn(left - 1);
    case 1: return SetFirstVisibleColumn(left + 1);
    case 2: return SetFirstVisibleColumn(VGLayout::PageColumnTarget(info, left, -1));
    case 3: return SetFirstVisibleColumn(std::min(VGLayout::PageColumnTarget(info, left, 1), info.m_columnCount - 1));
    case 4: return SetFirstVisibleColumn(info.m_frozenColumnCount);
    case 5: return SetFirstVisibleColumn(info.m_largestLeftColumn);
    default: return 0;
    }
}

int CVGCtrl::StepFirstVisibleRow(int code)
{
    const CVGGridInfo& info = *m_pInfo;
    if (info.m_rowCount == 0)
        return 1;
    switch (code) {
    case 0: return SetFirstVisibleRow(VGLayout::StepTopRow(info, -1));
    case 1: return SetFirstVisibleRow(VGLayout::StepTopRow(info, 1));
    case 2: return SetFirstVisibleRow(VGLayout::PageTopRow(info, -1));
    case 3: return SetFirstVisibleRow(VGLayout::PageTopRow(info, 1));
    case 4: return SetFirstVisibleRow(info.m_frozenRowCount);
    case 5: return SetFirstVisibleRow(info.m_largestTopRow);
    default: return 0;
    }
}

int CVGCtrl::ClearSelection()
{
    m_pInfo->m_selection->RemoveAllBlocks();
    m_pInfo->m_targetColumn = m_pInfo->m_currentColumn;
    m_pInfo->m_targetRow = m_pInfo->m_currentRow;
    return 0;
}

void CVGCtrl::Synchronise()
{
    CVGGridInfo& info = *m_pInfo;
    if (info.m_multipleSelection <= 0 || m_editing) {
        info.m_currentColumn = info.m_targetColumn;
        info.m_currentRow = info.m_targetRow;
    } else {
        CVGMultiSelect& selection = *info.m_selection;
        switch (info.m_moveKind) {
        case 0: selection.ApplyKeyMove(info.m_targetColumn, info.m_targetRow); break;
        case 1: selection.ApplyPointerMove(info.m_targetColumn, info.m_targetRow, info.m_moveKeyFlags); break;
        case 2: selection.SelectSingleCell(info.m_targetColumn, info.m_targetRow); break;
        case 3: selection.StretchIfMoved(info.m_targetColumn, info.m_targetRow); break;
        default: break;
        }
        int column = info.m_targetColumn, row = info.m_targetRow;
        if (selection.QueryAnchor(&column, &row) == 0) {
            info.m_currentColumn = column;
            info.m_currentRow = row;
        } else {
            info.m_currentColumn = info.m_targetColumn;
            info.m_currentRow = info.m_targetRow;
        }
    }
    const int oldColumn = info.m_previousColumn;
    const int oldRow = info.m_previousRow;
    const int newColumn = info.m_currentColumn;
    const int newRow = info.m_currentRow;
    CVGDataSource* source = info.m_pDataSource;
    if (newColumn != oldColumn) {
        if (source)
            source->OnColumnChanged(QueryColumnId(oldColumn), QueryColumnId(newColumn));
        OnColumnChanged(oldColumn, newColumn);
    }
    if (newRow != oldRow) {
        if (source)
            source->OnRowChanged(oldRow, newRow);
        OnRowChanged(oldRow, newRow);
    }
    const bool cellChanged = newColumn != oldColumn || newRow != oldRow;
    if (cellChanged)
        OnCellChanged(oldColumn, newColumn, oldRow, newRow);
    const bool leftChanged = info.m_leftColumn != info.m_previousLeftColumn;
    const bool topChanged = info.m_topRow != info.m_previousTopRow;
    if (leftChanged)
        OnLeftColumnChanged(info.m_previousLeftColumn, info.m_leftColumn);
    if (topChanged)
        OnTopRowChanged(info.m_previousTopRow, info.m_topRow);
    PlaceTrackingWindow();
    if (cellChanged) {
        CVGCell cell;
        if (oldColumn >= 0 && oldRow >= 0 && oldColumn < info.m_columnCount && oldRow < info.m_rowCount) {
            GetEffectiveCell(oldColumn, oldRow, &cell);
            TypeOfCell(&cell)->OnCellKillFocus(oldColumn, oldRow, &cell);
        }
        if (newColumn >= 0 && newRow >= 0) {
            GetEffectiveCell(newColumn, newRow, &cell);
            TypeOfCell(&cell)->OnCellSetFocus(newColumn, newRow, &cell);
        }
    }
    if (info.m_painting && m_created) {
        m_cellArea.RefreshAfterMove();
        m_topHeading.RefreshIfScrolled();
        m_sideHeading.RefreshAfterMove();
        m_vScroll.SyncWithView();
        m_hScroll.SyncWithView();
    }
    const int previousLeft = info.m_previousLeftColumn;
    const int previousTop = info.m_previousTopRow;
    info.m_previousColumn = newColumn;
    info.m_previousRow = newRow;
    info.m_previousLeftColumn = info.m_leftColumn;
    info.m_previousTopRow = info.m_topRow;

    // Cells that scrolled into view along the edge, and the current cell, are offered to their types.
    CVGCell cell;
    auto offer = [&](int column, int row) {
        if (column < 0 || row < 0 || column >= info.m_columnCount || row >= info.m_rowCount)
            return;
        GetEffectiveCell(column, row, &cell);
        TypeOfCell(&cell)->ReservedHook(column, row, &cell);
    };
    if (topChanged) {
        const int edgeRow = info.m_topRow > previousTop ? std::min(info.m_bottomRow, info.m_rowCount - 1) : info.m_topRow;
        for (int column = info.m_leftColumn; column <= info.m_rightColumn && column < info.m_columnCount; ++column)
            offer(column, edgeRow);
    }
    if (leftChanged) {
        const int edgeColumn =
            info.m_leftColumn > previousLeft ? std::min(info.m_rightColumn, info.m_columnCount - 1) : info.m_leftColumn;
        for (int row = info.m_topRow; row <= info.m_bottomRow && row < info.m_rowCount; ++row)
            offer(edgeColumn, row);
    }
    offer(newColumn, newRow);
}

// ---- Notifications: what they do unless a grid overrides them ----

void CVGCtrl::OnGridSetFocus(int) {}
void CVGCtrl::OnGridSetup() {}
void CVGCtrl::OnUnusedHook83() {}
void CVGCtrl::OnSheetCreated(int) {}
int CVGCtrl::OnCanMoveCell(int, int, int, int) { return 1; }
int CVGCtrl::OnCanScrollView(int, int, int, int) { return 1; }
void CVGCtrl::OnPastLastRow(int, int, int*) {}
void CVGCtrl::OnUnusedHook88(int, int) {}
int CVGCtrl::OnCanResizeColumn(int) { return 1; }
void CVGCtrl::OnColumnResizing(int, int*) {}
void CVGCtrl::OnColumnResized(int, int*) {}
int CVGCtrl::OnCanResizeRow(int) { return 1; }
void CVGCtrl::OnRowResizing(int, int*) {}
void CVGCtrl::OnRowResized(int, int*) {}
int CVGCtrl::OnCanResizeTopHeading() { return 1; }
int CVGCtrl::OnCanResizeSideHeading() { return 1; }
int CVGCtrl::OnTopHeadingResizing(int*) { return 1; }
int CVGCtrl::OnSideHeadingResizing(int*) { return 1; }
int CVGCtrl::OnTopHeadingResized(int*) { return 1; }
int CVGCtrl::OnSideHeadingResized(int*) { return 1; }
void CVGCtrl::OnColumnChanged(int, int) {}
void CVGCtrl::OnRowChanged(int, int) {}
void CVGCtrl::OnCellChanged(int, int, int, int) {}
void CVGCtrl::OnLeftColumnChanged(int, int) {}
void CVGCtrl::OnTopRowChanged(int, int) {}
void CVGCtrl::OnViewScrolled(int, int, int) {}
void CVGCtrl::OnBlockSelected(int, int, int, int, int) {}
void CVGCtrl::OnCellLButton(int, int, int, RECT*, POINT*, int) {}
void CVGCtrl::OnCellRButton(int, int, int, RECT*, POINT*, int) {}
void CVGCtrl::OnCellDoubleClick(int, int, RECT*, POINT*, int) {}
void CVGCtrl::OnCellMouseMove(int, int, POINT*, UINT, int) {}
void CVGCtrl::OnTopHeadingLButton(int, int, int, RECT*, POINT*, int) {}
void CVGCtrl::OnTopHeadingRButton(int, int, int, RECT*, POINT*, int) {}
void CVGCtrl::OnTopHeadingDoubleClick(int, int, RECT*, POINT*, int) {}
void CVGCtrl::OnSideHeadingLButton(int, int, int, RECT*, POINT*, int) {}
void CVGCtrl::OnSideHeadingRButton(int, int, int, RECT*, POINT*, int) {}
void CVGCtrl::OnSideHeadingDoubleClick(int, int, RECT*, POINT*, int) {}
void CVGCtrl::OnCornerLButton(int, RECT*, POINT*, int) {}
void CVGCtrl::OnCornerRButton(int, RECT*, POINT*, int) {}
void CVGCtrl::OnCornerDoubleClick(RECT*, POINT*, int) {}
void CVGCtrl::OnGridKeyDown(UINT*, int) {}
void CVGCtrl::OnGridKeyUp(UINT*, int) {}
void CVGCtrl::OnGridChar(UINT*, int) {}
void CVGCtrl::OnCellFetched(int, int, CVGCell*) {}
void CVGCtrl::OnCellStoring(int, int, CVGCell*) {}
void CVGCtrl::OnUnusedHook126(int, int, int) {}
int CVGCtrl::OnCellTypeMessage(int, int, int, long, LPARAM) { return 1; }
int CVGCtrl::OnEditStarting(int, int, CWnd**) { return 1; }
int CVGCtrl::OnEditKey(int, int, CWnd*, UINT*) { return 1; }
int CVGCtrl::OnEditFinishing(int, int, CWnd*, LPCWSTR, int) { return 1; }
int CVGCtrl::OnEditMoveOn(int, int, int*, int*) { return 1; }
int CVGCtrl::OnUnusedHook132(int, int, int, int) { return 1; }
int CVGCtrl::OnUnusedHook133(int, int, int, int) { return 1; }
void CVGCtrl::OnPopupCommand(int, int, int, UINT) {}
int CVGCtrl::OnPopupOpening(int, int, int) { return 1; }
DWORD CVGCtrl::GetHelpContextId(int, int, int) { return 0; }
int CVGCtrl::GetVScrollTipText(int, CString*) { return 1; }
int CVGCtrl::GetHScrollTipText(int, CString*) { return 1; }
void CVGCtrl::OnPrepareDC(CDC*, CDC*, int) {}
void CVGCtrl::OnLayoutComputed(RECT*, RECT*, RECT*, RECT*, RECT*, RECT*, RECT*) {}
void CVGCtrl::OnSheetTabClicked(int) {}
void CVGCtrl::OnSectionKillFocusShort(int) {}
int CVGCtrl::OnCanDragColumn(int) { return 1; }
int CVGCtrl::OnCanDropColumn(int, int) { return 1; }
void CVGCtrl::OnColumnMoved(int, int) {}
void CVGCtrl::OnTrackWindowMoved(RECT*, RECT*) {}

int CVGCtrl::GetTipText(int column, int row, int, CString* text)
{
    if (text)
        text->Format(L"Col:%d Row:%ld", column, static_cast<long>(row));
    return 1;
}

COLORREF CVGCtrl::GetSectionBackColor(int section)
{
    return ::GetSysColor(section == VGSECTION_CELLS ? COLOR_WINDOW : COLOR_BTNFACE);
}

int CVGCtrl::DrawFocusFrame(CDC* dc, RECT* rect)
{
    const CVGGridInfo& info = *m_pInfo;
    if (info.m_currentColumn >= 0 && info.m_currentRow >= 0) {
        const int drawn =
            CellTypeOfCell(info.m_currentColumn, info.m_currentRow)->DrawFocusHook(dc, rect, info.m_currentColumn, info.m_currentRow);
        if (drawn)
            return drawn;
    }
    RECT frame = *rect;
    frame.right -= 1;
    frame.bottom -= 1;
    dc->DrawFocusRect(&frame);
    return 0;
}

void CVGCtrl::OnSectionKillFocus(int section, CWnd*)
{
    OnSectionKillFocusShort(section);
}
