#include "VGLstBox.h"

#include "VGCtrl.h"
#include "VGDropListType.h"

#include <windowsx.h>

IMPLEMENT_DYNAMIC(CVGLstBox, CListBox)

void CVGLstBox::Prepare(CVGCtrl* grid, CVGDropListType* type, int typeIndex, int* listColumn, int* listRow)
{
    m_pGrid = grid;
    m_pType = type;
    m_typeIndex = typeIndex;
    m_pListColumn = listColumn;
    m_pListRow = listRow;
}

void CVGLstBox::Close()
{
    if (m_closing || !m_hWnd)
        return;
    m_closing = 1;
    DestroyWindow();
    m_closing = 0;
}

LRESULT CVGLstBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MOUSEACTIVATE:
        return MA_ACTIVATE;
    case WM_GETDLGCODE:
        return CListBox::WindowProc(message, wParam, lParam) | DLGC_WANTARROWS | DLGC_WANTALLKEYS;
    case WM_SETFOCUS: {
        const LRESULT result = CListBox::WindowProc(message, wParam, lParam);
        SetCapture();
        m_open = 1;
        m_choiceMade = 0;
        return result;
    }
    case WM_KEYDOWN:
        // Each way out returns at once: the window is gone by then.
        if (wParam == VK_ESCAPE) {
            // Back to the cell, as after a choice: the window that goes would leave the focus to
            // its parent, the dialog, which hands it to its first control.
            CloseWithoutChoice();
            return 0;
        }
        if (wParam == VK_RETURN) {
            if (GetCurSel() == LB_ERR) {
                m_open = 0;
                Close();
            } else {
                MakeChoice();
            }
            if (!m_hWnd)
                return 0;
        }
        break;
    case WM_LBUTTONDOWN: {
        // The list holds the mouse, so a press anywhere comes here: only one on the list itself
        // is the list's. A press on its frame or scroll bar is handed on as the press it is there;
        // a press elsewhere closes the list without a choice.
        const CPoint point(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        CRect client;
        GetClientRect(&client);
        if (client.PtInRect(point))
            break;
        CPoint screen = point;
        ClientToScreen(&screen);
        CRect frame;
        GetWindowRect(&frame);
        if (frame.PtInRect(screen)) {
            PressOnFrame(screen);
            return 0;
        }
        CloseWithoutChoice();
        return 0;
    }
    case WM_LBUTTONUP: {
        if (::GetCapture() == m_hWnd)
            ::ReleaseCapture();
        const LRESULT result = CListBox::WindowProc(message, wParam, lParam);
        // Only a release over an item chooses it: the release of the press that opened the list
        // lands on the cell, outside.
        if (m_hWnd && ItemUnder(CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) && GetCurSel() != LB_ERR)
            MakeChoice();
        return result;
    }
    case WM_KILLFOCUS:
        if (::GetCapture() == m_hWnd)
            ::ReleaseCapture();
        CListBox::WindowProc(message, wParam, lParam);
        Close();
        return 0;
    case WM_DESTROY: {
        const LRESULT result = CListBox::WindowProc(message, wParam, lParam);
        OnClosed();
        return result;
    }
    default:
        break;
    }
    return CListBox::WindowProc(message, wParam, lParam);
}

bool CVGLstBox::ItemUnder(CPoint point) const
{
    CRect client;
    GetClientRect(&client);
    if (!client.PtInRect(point))
        return false;
    const LRESULT found = ::SendMessageW(m_hWnd, LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
    return HIWORD(found) == 0;
}

void CVGLstBox::PressOnFrame(CPoint screen)
{
    ::ReleaseCapture();
    const LPARAM at = MAKELPARAM(screen.x, screen.y);
    const LRESULT hit = CListBox::WindowProc(WM_NCHITTEST, 0, at);
    CListBox::WindowProc(WM_NCLBUTTONDOWN, static_cast<WPARAM>(hit), at);
    // The scroll bar's own loop has ended: the list, still open, holds the mouse again.
    if (m_hWnd && ::GetFocus() == m_hWnd)
        SetCapture();
}

void CVGLstBox::CloseWithoutChoice()
{
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    CVGCtrl* grid = m_pGrid;
    Close();
    if (grid)
        grid->CellArea().SetFocus();
}

void CVGLstBox::OnClosed()
{
    m_open = 0;
    if (!m_choiceMade && m_pListColumn && m_pListRow) {
        *m_pListColumn = -2;
        *m_pListRow = -2;
    }
    m_choiceMade = 0;
    if (m_pGrid)
        m_pGrid->CellArea().Invalidate(FALSE);
}

void CVGLstBox::MakeChoice()
{
    m_choiceMade = 1;
    if (!m_pGrid || !m_pType || !m_pListColumn || !m_pListRow)
        return;
    const int column = *m_pListColumn;
    const int row = *m_pListRow;
    CVGCell cell;
    m_pGrid->GetEffectiveCell(column, row, &cell);
    if (!(cell.HasProperty(VGCELL_READONLY) && cell.ReadReadOnly())) {
        const int index = GetCurSel();
        CString text;
        GetText(index, text);
        m_pType->NotifyGrid(m_typeIndex, column, row, VGDROP_CHOSENINDEX, index);
        if (m_pType->NotifyGrid(m_typeIndex, column, row, VGDROP_CHOOSING, reinterpret_cast<LPARAM>(&text))) {
            m_pGrid->GetStoredCell(column, row, &cell);
            cell.PutText(text);
            m_pGrid->StoreCell(column, row, &cell);
            m_pType->NotifyGrid(m_typeIndex, column, row, VGDROP_CHOSEN, reinterpret_cast<LPARAM>(&text));
            m_pGrid->RepaintCell(column, row);
        }
    }
    m_open = 0;
    *m_pListColumn = -1;
    *m_pListRow = -1;
    m_pGrid->CellArea().SetFocus();
}
