#include "VGEditBase.h"

#include "VGCtrl.h"
#include "VGDataSource.h"
#include "VGDialogKeys.h"
#include "VGXPThemes.h"

#include <algorithm>
#include <vector>

IMPLEMENT_DYNAMIC(CVGEditBase, CEdit)

BEGIN_MESSAGE_MAP(CVGEditBase, CEdit)
    ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

CVGEditBase::CVGEditBase() : m_transparentBrush(static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH))) {}

CVGCell* CVGEditBase::EditedCell() const
{
    return m_pGrid ? m_pGrid->EditCell() : nullptr;
}

bool CVGEditBase::Themed()
{
    return VGXPThemes::ThemesAvailable();
}

void CVGEditBase::RepaintBeneath()
{
    CWnd* parent = GetParent();
    if (!parent)
        return;
    CRect rect;
    GetWindowRect(&rect);
    parent->ScreenToClient(&rect);
    parent->InvalidateRect(&rect, FALSE);
    parent->UpdateWindow();
}

void CVGEditBase::LeaveTo(int column, int row)
{
    m_targetColumn = column;
    m_targetRow = row;
    m_continue = 1;
    if (m_pGrid)
        m_pGrid->SetFocus();
}

void CVGEditBase::LeaveCancelled()
{
    m_cancel = 1;
    m_continue = 0;
    if (m_pGrid)
        m_pGrid->SetFocus();
}

bool CVGEditBase::OfferKey(UINT* key)
{
    if (!m_pGrid)
        return true;
    const int column = m_pGrid->QueryEditColumn();
    const int row = m_pGrid->QueryEditRow();
    CVGDataSource* source = m_pGrid->DataSourceOfColumn(column);
    if (source && !source->OnEditKey(m_pGrid->QueryColumnId(column), row, this, key))
        return false;
    return m_pGrid->OnEditKey(column, row, this, key) != 0;
}

LRESULT CVGEditBase::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SETFOCUS: {
        if (!m_pGrid)
            m_pGrid = DYNAMIC_DOWNCAST(CVGCtrl, GetParent());
        const LRESULT result = CEdit::WindowProc(message, wParam, lParam);
        m_lastKey = 0;
        m_cancel = 0;
        m_continue = 0;
        // The whole text, anchored at its end with the caret at its start.
        SendMessage(EM_SETSEL, static_cast<WPARAM>(GetWindowTextLength()), 0);
        CVGCell* cell = EditedCell();
        if (cell && cell->HasProperty(VGCELL_READONLY) && cell->ReadReadOnly())
            SetReadOnly(TRUE);
        return result;
    }
    case WM_KILLFOCUS:
        return OnFocusLost(reinterpret_cast<HWND>(wParam));
    case WM_PAINT:
        if (Themed()) {
            PaintThemed();
            return 0;
        }
        break;
    case WM_MOUSEACTIVATE:
        return MA_ACTIVATE;
    case WM_GETDLGCODE:
        return vgkeys::EditorDialogCode(lParam);
    case WM_KEYDOWN:
        m_lastKey = static_cast<int>(wParam);
        return OnKeyDownMessage(wParam, lParam);
    case WM_CHAR:
        m_lastKey = static_cast<int>(wParam);
        return OnCharMessage(wParam, lParam);
    case WM_MOUSEMOVE:
        if (Themed())
            RepaintBeneath();
        break;
    case VGM_RETAKEFOCUS:
        if (IsWindowVisible())
            SetFocus();
        return 0;
    default:
        break;
    }
    return CEdit::WindowProc(message, wParam, lParam);
}

LRESULT CVGEditBase::OnKeyDownMessage(WPARAM key, LPARAM flags)
{
    const int column = m_pGrid ? m_pGrid->QueryCurrentColumn() : 0;
    const int row = m_pGrid ? m_pGrid->QueryCurrentRow() : 0;
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    const bool control = ::GetKeyState(VK_CONTROL) < 0;
    int start = 0, end = 0;
    switch (key) {
    case VK_TAB:
        LeaveTo(shift ? column - 1 : column + 1, row);
        return 0;
    case VK_RETURN: {
        CVGCell* cell = EditedCell();
        const int style = cell && cell->HasProperty(VGCELL_TYPESTYLE) ? cell->ReadTypeStyle() : 0;
        // Ctrl+Enter in a word-wrap cell: the line break arrives as a character.
        if (control && (style & VGSTYLE_WORDWRAP))
            return 0;
        LeaveTo(column, row + 1);
        return 0;
    }
    case VK_DOWN:
        LeaveTo(column, row + 1);
        return 0;
    case VK_UP:
        LeaveTo(column, row - 1);
        return 0;
    case VK_ESCAPE:
        LeaveCancelled();
        return 0;
    case VK_LEFT:
        GetSel(start, end);
        if (start == end && end == 0) {
            LeaveTo(column - 1, row);
            return 0;
        }
        break;
    case VK_RIGHT: {
        GetSel(start, end);
        const int length = GetWindowTextLength();
        if ((start == end && end == length) || (start == 0 && end == length)) {
            LeaveTo(column + 1, row);
            return 0;
        }
        break;
    }
    case VK_DELETE: {
        UINT deleted = 127;
        if (!OfferKey(&deleted))
            return 0;
        break;
    }
    default:
        break;
    }
    return CEdit::WindowProc(WM_KEYDOWN, key, flags);
}

LRESULT CVGEditBase::OnCharMessage(WPARAM character, LPARAM flags)
{
    if (character == VK_TAB || character == VK_RETURN || character == VK_ESCAPE)
        return 0;
    UINT key = static_cast<UINT>(character);
    if (!OfferKey(&key))
        return 0;
    return CEdit::WindowProc(WM_CHAR, key, flags);
}

LRESULT CVGEditBase::OnFocusLost(HWND gaining)
{
    SetReadOnly(FALSE);
    const LRESULT result = CEdit::WindowProc(WM_KILLFOCUS, reinterpret_cast<WPARAM>(gaining), 0);
    if (!m_pGrid)
        return result;
    const HWND grid = m_pGrid->GetSafeHwnd();
    CVGGridInfo* info = m_pGrid->Info();
    const bool insideGrid = gaining && (gaining == grid || ::GetParent(gaining) == grid);
    if (info && info->m_cancelEditOnFocusLeave && !insideGrid)
        m_cancel = 1;
    // Focus handed to the grid itself goes on to the cell area by the grid's own focus handler.
    if (gaining != grid)
        m_pGrid->OnSectionKillFocus(VGSECTION_CELLS, gaining ? CWnd::FromHandle(gaining) : nullptr);
    CString text;
    GetWindowText(text);
    if (m_pGrid->FinishCellEdit(text, m_cancel, m_continue, m_targetColumn, m_targetRow) == 0) {
        m_pGrid->MoveToCell(m_pGrid->QueryCurrentColumn(), m_pGrid->QueryCurrentRow());
        PostMessage(VGM_RETAKEFOCUS);
    }
    return result;
}

HBRUSH CVGEditBase::CtlColor(CDC* pDC, UINT)
{
    if (!Themed())
        return nullptr;
    pDC->SetBkMode(TRANSPARENT);
    return m_transparentBrush;
}

void CVGEditBase::PaintThemed()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    CRect window;
    GetWindowRect(&window);
    ScreenToClient(&window);
    VGXPThemes::ThemedBackground(m_hWnd, dc.GetSafeHdc(), VGTHEME_CELL, VGSTATE_SELECTEDCURRENT, &window, &client);
    CFont* font = GetFont();
    const HGDIOBJ oldFont = font ? dc.SelectObject(font->GetSafeHandle()) : nullptr;
    dc.SetBkMode(TRANSPARENT);
    TEXTMETRICW metrics = {};
    dc.GetTextMetrics(&metrics);
    const int lineHeight = metrics.tmHeight > 0 ? metrics.tmHeight : 1;
    int selectionStart = 0, selectionEnd = 0;
    GetSel(selectionStart, selectionEnd);
    const int first = static_cast<int>(SendMessage(EM_GETFIRSTVISIBLELINE));
    const int lines = GetLineCount();
    const DWORD margins = static_cast<DWORD>(SendMessage(EM_GETMARGINS));
    int y = client.top;
    for (int line = first; line < lines && y < client.bottom; ++line, y += lineHeight) {
        const int lineStart = LineIndex(line);
        const int length = LineLength(lineStart);
        CString text;
        if (length > 0) {
            std::vector<wchar_t> buffer(static_cast<size_t>(length) + 2, 0);
            *reinterpret_cast<WORD*>(buffer.data()) = static_cast<WORD>(length + 1);
            const int copied = static_cast<int>(SendMessage(EM_GETLINE, static_cast<WPARAM>(line),
                                                            reinterpret_cast<LPARAM>(buffer.data())));
            text = CString(buffer.data(), copied);
        }
        // The line in three runs: before, inside and after the selection; the selection highlighted.
        int x = client.left + LOWORD(margins);
        const int runs[4] = {0, std::max(0, std::min(length, selectionStart - lineStart)),
                             std::max(0, std::min(length, selectionEnd - lineStart)), length};
        for (int run = 0; run < 3; ++run) {
            const int count = runs[run + 1] - runs[run];
            if (count <= 0)
                continue;
            const LPCWSTR part = text.GetString() + runs[run];
            const CSize size = dc.GetTextExtent(part, count);
            const bool selected = run == 1 && GetFocus() == this;
            if (selected)
                dc.FillSolidRect(x, y, size.cx, lineHeight, ::GetSysColor(COLOR_HIGHLIGHT));
            dc.SetTextColor(::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
            dc.TextOut(x, y, part, count);
            x += size.cx;
        }
    }
    if (oldFont)
        dc.SelectObject(oldFont);
}
