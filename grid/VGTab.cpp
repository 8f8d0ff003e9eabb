#include "VGTab.h"

#include "VGCtrl.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CVGTab, CWnd)

BEGIN_MESSAGE_MAP(CVGTab, CWnd)
    ON_WM_PAINT()
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_HSCROLL()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_RBUTTONDOWN()
    ON_WM_SETCURSOR()
END_MESSAGE_MAP()

namespace {
constexpr int kBarId = 100;
constexpr int kMinimumStrip = 40;
constexpr int kScrollStep = 5;
}  // namespace

CVGTab::CVGTab() : m_barWidth(2 * ::GetSystemMetrics(SM_CXHSCROLL))
{
    m_font.CreateFont(14, 0, 0, 0, 500, 0, 0, 0, 0, 0, 0, 0, 0, L"Arial");
    m_pFont = &m_font;
}

BOOL CVGTab::PreCreateWindow(CREATESTRUCT& cs)
{
    cs.style |= WS_CLIPCHILDREN;
    return CWnd::PreCreateWindow(cs);
}

int CVGTab::OnCreate(LPCREATESTRUCT)
{
    if (static_cast<int>(Default()) == -1)
        return -1;
    CRect client;
    GetClientRect(&client);
    m_bar.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, m_barWidth, client.bottom), this, kBarId);
    return 0;
}

int CVGTab::AddTab(LPCWSTR label, int id, int width, COLORREF text, COLORREF back, COLORREF currentText,
                   COLORREF currentBack)
{
    if (m_count >= kMaxTabs)
        return 1;
    m_labels[m_count] = label ? label : L"";
    m_ids[m_count] = id;
    m_widths[m_count] = width;
    m_textColors[m_count] = text;
    m_backColors[m_count] = back;
    m_currentTextColors[m_count] = currentText;
    m_currentBackColors[m_count] = currentBack;
    ++m_count;
    RecomputeScrollLimit();
    return 0;
}

void CVGTab::SetStripWidth(int width)
{
    m_pInfo->m_tabStripWidth = std::max(width, kMinimumStrip);
    m_pGrid->SetTabResizing(1);
    m_pGrid->RecalcLayout();
    m_pGrid->SetTabResizing(0);
}

void CVGTab::RefreshNow()
{
    if (m_hWnd) {
        Invalidate(TRUE);
        UpdateWindow();
    }
}

void CVGTab::RecomputeScrollLimit()
{
    if (!m_hWnd)
        return;
    CRect client;
    GetClientRect(&client);
    long long total = 0;
    for (int i = 0; i < m_count; ++i)
        total += m_widths[i];
    const long long available = client.Width() - m_barWidth;
    m_largestOffset = total <= available ? 0 : static_cast<int>(total - available) + 20;
}

int CVGTab::TabAt(int x) const
{
    int found = -1;
    long long left = m_barWidth - m_offset;
    for (int i = 0; i < m_count; ++i) {
        const long long right = left + m_widths[i];
        if (x >= left && x <= right + 2)
            found = i;
        left = right;
    }
    return found;
}

void CVGTab::DrawTab(CDC* dc, int index, int x, const RECT& client, bool current)
{
    const int right = x + m_widths[index];
    const POINT points[4] = {{x, client.top}, {x + 7, client.bottom}, {right + 2, client.bottom}, {right + 9, client.top}};
    CBrush brush;
    brush.CreateSolidBrush(current ? m_currentBackColors[index] : m_backColors[index]);
    HGDIOBJ oldBrush = dc->SelectObject(brush.GetSafeHandle());
    dc->Polygon(points, 4);
    dc->SelectObject(oldBrush);
    if (current) {
        CPen open(PS_SOLID, 1, m_currentBackColors[index]);
        HGDIOBJ oldPen = dc->SelectObject(open.GetSafeHandle());
        dc->MoveTo(x + 1, client.top);
        dc->LineTo(right + 9, client.top);
        dc->SelectObject(oldPen);
    }
    dc->SetTextColor(current ? m_currentTextColors[index] : m_textColors[index]);
    dc->SetBkMode(TRANSPARENT);
    dc->ExtTextOut(x + 10, client.top + 1, 0, nullptr, m_labels[index], nullptr);
}

void CVGTab::OnPaint()
{
    CPaintDC dc(this);
    if (!m_pInfo || !m_pInfo->m_painting)
        return;
    const int saved = dc.SaveDC();
    if (m_pFont && m_pFont->GetSafeHandle())
        dc.SelectObject(m_pFont->GetSafeHandle());
    CPen white(PS_SOLID, 1, RGB(255, 255, 255));
    CPen black(PS_SOLID, 1, RGB(0, 0, 0));
    CPen face(PS_SOLID, 1, ::GetSysColor(COLOR_BTNFACE));
    CPen shadow(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW));
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, ::GetSysColor(COLOR_BTNFACE));
    RECT inner = {client.left, client.top, client.right - 1, client.bottom - 1};
    int x = m_barWidth - m_offset;
    int currentX = -1;
    for (int i = 0; i < m_count; ++i) {
        if (i == m_current)
            currentX = x;
        else
            DrawTab(&dc, i, x, inner, false);
        x += m_widths[i];
    }
    if (currentX != -1 && m_current < m_count)
        DrawTab(&dc, m_current, currentX, inner, true);
    const struct {
        int offset;
        CPen* pen;
    } grip[] = {{1, &black}, {2, &shadow}, {3, &face}, {4, &face}, {5, &white}, {6, &face}};
    for (const auto& line : grip) {
        dc.SelectObject(line.pen->GetSafeHandle());
        dc.MoveTo(client.right - line.offset, client.top);
        dc.LineTo(client.right - line.offset, client.bottom);
    }
    if (m_bar.GetSafeHwnd()) {
        m_bar.Invalidate(TRUE);
        m_bar.UpdateWindow();
    }
    dc.SelectObject(black.GetSafeHandle());
    dc.MoveTo(0, client.top);
    dc.LineTo(m_barWidth + 1, client.top);
    dc.RestoreDC(saved);
}

void CVGTab::OnSize(UINT, int, int cy)
{
    if (m_bar.GetSafeHwnd())
        m_bar.MoveWindow(0, 0, m_barWidth, cy, TRUE);
    RecomputeScrollLimit();
}

void CVGTab::OnHScroll(UINT nSBCode, UINT, CScrollBar*)
{
    // Steps never take the offset below 0 or past the largest offset.
    if (nSBCode == SB_LINELEFT && m_offset > 0)
        m_offset = std::max(0, m_offset - kScrollStep);
    else if (nSBCode == SB_LINERIGHT && m_offset < m_largestOffset - kScrollStep)
        m_offset += kScrollStep;
    Invalidate(TRUE);
    Default();
}

void CVGTab::OnLButtonDown(UINT, CPoint point)
{
    if (m_armed) {
        SetCapture();
        m_resizing = 1;
        Default();
        return;
    }
    CRect client;
    GetClientRect(&client);
    long long left = m_barWidth - m_offset;
    for (int i = 0; i < m_count; ++i) {
        const long long right = left + m_widths[i];
        if (point.x >= left && point.x <= right + 2) {
            m_current = i;
            if (left - 5 < m_barWidth)
                m_offset = std::max(0, m_offset - static_cast<int>(m_barWidth - (left - 5)));
            else if (right + 19 > client.right)
                m_offset = std::min(m_largestOffset, m_offset + static_cast<int>(right + 19 - client.right));
            Invalidate(TRUE);
            m_pGrid->OnSheetTabClicked(m_ids[i]);
        }
        left = right;
    }
    Default();
}

void CVGTab::OnLButtonUp(UINT, CPoint)
{
    if (GetCapture() == this)
        ReleaseCapture();
    m_resizing = 0;
}

void CVGTab::OnMouseMove(UINT, CPoint point)
{
    if (m_resizing) {
        SetStripWidth(point.x);
        return;
    }
    CRect client;
    GetClientRect(&client);
    m_armed = point.x > client.right - 7 ? 1 : 0;
}

BOOL CVGTab::OnSetCursor(CWnd*, UINT, UINT)
{
    ::SetCursor(m_armed && m_pInfo ? m_pInfo->m_sizeWECursor : ::LoadCursorW(nullptr, IDC_ARROW));
    return TRUE;
}

void CVGTab::OnRButtonDown(UINT, CPoint point)
{
    m_pGrid->OfferPopupMenu(this, TabAt(point.x), 0, point, VGSECTION_TABS);
}
