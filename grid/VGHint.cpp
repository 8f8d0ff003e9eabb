#include "VGHint.h"

#include "VGCtrl.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CVGHint, CWnd)

BEGIN_MESSAGE_MAP(CVGHint, CWnd)
    ON_WM_PAINT()
END_MESSAGE_MAP()

int CVGHint::CreateHintWindow(CVGCtrl* grid, HBRUSH background)
{
    m_pGrid = grid;
    WNDCLASSW wc = {};
    if (!::GetClassInfoW(::GetModuleHandleW(nullptr), L"HintWnd", &wc)) {
        wc.style = CS_SAVEBITS | CS_DBLCLKS;
        wc.lpfnWndProc = AfxWndProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = background ? background : reinterpret_cast<HBRUSH>(COLOR_INFOBK + 1);
        wc.lpszClassName = L"HintWnd";
        if (!AfxRegisterClass(&wc))
            return 0;
    }
    if (!CreateEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"HintWnd", L"", WS_POPUP | WS_BORDER, 0, 0, 0, 0, nullptr,
                  nullptr))
        return 0;
    m_text.Empty();
    m_textColor = RGB(0, 0, 0);
    m_backColor = 0xE0FFFF;
    m_alignment = 1;
    m_pFont = nullptr;
    CClientDC dc(this);
    m_lineHeight = dc.GetTextExtent(L"X", 1).cy;
    return 1;
}

int CVGHint::PutHintText(LPCWSTR text, int redraw)
{
    m_text = text ? text : L"";
    if (redraw && m_hWnd)
        Invalidate(TRUE);
    return 0;
}

int CVGHint::PutHintAlignment(int flags)
{
    m_alignment = flags;
    return 0;
}

int CVGHint::PlaceHint(int x, int y, int minimumWidth)
{
    if (!m_hWnd || !m_pGrid)
        return 0;
    int textWidth = 0;
    {
        CClientDC dc(this);
        HGDIOBJ old = m_pFont && m_pFont->GetSafeHandle() ? dc.SelectObject(m_pFont->GetSafeHandle()) : nullptr;
        textWidth = dc.GetTextExtent(m_text).cx;
        if (old)
            dc.SelectObject(old);
    }
    const int width = std::max(minimumWidth, textWidth + 4);
    // The line and the thin border around it.
    const int height = m_lineHeight + 2 * ::GetSystemMetrics(SM_CYBORDER);
    int left = x;
    if (m_alignment & VGHINT_CENTRE)
        left = x - width / 2;
    else if (m_alignment & VGHINT_RIGHT)
        left = x - width;
    int top = y;
    if (m_alignment & VGHINT_VCENTRE)
        top = y - height / 2;
    else if (m_alignment & VGHINT_BOTTOM)
        top = y - height;
    CRect client;
    m_pGrid->GetClientRect(&client);
    CRect rect(left, top, left + width, top + height);
    if (rect.right > client.right)
        rect.OffsetRect(client.right - rect.right, 0);
    if (rect.bottom > client.bottom)
        rect.OffsetRect(0, client.bottom - rect.bottom);
    if (rect.left < 0)
        rect.OffsetRect(-rect.left, 0);
    if (rect.top < 0)
        rect.OffsetRect(0, -rect.top);
    m_pGrid->ClientToScreen(&rect);
    ShowWindow(SW_HIDE);
    MoveWindow(&rect, TRUE);
    ShowWindow(SW_SHOWNA);
    SendMessage(WM_PAINT);
    return 0;
}

int CVGHint::ShowHintNoActivate()
{
    if (m_hWnd && !IsWindowVisible())
        ShowWindow(SW_SHOWNA);
    return 0;
}

int CVGHint::HideHint()
{
    if (m_hWnd)
        ShowWindow(SW_HIDE);
    return 0;
}

void CVGHint::ShowBesideThumb(CWnd* bar, bool vertical, int alignment, const CString& text)
{
    if (!m_pGrid)
        return;
    CRect barRect;
    bar->GetWindowRect(&barRect);
    m_pGrid->ScreenToClient(&barRect);
    const DWORD at = ::GetMessagePos();
    CPoint point(static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at)));
    m_pGrid->ScreenToClient(&point);
    PutHintAlignment(alignment);
    PutHintText(text, 0);
    if (vertical)
        PlaceHint(barRect.left - 1, point.y, 40);
    else
        PlaceHint(point.x, barRect.top - 1, 20);
    ShowHintNoActivate();
}

void CVGHint::OnPaint()
{
    if (!m_pGrid || !m_pGrid->IsPainting()) {
        CPaintDC skip(this);
        return;
    }
    CClientDC dc(this);
    HGDIOBJ old = m_pFont && m_pFont->GetSafeHandle() ? dc.SelectObject(m_pFont->GetSafeHandle()) : nullptr;
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, m_backColor);
    dc.SetTextColor(m_textColor);
    dc.SetBkColor(m_backColor);
    dc.SetBkMode(OPAQUE);
    dc.DrawText(m_text, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (old)
        dc.SelectObject(old);
    ValidateRect(nullptr);
}
