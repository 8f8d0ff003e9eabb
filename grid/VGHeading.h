// CVGHeading: what the grid's two headings share. Each finds its cells through the layout's
// functions for its section, reports the right button, help and tooltips for the cell under the
// pointer to the grid under its own section and hooks, and keeps the state of a border drag.
#pragma once

#include "CellRedrawList.h"
#include "VGCell.h"
#include "VGHeadingDrag.h"
#include "VGToolTips.h"

#include <framework/Framework.h>

class CVGCtrl;
class CVGGridInfo;

// What tells one heading from the other where they work alike.
struct VGHeadingKind {
    using DoubleClickHook = void (CVGCtrl::*)(int, int, RECT*, POINT*, int);

    int section;
    VGHeadingDrag::HeadingHitFn hitTest;
    VGHeadingDrag::HeadingCellRectFn cellRect;
    VGHeadingDrag::ButtonHook leftButton;
    VGHeadingDrag::ButtonHook rightButton;
    DoubleClickHook doubleClick;
    VGToolTips::LastCell* tipCell;  // the heading's last tip cell, one for the process
};

class CVGHeading : public CWnd {
    DECLARE_DYNAMIC(CVGHeading)

public:
    void SetOwner(CVGCtrl* grid) { m_pGrid = grid; }
    void SetInfo(CVGGridInfo* info) { m_pInfo = info; }

    int ComputeHeadingCellRect(int* column, int* row, RECT* rect);
    int HitTestHeading(POINT point, int* column, int* row, RECT* rect);
    const VGResizeState& ResizeState() const { return m_resize; }

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    // A tip for the heading cell under the pointer once it rests there (shown while tooltips are enabled).
    INT_PTR OnToolHitTest(CPoint point, TOOLINFOW* pTI) const override;

protected:
    explicit CVGHeading(const VGHeadingKind& kind) : m_kind(kind) {}

    // A press (down 1) or release (down 0) of the left or right button on a cell: its type first,
    // then the heading's hook in the grid.
    void ReportButton(bool left, int down, int column, int row, RECT* rect, POINT* point);
    // The same for the cell under the point, when there is one.
    void ReportButtonAt(bool left, int down, CPoint point);
    // A double click on the cell under the point, when there is one: its type first, then the grid.
    void ReportDoubleClickAt(CPoint point);

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
    // The help context of the heading cell under the point (of column = row = -1 when none).
    DWORD HelpContextAt(CPoint point);

    const VGHeadingKind m_kind;
};
