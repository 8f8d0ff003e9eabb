// CVGGridInfo: everything that belongs to one sheet of a grid.
//
// The counts, the current cell and the visible window onto the cells, the column records and row
// heights, the heading sizes, the default cells, the sheet's data source, the selection object, the
// layout rectangles and the options the section windows read. The grid and its section windows read
// and write the fields directly; the arithmetic over them is in VGLayout.h.
//
// Heading cells are addressed with negative numbers: top-heading rows -1 (next to the cells) to -n,
// side-heading columns -1 to -n. Entry 0 of the heading size arrays belongs to -1.
#pragma once

#include "VGCell.h"

#include <framework/Framework.h>

#include <memory>
#include <vector>

class CFont;
class CVGDataSource;
class CVGMem;
class CVGMultiSelect;
class CVGPtrList;
class CWnd;

// One column of a sheet.
struct VGColumnRecord {
    int width = 0;
    CVGDataSource* dataSource = nullptr;  // null: the sheet's current data source
    std::unique_ptr<CVGCell> defaultCell;
    // The column's index when it was made; passed to data sources in place of the visible index.
    int id = 0;
};

class CVGGridInfo : public CObject {
    DECLARE_DYNAMIC(CVGGridInfo)

public:
    CVGGridInfo();
    CVGGridInfo(const CVGGridInfo&) = delete;
    CVGGridInfo& operator=(const CVGGridInfo&) = delete;
    ~CVGGridInfo() override;

    // Columns.
    int m_columnCount = 0;
    int m_currentColumn = -1;
    int m_previousColumn = -1;         // what the change notifications compare against
    int m_leftColumn = 0;              // first visible column after the frozen ones
    int m_previousLeftColumn = 0;
    int m_largestLeftColumn = 0;       // the greatest left column that still fills the cell area
    int m_defaultColumnWidth = 75;
    int m_rightColumn = 0;             // kept by the cell area: columns from here on are outside the view
    int m_targetColumn = -1;           // where a move went; the current column follows it
    std::vector<VGColumnRecord> m_columns;

    // Rows.
    int m_rowCount = 0;
    int m_currentRow = -1;
    int m_previousRow = -1;
    int m_topRow = 0;
    int m_previousTopRow = 0;
    int m_largestTopRow = 0;
    std::vector<int> m_rowHeights;     // one entry a row; empty in uniform-height mode
    int m_defaultRowHeight = 20;       // new rows, and every row in uniform-height mode
    int m_uniformHeights = 0;
    int m_bottomRow = 0;
    int m_targetRow = -1;

    // Headings.
    std::vector<int> m_topHeadingRowHeights{20};
    std::vector<int> m_sideHeadingColumnWidths{25};
    int m_topHeadingHeight = 20;
    int m_sideHeadingWidth = 40;

    // Default cells: the base of every new column's default cell, and of every heading cell.
    CVGCell m_gridDefaultCell;
    CVGCell m_headingDefaultCell;
    CVGCell m_scratchCell;

    // Scroll bars and the tab strip: configured sizes (the layout uses 0 while a bar is not needed).
    int m_vScrollWidth;
    int m_hScrollHeight;
    int m_tabStripWidth = 0;           // 0: no sheet tabs
    int m_threeDBorderWidth = 1;       // lines of the sunken and raised cell borders
    int m_fullWidthFocus = 1;          // whole-row focus frame reaches the cell area's right edge

    // Layout, from the last RecalcLayout.
    int m_cellAreaWidth = 0;
    int m_cellAreaHeight = 0;
    CRect m_cellAreaRect;
    CRect m_topHeadingRect;
    CRect m_sideHeadingRect;
    CRect m_cornerRect;
    CRect m_tabStripRect;
    CRect m_vScrollRect;
    CRect m_hScrollRect;

    // Options read by the section windows.
    int m_highlightCurrentRow = 0;
    int m_multipleSelection = 0;       // above 0 the selection object records blocks
    int m_currentCellHighlight = 1;    // bit 2: the current cell is drawn in highlight colours
    int m_cancelEditOnFocusLeave = 0;  // an edit is abandoned when the focus leaves the grid
    int m_sectionOption = 0;           // read by a section window, which gives it its meaning
    int m_headingLineWidths[2] = {1, 1};  // widths of the heading buttons' lines
    int m_painting = 0;                // 0 suppresses every repaint and layout move
    int m_popupMenu = 0;
    int m_cellTooltips = 0;
    int m_vScrollTip = 0;
    int m_hScrollTip = 0;
    int m_userColumnResize = 1;
    int m_doubleClickFitsColumn = 1;
    int m_joinedCells = 1;
    int m_columnDragging = 0;
    int m_overflowText = 1;
    int m_drawGridLines = 1;
    int m_vScrollMode = 0;             // 0 normal, 1 the view follows the thumb, 2 the bar only steps
    int m_hScrollMode = 0;             // 1: the view follows the thumb
    int m_scrollToPartialLastRow = 1;
    int m_dragAccelerationExponent = 0;
    int m_dragStepDelay = 200;         // milliseconds
    int m_keyAccelerationDivisor = 0;
    int m_keyDelay = 0;
    int m_cellMargin = 4;

    // Frozen leading columns and rows, which never scroll, and their sizes (kept by the grid).
    int m_frozenColumnCount = 0;
    int m_frozenRowCount = 0;
    int m_frozenColumnsWidth = 0;
    int m_frozenRowsHeight = 0;

    CFont* m_pDefaultFont = nullptr;   // set by the grid
    CVGDataSource* m_pDataSource;      // source of columns without one, and of heading cells
    std::unique_ptr<CVGMem> m_memSource;

    // How the last move was made (set by the cell area); selects the selection object's operation.
    int m_moveKind = 0;
    int m_moveKeyFlags = 0;
    std::unique_ptr<CVGMultiSelect> m_selection;

    HCURSOR m_arrowCursor;
    HCURSOR m_sizeWECursor;
    HCURSOR m_sizeNSCursor;
    CWnd* m_pEditWindow = nullptr;     // the grid's editors unless a caller replaces them
    CWnd* m_pMaskedEditWindow = nullptr;
    std::unique_ptr<CVGPtrList> m_ptrList;  // empty until the grid files entries in it
    HPEN m_gridPen;                    // owned: grid lines
    int m_trackingWindowFollows = 0;   // a tracking window moves with the current cell
    int m_closingOption = 1;           // read by a section window, which gives it its meaning
};
