// The grid's in-cell editing (start and finish), its answers to the find and replace box, and the
// right-button menu.
#include "VGCtrl.h"

#include "VGDataSource.h"
#include "VGLayout.h"
#include "VGMultiSelect.h"

#include <set>
#include <utility>

const UINT g_vgFindReplaceMessage = ::RegisterWindowMessageW(FINDMSGSTRINGW);

namespace {

bool IsConvertedType(short type)
{
    return type == VGDATA_NUMBER || type == VGDATA_BOOLEAN || type == VGDATA_DATE || type == VGDATA_CURRENCY;
}

}  // namespace

// ---- In-cell editing ----

int CVGCtrl::EditCurrentCell()
{
    return StartCellEdit(m_pInfo->m_currentColumn, m_pInfo->m_currentRow, 0);
}

int CVGCtrl::StartCellEdit(int column, int row, UINT firstKey)
{
    if (m_editing)
        return 1;
    CVGGridInfo& info = *m_pInfo;
    m_editing = 1;
    m_editColumn = column;
    m_editRow = row;
    // Every refusal below leaves editing off, so that the next edit may start.
    auto refuse = [this](int result) {
        m_editing = 0;
        return result;
    };

    int startColumn = info.m_currentColumn, startRow = info.m_currentRow;
    int endColumn = startColumn, endRow = startRow;
    info.m_selection->QuerySelectionBounds(&startColumn, &startRow, &endColumn, &endRow);
    ClearSelection();
    if (startColumn != column || endColumn != column || startRow != row || endRow != row)
        RepaintRange(startColumn, startRow, endColumn, endRow);

    if ((column != info.m_currentColumn || row != info.m_currentRow) && MoveToCell(column, row) != 0)
        return refuse(2);

    GetEffectiveCell(column, row, &m_editCell);
    CVGCellType* type = TypeOfCell(&m_editCell);
    if (!type->CanEditInCell())
        return refuse(1);

    RECT rect = {};
    CWnd* host = &m_cellArea;
    int rectColumn = column, rectRow = row;
    if (column < 0) {
        host = &m_sideHeading;
        m_sideHeading.ComputeHeadingCellRect(&rectColumn, &rectRow, &rect);
    } else if (row < 0) {
        host = &m_topHeading;
        m_topHeading.ComputeHeadingCellRect(&rectColumn, &rectRow, &rect);
    } else {
        ComputeCellRect(&rectColumn, &rectRow, &rect);
    }
    rect.right -= 1;
    rect.bottom -= 1;
    type->ShrinkEditRect(&rect);

    if (m_editCell.HasProperty(VGCELL_READONLY) && m_editCell.ReadReadOnly())
        return refuse(1);
    const LPCWSTR mask = m_editCell.HasProperty(VGCELL_MASK) ? m_editCell.ReadMask() : nullptr;
    CWnd* editor = mask && *mask ? info.m_pMaskedEditWindow : info.m_pEditWindow;

    CVGDataSource* source = SourceOfColumn(column);
    if ((source && !source->OnEditStarting(QueryColumnId(column), row, &editor)) ||
        !OnEditStarting(column, row, &editor) || !editor || !editor->GetSafeHwnd()) {
        RepaintCell(column, row);
        return refuse(1);
    }
    m_pEditInUse = editor;
    m_pEditHost = host;

    const LPCWSTR text = m_editCell.ReadText();
    editor->SetWindowText(text ? text : L"");
    CFont* font = m_editCell.HasProperty(VGCELL_FONT) ? m_editCell.ReadFont() : nullptr;
    if (!font)
        font = info.m_pDefaultFont;
    if (font)
        editor->SetFont(font, FALSE);
    if (editor->GetParent() != host)
        editor->SetParent(host);
    editor->SetWindowPos(&CWnd::wndTop, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                         SWP_SHOWWINDOW);
    editor->SetActiveWindow();
    editor->SetFocus();
    if (firstKey > 0)
        editor->SendMessage(WM_CHAR, firstKey, 1);
    return 0;
}

int CVGCtrl::FinishCellEdit(LPCWSTR text, int cancelled, int moveOn, int nextColumn, int nextRow)
{
    CVGGridInfo& info = *m_pInfo;
    if (!m_editing)
        cancelled = 1;
    const int column = m_editColumn;
    const int row = m_editRow;
    CWnd* editor = m_pEditInUse;
    CVGDataSource* source = SourceOfColumn(column);
    if ((source && source->OnEditFinishing(QueryColumnId(column), row, editor, text, cancelled) != 1) ||
        !OnEditFinishing(column, row, editor, text, cancelled))
        return 0;

    if (editor && editor->GetSafeHwnd())
        editor->ShowWindow(SW_HIDE);
    if (!cancelled) {
        CVGCell stored;
        GetEffectiveCell(column, row, &stored);
        const short type = stored.ReadDataType();
        stored.PutText(text);
        if (IsConvertedType(type))
            stored.ConvertDataType(type);
        StoreCell(column, row, &stored);
        RepaintIfTextOverflows(column, row, text, editor);
    }

    m_editing = 0;
    if (moveOn && editor && m_pEditHost == &m_cellArea) {
        // A joined block is stepped over in the direction of travel.
        int startColumn = nextColumn, startRow = nextRow, endColumn = 0, endRow = 0;
        if (info.m_joinedCells && nextColumn >= 0 && nextRow >= 0 && nextColumn < info.m_columnCount &&
            nextRow < info.m_rowCount && (nextColumn != column || nextRow != row) &&
            FindJoinBlock(&startColumn, &startRow, &endColumn, &endRow) == 0) {
            if (nextColumn > column)
                nextColumn = endColumn + 1;
            else if (nextColumn < column)
                nextColumn = startColumn - 1;
            if (nextRow > row)
                nextRow = endRow + 1;
            else if (nextRow < row)
                nextRow = startRow - 1;
        }
        if (nextColumn < 0)
            nextColumn = info.m_columnCount - 1;
        else if (nextColumn >= info.m_columnCount)
            nextColumn = 0;
        if (nextRow < 0)
            nextRow = info.m_rowCount - 1;
        else if (nextRow >= info.m_rowCount)
            nextRow = 0;
        int nextId = QueryColumnId(nextColumn);
        const bool sourceAgrees = !source || source->OnEditMoveOn(QueryColumnId(column), row, &nextId, &nextRow) == 1;
        nextColumn = VisibleColumnOfId(nextId);
        if (sourceAgrees && OnEditMoveOn(column, row, &nextColumn, &nextRow)) {
            StartCellEdit(nextColumn, nextRow, 0);
            return 1;
        }
    }
    RepaintCell(column, row);
    return 1;
}

void CVGCtrl::RepaintIfTextOverflows(int column, int row, LPCWSTR text, CWnd* editor)
{
    const CVGGridInfo& info = *m_pInfo;
    if (!info.m_overflowText || !editor || !editor->GetSafeHwnd() || column < 0 || row < 0 ||
        column >= info.m_columnCount - 1)
        return;
    CRect client;
    editor->GetClientRect(&client);
    const int width = VGLayout::ColumnWidth(info, column);
    if (width < client.Width())
        return;
    CVGCell neighbour;
    GetEffectiveCell(column + 1, row, &neighbour);
    const LPCWSTR next = neighbour.ReadText();
    if (next && *next)
        return;
    int rectColumn = column, rectRow = row;
    RECT rect;
    ComputeCellRect(&rectColumn, &rectRow, &rect);
    CClientDC dc(editor);
    CFont* font = editor->GetFont();
    const HGDIOBJ old = font ? dc.SelectObject(font->GetSafeHandle()) : nullptr;
    dc.DrawText(text ? text : L"", -1, &rect, DT_CALCRECT | DT_NOPREFIX);
    if (old)
        dc.SelectObject(old);
    if (rect.right - rect.left > width)
        RepaintAll();
}

// ---- The right-button menu ----

int CVGCtrl::OpenPopupMenu(int column, int row, POINT* point, int section)
{
    if (!m_pInfo->m_popupMenu)
        return 1;
    if (section != VGSECTION_TABS && m_pInfo->m_joinedCells && column >= 0 && row >= 0) {
        int endColumn = 0, endRow = 0;
        FindJoinBlock(&column, &row, &endColumn, &endRow);
    }
    if (!OnPopupOpening(column, row, section))
        return 2;
    m_popupColumn = column;
    m_popupRow = row;
    m_popupSection = section;
    POINT at = {};
    if (point)
        at = *point;
    else
        ::GetCursorPos(&at);
    return m_popupMenu.TrackPopupMenu(TPM_RIGHTBUTTON, at.x, at.y, this) ? 0 : 3;
}

void CVGCtrl::OfferPopupMenu(CWnd* section, int column, int row, CPoint point, int sectionCode)
{
    if (!m_pInfo->m_popupMenu)
        return;
    section->ClientToScreen(&point);
    OpenPopupMenu(column, row, &point, sectionCode);
}

// ---- Find and replace ----

CFindReplaceDialog* CVGCtrl::OpenFindDialog(BOOL findOnly, LPCWSTR findWhat, LPCWSTR replaceWith)
{
    if (m_pFindDialog && m_pFindDialog->GetSafeHwnd())
        return m_pFindDialog;
    auto* dialog = new CFindReplaceDialog;  // deletes itself when the box closes
    if (!dialog->Create(findOnly, findWhat, replaceWith, FR_DOWN, this)) {
        delete dialog;
        return nullptr;
    }
    m_pFindDialog = dialog;
    m_findInProgress = 1;
    return dialog;
}

void CVGCtrl::CloseFindDialog()
{
    CFindReplaceDialog* dialog = std::exchange(m_pFindDialog, nullptr);
    m_findInProgress = 0;
    if (dialog && dialog->GetSafeHwnd())
        dialog->DestroyWindow();
}

LRESULT CVGCtrl::OnFindReplace(WPARAM, LPARAM)
{
    CFindReplaceDialog* dialog = m_pFindDialog;
    if (!dialog || !dialog->GetSafeHwnd())
        return 1;
    if (dialog->IsTerminating()) {
        m_pFindDialog = nullptr;
        m_findInProgress = 0;
        RepaintAll();
        return 1;
    }
    int flags = 0;
    if (!dialog->MatchCase())
        flags |= 2;
    if (!dialog->MatchWholeWord())
        flags |= 1;
    if (!dialog->SearchDown())
        flags |= 4;
    if (m_findAllColumns)
        flags |= 8;
    const CString find = dialog->GetFindString();
    const CString replace = dialog->GetReplaceString();
    const bool replaceAll = dialog->ReplaceAll() != 0;
    CVGGridInfo& info = *m_pInfo;

    if (dialog->ReplaceCurrent()) {
        SetCellText(info.m_currentColumn, info.m_currentRow, replace);
        RepaintCell(info.m_currentColumn, info.m_currentRow);
    }
    // Replacing a text by itself changes nothing. A replacement that holds the find text is taken
    // for a new match only once the pass below comes round to it again, which ends the pass.
    if ((dialog->ReplaceCurrent() || replaceAll) && replace == find)
        return 0;

    CVGDataSource* source = info.m_pDataSource;
    int column = QueryColumnId(info.m_currentColumn);
    int row = info.m_currentRow;
    bool found = false;
    // One pass over the sheet: a hit met again ends replace-all.
    std::set<std::pair<int, int>> replaced;
    while (source && source->FindNextText(find, &column, &row, flags) == 0) {
        if (replaced.count({column, row}))
            break;
        found = true;
        const int visible = VisibleColumnOfId(column);
        MoveToCell(visible, row);
        if (!replaceAll)
            break;
        replaced.insert({column, row});
        SetCellText(visible, row, replace);
        RepaintCell(visible, row);
    }
    if (!found) {
        ::MessageBoxW(dialog->GetSafeHwnd(), L"Item not found", L"Not Found", MB_OK);
        dialog->SetFocus();
    }
    return 0;
}
