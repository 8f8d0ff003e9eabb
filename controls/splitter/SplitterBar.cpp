#include "splitter/SplitterBar.h"

IMPLEMENT_DYNAMIC(CSplitterBar, CStatic)

BEGIN_MESSAGE_MAP(CSplitterBar, CStatic)
    ON_WM_PAINT()
    ON_WM_SETCURSOR()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_WM_CAPTURECHANGED()
END_MESSAGE_MAP()

namespace {

// Shared by every splitter, loaded with the first one; system cursors are never freed.
HCURSOR g_sizeWE = nullptr;
HCURSOR g_sizeNS = nullptr;

constexpr COLORREF kLineColour = RGB(200, 200, 200);
constexpr COLORREF kFillColour = RGB(200, 220, 220);

using namespace SplitterGeometry;

}  // namespace

BOOL CSplitterBar::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    m_orientation = OrientationOf(CRect(rect));
    const CRect bar = BarRect(CRect(rect), Orientation());
    if (!CStatic::Create(L"", dwStyle | SS_NOTIFY, bar, pParentWnd, nID)) return FALSE;
    if (g_sizeWE == nullptr) g_sizeWE = ::LoadCursorW(nullptr, IDC_SIZEWE);
    if (g_sizeNS == nullptr) g_sizeNS = ::LoadCursorW(nullptr, IDC_SIZENS);
    SetRange(0, 0, -1);
    return TRUE;
}

CRect CSplitterBar::RectInParent() const {
    CRect rect;
    GetWindowRect(&rect);
    ::MapWindowPoints(nullptr, ::GetParent(m_hWnd), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void CSplitterBar::SetRange(int before, int after, int centre) {
    Range(before, after, centre, RectInParent(), Orientation(), &m_minPos, &m_maxPos);
}

void CSplitterBar::MoveToPoint(int x, int y) {
    MoveWindow(MovedTo(RectInParent(), Across(CPoint(x, y), Orientation()), Orientation()), TRUE);
}

namespace {

void MoveInParent(CWnd* pWnd, bool (*change)(const CRect&, int, int, CRect*), int delta, int side) {
    const HWND parent = pWnd != nullptr ? ::GetParent(pWnd->m_hWnd) : nullptr;
    if (parent == nullptr) return;
    CRect rect;
    pWnd->GetWindowRect(&rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    CRect changed;
    if (change(rect, delta, side, &changed)) pWnd->MoveWindow(&changed, TRUE);
}

}  // namespace

void CSplitterBar::ChangeWidth(CWnd* pWnd, int delta, int side) { MoveInParent(pWnd, ChangedWidth, delta, side); }

void CSplitterBar::ChangeHeight(CWnd* pWnd, int delta, int side) { MoveInParent(pWnd, ChangedHeight, delta, side); }

HWND CSplitterBar::NotifyTarget() const {
    const HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    return owner != nullptr ? owner : ::GetParent(m_hWnd);
}

void CSplitterBar::DrawLine(CDC* pDC, int x, int y) {
    CRect bar;
    GetWindowRect(&bar);
    CPen pen(PS_SOLID, 1, kLineColour);
    const int oldMode = pDC->SetROP2(R2_NOTXORPEN);
    CPen* oldPen = pDC->SelectObject(&pen);
    if (Orientation() == kVertical) {
        for (int lineX : {x - 1, x + 1}) {
            pDC->MoveTo(lineX, bar.top);
            pDC->LineTo(lineX, bar.bottom);
        }
    } else {
        for (int lineY : {y - 1, y + 1}) {
            pDC->MoveTo(bar.left, lineY);
            pDC->LineTo(bar.right, lineY);
        }
    }
    pDC->SelectObject(oldPen);
    pDC->SetROP2(oldMode);
}

void CSplitterBar::DrawFeedback() {
    CWindowDC screen(nullptr);
    DrawLine(&screen, m_trackX, m_trackY);
}

void CSplitterBar::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.Draw3dRect(&client, ::GetSysColor(COLOR_BTNHIGHLIGHT), ::GetSysColor(COLOR_BTNSHADOW));
    client.DeflateRect(1, 1);
    CPen pen(PS_SOLID, 1, kLineColour);
    CBrush brush(kFillColour);
    CPen* oldPen = dc.SelectObject(&pen);
    CBrush* oldBrush = dc.SelectObject(&brush);
    dc.Rectangle(&client);
    dc.SelectObject(oldPen);
    dc.SelectObject(oldBrush);
}

BOOL CSplitterBar::OnSetCursor(CWnd*, UINT nHitTest, UINT) {
    if (nHitTest != HTCLIENT) return static_cast<BOOL>(Default());
    ::SetCursor(Orientation() == kVertical ? g_sizeWE : g_sizeNS);
    return TRUE;
}

void CSplitterBar::OnLButtonDown(UINT, CPoint) {
    Default();
    m_pressed = TRUE;
    SetCapture();
    CRect bar;
    GetWindowRect(&bar);
    m_startPos = Middle(bar, Orientation());
    if (Orientation() == kVertical) m_trackX = m_startPos;
    else m_trackY = m_startPos;
    DrawFeedback();
}

void CSplitterBar::OnMouseMove(UINT, CPoint point) {
    if (m_pressed) {
        DrawFeedback();
        const HWND parent = ::GetParent(m_hWnd);
        ClientToScreen(&point);
        ::ScreenToClient(parent, &point);
        point = WithAcross(point, ClampToRange(Across(point, Orientation()), m_minPos, m_maxPos), Orientation());
        ::ClientToScreen(parent, &point);
        m_trackX = point.x;
        m_trackY = point.y;
        DrawFeedback();
    }
    Default();
}

void CSplitterBar::EndDrag(bool notify) {
    if (!m_pressed) return;
    DrawFeedback();
    m_pressed = FALSE;
    const HWND owner = NotifyTarget();
    if (!notify || owner == nullptr) return;
    CPoint final(m_trackX, m_trackY);
    ::ScreenToClient(owner, &final);
    MoveToPoint(final.x, final.y);
    SplitterNotify record = {};
    record.hdr.hwndFrom = m_hWnd;
    record.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
    record.hdr.code = kSplitterMoved;
    record.delta = Across(CPoint(m_trackX, m_trackY), Orientation()) - m_startPos;
    ::SendMessageW(owner, WM_NOTIFY, record.hdr.idFrom, reinterpret_cast<LPARAM>(&record));
}

void CSplitterBar::OnLButtonUp(UINT, CPoint) {
    EndDrag(true);
    Default();
    ::ReleaseCapture();
}

// The capture went elsewhere mid-drag (another window took it, a menu or a dialog opened): the lines
// must not stay on the screen, and the next move must not act on a press that has ended.
void CSplitterBar::OnCaptureChanged(CWnd*) {
    EndDrag(false);
    Default();
}
