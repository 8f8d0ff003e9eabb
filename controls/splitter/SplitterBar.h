// CSplitterBar: a thin bar the user drags to resize the windows beside it. While the button is held
// a pair of lines on the screen shows where the bar would go; on release the bar moves there and
// tells its owner by WM_NOTIFY (code kSplitterMoved) how far it moved. The owner resizes the
// neighbours with ChangeWidth and ChangeHeight.
#pragma once

#include <framework/Framework.h>

#include "splitter/SplitterGeometry.h"

// The notification a splitter sends its owner when a drag ends.
constexpr UINT kSplitterMoved = 0x401;

struct SplitterNotify {
    NMHDR hdr;   // hwndFrom the splitter, idFrom its id, code kSplitterMoved
    int delta;   // pixels moved along the bar's axis, positive right or down
};

class CSplitterBar : public CStatic {
    DECLARE_DYNAMIC(CSplitterBar)
public:
    // The bar runs vertically when the rectangle is narrower than tall; it is cut to 5 pixels across.
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    // The drag range: `before` pixels to the left (above) and `after` to the right (below) of the
    // centre, in the parent's client coordinates; a negative centre is the bar's own middle.
    void SetRange(int before, int after, int centre);
    // Moves the bar so that its middle lies at x (vertical bar) or y (horizontal bar) of the parent.
    void MoveToPoint(int x, int y);

    // Resizes a neighbour: side 1 moves its right edge by +delta, side 2 its left edge by -delta.
    static void ChangeWidth(CWnd* pWnd, int delta, int side);
    // Side 3 moves the bottom edge by +delta, side 4 the top edge by -delta.
    static void ChangeHeight(CWnd* pWnd, int delta, int side);

    int GetOrientation() const { return m_orientation; }
    void GetRange(int& minPos, int& maxPos) const { minPos = m_minPos; maxPos = m_maxPos; }
    bool IsPressed() const { return m_pressed != FALSE; }

protected:
    // The drag feedback at (x, y) in screen coordinates: two lines a pixel either side of the
    // position along the bar, XOR-drawn so that drawing them again removes them.
    virtual void DrawLine(CDC* pDC, int x, int y);

    void OnPaint();
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnCaptureChanged(CWnd* pWnd);
    DECLARE_MESSAGE_MAP()

private:
    SplitterGeometry::Orientation Orientation() const {
        return static_cast<SplitterGeometry::Orientation>(m_orientation);
    }
    CRect RectInParent() const;
    // The window told of moves: the owner, or the parent when no other owner was set.
    HWND NotifyTarget() const;
    // Draws (or, drawn twice, removes) the feedback at the current track position.
    void DrawFeedback();
    void EndDrag(bool notify);

    BOOL m_pressed = FALSE;
    int m_orientation = SplitterGeometry::kHorizontal;
    int m_trackX = 0;
    int m_trackY = 0;
    int m_minPos = -1;
    int m_maxPos = -1;
    int m_startPos = 0;
};
