// CVGHeading: what the grid's two headings and the corner button share. Each finds its cells through
// the layout's functions for its section, reports the right button, help and tooltips for the cell
// under the pointer to the grid under its own section and hooks, and keeps the state of a border
// drag; each paints and takes the left button its own way. The headings' cells lie in bands (the top
// heading's rows, the side heading's columns) along the sheet's lines (its columns, its rows).
#pragma once

#include "CellRedrawList.h"
#include "VGCell.h"
#include "VGHeadingDrag.h"
#include "VGToolTips.h"

#include <framework/Framework.h>

#include <vector>

class CVGCtrl;
class CVGGridInfo;

// What tells one section from another where they work alike. The corner button is one cell,
// (-1, -1), over its whole area: it has no hit test, cell rectangle or cell hooks; its presses go
// to the grid's corner hooks untold to the cell's type, a right press leaves the focus where it is,
// and its tips are wide and slow.
struct VGHeadingKind {
    using DoubleClickHook = void (CVGCtrl::*)(int, int, RECT*, POINT*, int);

    int section;
    VGHeadingDrag::HeadingHitFn hitTest;
    VGHeadingDrag::HeadingCellRectFn cellRect;
    VGHeadingDrag::ButtonHook leftButton;
    VGHeadingDrag::ButtonHook rightButton;
    DoubleClickHook doubleClick;
    VGToolTips::LastCell* tipCell;  // the section's last tip cell, one for the process
};

class CVGHeading : public CWnd {
    DECLARE_DYNAMIC(CVGHeading)

public:
    void SetOwner(CVGCtrl* grid) { m_pGrid = grid; }
    void SetInfo(CVGGridInfo* info) { m_pInfo = info; }

    int ComputeHeadingCellRect(int* column, int* row, RECT* rect);
    int HitTestHeading(POINT point, int* column, int* row, RECT* rect);
    const VGResizeState& ResizeState() const { return m_resize; }
    // Arms a border under the point (no button held); what a pointer move does first.
    virtual void TestBorders(CPoint point) = 0;

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    // A tip for the cell under the pointer once it rests there (shown while tooltips are enabled).
    INT_PTR OnToolHitTest(CPoint point, TOOLINFOW* pTI) const override;

protected:
    explicit CVGHeading(const VGHeadingKind& kind) : m_kind(kind) {}

    // A press (down 1) or release (down 0) of the left or right button on a cell: its type first,
    // then the section's hook in the grid.
    void ReportButton(bool left, int down, int column, int row, RECT* rect, POINT* point);
    // The same for the cell under the point, when there is one.
    void ReportButtonAt(bool left, int down, CPoint point);
    // A double click on the cell under the point, when there is one: its type first, then the grid.
    void ReportDoubleClickAt(CPoint point);

    // Paints the listed cells of a heading's bands over the shown lines until the cell area's
    // length is passed, then the rest of the client area in the section's colour. Returns the
    // last line painted (the line count when the lines ended first).
    int PaintBands(CDC* dc, int selectedLine = -1);
    // Arms the border after a shown line under the point (a hidden line right after it is the one
    // the drag opens again), or the border of a band. True when the point is on such a border,
    // armed or refused by the grid.
    bool ArmLineBorder(CPoint point);
    bool ArmBandBorder(CPoint point);
    // The window repaints at once.
    void RepaintNow();

    // A pointer move with a resize under way, and the release that ends it.
    virtual void Drag(CPoint point) = 0;
    virtual void EndResize(CPoint point) = 0;
    // A left press on no armed border; by default reported for the cell under it.
    virtual void Press(CPoint point) { ReportButtonAt(true, 1, point); }
    // A pointer move with the left button held and no resize under way.
    virtual void MoveHeld(CPoint) {}
    // After every left release.
    virtual void Released() {}
    // A double click on an armed border: true when it was taken as such.
    virtual bool DoubleClickBorder(CPoint) { return false; }

    virtual void OnPaint() = 0;
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnRButtonDown(UINT nFlags, CPoint point);
    void OnRButtonUp(UINT nFlags, CPoint point);
    BOOL OnHelpInfo(HELPINFO* pHelpInfo);
    LRESULT OnHelpHitTest(WPARAM wParam, LPARAM lParam);
    BOOL OnNeedTipText(UINT id, NMHDR* pNMHDR, LRESULT* pResult);

    DECLARE_MESSAGE_MAP()

    CVGCtrl* m_pGrid = nullptr;
    CVGGridInfo* m_pInfo = nullptr;
    CVGCell m_cell;
    VGResizeState m_resize;
    RECT m_marker = {-1, -1, -1, -1};
    CellRedrawList m_redraw;

private:
    bool IsCorner() const { return m_kind.hitTest == nullptr; }
    // The top heading's bands run along the columns, the side heading's along the rows.
    bool AlongColumns() const;
    std::vector<int>& Bands() const;
    int LineCount() const;
    int ShownLineFrom(int line) const;
    int LineSize(int line) const;
    // The cell of a line and a band, as (column, row).
    CPoint CellOf(int line, int band) const;
    // The help context of the cell under the point (of column = row = -1 when none).
    DWORD HelpContextAt(CPoint point);

    const VGHeadingKind m_kind;
};
