// CVGGrid: the grid's cell area (section 1).
//
// It owns no data: what it draws comes from the grid (CVGCtrl) and the current sheet's settings.
// It paints the listed cells through their cell types, draws the focus frame, turns the mouse and
// keys into calls on the cell type first and then on the grid, runs the drag-selection loop, and
// after a move repaints only what changed, copying pixels on screen where that is safe.
#pragma once

#include "CellRedrawList.h"
#include "VGCell.h"

#include <framework/Framework.h>

class CVGCtrl;
class CVGGridInfo;

class CVGGrid : public CWnd {
    DECLARE_DYNAMIC(CVGGrid)

public:
    CVGGrid() = default;
    ~CVGGrid() override;

    void SetOwner(CVGCtrl* grid) { m_pGrid = grid; }
    void SetInfo(CVGGridInfo* info) { m_pInfo = info; }
    CellRedrawList& RedrawList() { return m_redraw; }

    // Draws the listed cells, the empty areas and the focus frame.
    void PaintVisibleCells(CDC* dc);
    // After a change of the current cell, left column or top row.
    void RefreshAfterMove();
    void RefreshRange(int startColumn, int startRow, int endColumn, int endRow);
    void RefreshCell(int column, int row);
    void RefreshNow();
    // Invalidates the rectangle without erasing and paints the listed cells at once.
    void PaintRectNow(const RECT* rect);
    // Whether a move may shift the drawn pixels instead of repainting: no find dialog, no scroll tips,
    // and no window in front of the grid covering part of it.
    bool PixelCopyAllowed() const;
    // Shifts the pixels of the area by (-dx, -dy) on screen and invalidates what could not be copied,
    // except the strip the move uncovers, which the caller draws.
    static void ScrollPixels(CWnd* window, CDC* dc, const CRect& area, int dx, int dy);

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    CScrollBar* GetScrollBarCtrl(int nBar) const override;
    INT_PTR OnToolHitTest(CPoint point, TOOLINFOW* pTI) const override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnDestroy();
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    int OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message);
    UINT OnGetDlgCode();
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    void OnRButtonDown(UINT nFlags, CPoint point);
    void OnRButtonUp(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnSetFocus(CWnd* pOldWnd);
    void OnKillFocus(CWnd* pNewWnd);
    BOOL OnHelpInfo(HELPINFO* pHelpInfo);
    LRESULT OnHelpHitTest(WPARAM wParam, LPARAM lParam);
    BOOL OnNeedTipText(UINT id, NMHDR* pNMHDR, LRESULT* pResult);

    DECLARE_MESSAGE_MAP()

private:
    // The cell under a client point: 0 and the cell, or 1 and column = row = -1.
    int CellAt(CPoint point, int* column, int* row, RECT* rect);
    // One round of the drag-selection loop at the point; true while the view keeps scrolling.
    bool DragStep(CPoint point);
    void ListCurrentCell(int column, int row);
    // A button press: the cell under it becomes current, its type sees the press, then the grid.
    void Press(bool left, UINT nFlags, CPoint point, int* column, int* row, RECT* rect);
    // A button release: the cell type, then the grid's hook; the target follows the current cell.
    void Release(bool left, CPoint point);
    void ArrowKey(UINT key, int step);

    int m_buttonDown = 0;
    CVGCtrl* m_pGrid = nullptr;
    CVGGridInfo* m_pInfo = nullptr;
    CellRedrawList m_redraw;
    CVGCell m_cell;
    int m_keyRepeat = 0;
    int m_hasFocus = 0;
    int m_typeHoldsMouse = 0;
};
