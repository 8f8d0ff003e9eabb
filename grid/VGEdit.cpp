#include "VGEdit.h"

#include "VGCtrl.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CVGEdit, CVGEditBase)

BEGIN_MESSAGE_MAP(CVGEdit, CVGEditBase)
    ON_WM_SETCURSOR()
    ON_WM_SETFOCUS()
    ON_CONTROL_REFLECT(EN_UPDATE, OnUpdate)
END_MESSAGE_MAP()

BOOL CVGEdit::PreTranslateMessage(MSG* pMsg)
{
    // Escape ends the edit here, before a dialog around the grid could take it as its cancel key.
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE) {
        LeaveCancelled();
        return TRUE;
    }
    return CVGEditBase::PreTranslateMessage(pMsg);
}

BOOL CVGEdit::OnSetCursor(CWnd*, UINT, UINT)
{
    ::SetCursor(::LoadCursorW(nullptr, IDC_IBEAM));
    return TRUE;
}

void CVGEdit::OnSetFocus(CWnd*)
{
    m_growActive = m_autoGrow;
    if (m_pGrid) {
        CVGCell* cell = EditedCell();
        CVGCellType* type = m_pGrid->CellTypeOfCell(m_pGrid->QueryEditColumn(), m_pGrid->QueryEditRow());
        if (cell && !type->CanOverflow(cell))
            m_growActive = 0;
    }
    GrowToText();
    m_cancel = 0;
    m_continue = 0;
    SetSel(0, -1);
    Default();
}

void CVGEdit::OnUpdate()
{
    GrowToText();
    if (Themed())
        RepaintBeneath();
}

void CVGEdit::GrowToText()
{
    if (!m_growActive || !m_pGrid || !m_pGrid->Info() || !m_pGrid->Info()->m_overflowText)
        return;
    CVGGrid& cells = m_pGrid->CellArea();
    // Growing reaches over neighbouring cells: only an edit laid over the cell area does it.
    if (GetParent() != &cells)
        return;
    CString text;
    GetWindowText(text);
    text += L" X X";
    CRect edit;
    GetWindowRect(&edit);
    cells.ScreenToClient(&edit);
    CRect client;
    cells.GetClientRect(&client);
    CRect grown = edit;
    grown.right = client.right;
    grown.left += 2;
    {
        CClientDC dc(this);
        CFont* font = GetFont();
        const HGDIOBJ old = font ? dc.SelectObject(font->GetSafeHandle()) : nullptr;
        dc.DrawText(text, &grown, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        if (old)
            dc.SelectObject(old);
    }
    grown.left -= 2;
    grown.bottom = std::min<LONG>(grown.bottom, client.bottom - 1);
    int column = 0, row = 0;
    RECT cell;
    if (grown.right > edit.right && m_pGrid->HitTestCell(grown.right + 1, grown.top + 1, &column, &row, &cell) == 0)
        grown.right = std::min<LONG>(cell.right, client.right) - 1;
    if (grown.bottom > edit.bottom) {
        grown.right = client.right;
        if (m_pGrid->HitTestCell(grown.left + 1, grown.bottom + 1, &column, &row, &cell) == 0)
            grown.bottom = cell.bottom - 1;
    }
    grown.bottom = std::max<LONG>(edit.bottom, std::min<LONG>(grown.bottom, client.bottom - 1));
    grown.right = std::max<LONG>(grown.right, edit.right);
    if (grown != edit) {
        MoveWindow(&grown, TRUE);
        cells.ValidateRect(&grown);
    }
}
