// CVGCtrl: the grid window.
//
// It takes the place of a dialog control and owns the section windows (cell area, headings, corner
// button, scroll bars, tab strip, hint window), the sheets (one settings record each), the cell
// types, the fonts and the data-source table. The application derives its grids from it and
// overrides the notifications; everything else is reached through the operations below.
//
// The arithmetic over a sheet (sizes, positions, hit tests, pages, the section rectangles) lives in
// VGLayout; the operations here add the data sources, the hooks, joined cells and repainting.
// Section codes: 1 cell area, 2 top heading, 3 side heading, 4 corner button, 5 horizontal scroll
// bar, 6 vertical scroll bar, 7 tab strip.
#pragma once

#include "VGCell.h"
#include "VGArrowType.h"
#include "VGCellType.h"
#include "VGCheckBoxType.h"
#include "VGDropListType.h"
#include "VGEdit.h"
#include "VGMaskedEdit.h"
#include "VGGrid.h"
#include "VGGridHost.h"
#include "VGGridInfo.h"
#include "VGLayout.h"
#include "VGCnrBtn.h"
#include "VGSideHdg.h"
#include "VGTopHdg.h"
#include "VGHint.h"
#include "VGPtrList.h"
#include "VGHScroll.h"
#include "VGVScroll.h"
#include "VGTab.h"

#include <framework/Framework.h>

#include <memory>
#include <vector>

class CVGDataSource;

// Section codes.
enum : int {
    VGSECTION_CELLS = 1,
    VGSECTION_TOPHEADING = 2,
    VGSECTION_SIDEHEADING = 3,
    VGSECTION_CORNER = 4,
    VGSECTION_HSCROLL = 5,
    VGSECTION_VSCROLL = 6,
    VGSECTION_TABS = 7,
};

// Child control ids.
enum : int {
    VGID_CELLS = 1,
    VGID_TOPHEADING = 2,
    VGID_SIDEHEADING = 3,
    VGID_CORNER = 4,
    VGID_TABS = 5,
    VGID_VSCROLL = 6,
    VGID_HSCROLL = 7,
    VGID_EDIT = 123,
    VGID_MASKEDEDIT = 124,
};

// A message for a cell type: wParam names the registered type, lParam reaches its ReservedQueryD.
constexpr UINT VGM_CELLTYPEMESSAGE = 0x464;
// The find and replace box's registered message ("commdlg_FindReplace").
extern const UINT g_vgFindReplaceMessage;

// Scale factors of printed cells (1.0 on screen) and the columns being printed.
struct VGPrintSettings {
    double scaleX = 1.0;
    double scaleY = 1.0;
    int margins[4] = {25, 25, 25, 25};
    // The last column of the printed range: a printed text widens over empty neighbours up to it.
    // -1: the sheet's last column.
    int lastColumn = -1;
};

class CVGCtrl : public CWnd, public CVGGridHost {
    DECLARE_DYNAMIC(CVGCtrl)

public:
    CVGCtrl();
    ~CVGCtrl() override;

    // Window, sheets and registries.
    int AttachToDialogItem(CWnd* dialog, UINT id);
    // The same with the control id first, as the dialog-item calls of the window library take it.
    int AttachToDialogItem(UINT id, CWnd* dialog) { return AttachToDialogItem(dialog, id); }
    int CreateSectionWindows();
    int SetSheetCount(int count);
    int SetCurrentSheet(int index, int keepPainting);
    int QuerySheetCount() const { return static_cast<int>(m_sheets.size()); }
    int QueryCurrentSheet() const { return m_currentSheet; }
    int RegisterCellType(CVGCellType* type);
    CVGCellType* CellTypeAt(int index);
    int RegisterDataSource(CVGDataSource* source);
    int RegisterFont(LPCWSTR faceName, int height, int weight);
    int RegisterFontFull(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                         BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision,
                         BYTE quality, BYTE pitchAndFamily, LPCWSTR faceName);
    int RegisterFontIndirect(const LOGFONTW& font);
    CFont* FontAt(int index);
    int SetDefaultFont(int index);
    int SetPainting(int on);
    int IsPainting() const { return m_pInfo->m_painting; }
    int SetMirroredLayout(int on);
    void RecalcLayout();
    void InvalidateChildren();
    // Asks the sections that lie in the area (this window's client coordinates) to paint it again.
    void RepaintSectionsIn(const CRect& area);
    int RepaintAll();
    int RepaintCell(int column, int row);
    int RepaintRange(int startColumn, int startRow, int endColumn, int endRow);
    void PlaceTrackingWindow();
    void SetTrackingWindow(CWnd* window) { m_pTrackingWindow = window; }

    // Cell access, counts and sizes.
    int GetEffectiveCell(int column, int row, CVGCell* cell);
    int GetStoredCell(int column, int row, CVGCell* cell);
    int StoreCell(int column, int row, CVGCell* cell);
    int SetCellText(int column, int row, LPCWSTR text);
    int SetCellAlignment(int column, int row, short alignment);
    int SetCellTypeIndex(int column, int row, int index);
    int SetCellTypeStyle(int column, int row, int style);
    int SetCellBackColor(int column, int row, COLORREF colour);
    int SetCellTextColor(int column, int row, COLORREF colour);
    int SetCellFontPtr(int column, int row, CFont* font);
    int SetCellFont(int column, int row, int fontIndex);
    LPCWSTR GetCellText(int column, int row);
    int CopyCellText(int column, int row, CString* text);
    int GetHeadingDefaultCell(CVGCell* cell);
    int SetHeadingDefaultCell(const CVGCell* cell);
    int GetColumnDefaultCell(int column, CVGCell* cell);
    int SetColumnDefaultCell(int column, const CVGCell* cell);
    CVGCellType* CellTypeOfCell(int column, int row);
    // The type a cell record names (the normal type when it names none).
    CVGCellType* TypeOfCell(const CVGCell* cell);
    // The nearest column on the screen left of a column whose stored cell holds text (where a text
    // running into an empty cell comes from); -1 when none. Moved columns are met in their new
    // order, which the data sources' own search by id does not know.
    int FindTextColumnLeft(int column, int row);
    int QueryColumnCount() const { return m_pInfo->m_columnCount; }
    int QueryRowCount() const { return m_pInfo->m_rowCount; }
    int QueryCurrentColumn() const { return m_pInfo->m_currentColumn; }
    int QueryCurrentRow() const { return m_pInfo->m_currentRow; }
    int QueryLeftColumn() const { return m_pInfo->m_leftColumn; }
    int QueryTopRow() const { return m_pInfo->m_topRow; }
    int QueryRightColumn() const { return m_pInfo->m_rightColumn; }
    int QueryBottomRow() const { return m_pInfo->m_bottomRow; }
    int QueryVScrollWidth() const { return m_pInfo->m_vScrollWidth; }
    int QueryHScrollHeight() const { return m_pInfo->m_hScrollHeight; }
    int QueryColumnId(int column) const;
    int SetColumnCount(int count, int repaint);
    int SetRowCount(int count, int repaint);
    int SetUniformHeights(int on);
    int QueryColumnWidth(int column) const;
    int QueryColumnWidthEx(int column, int* width) const;
    int QueryRowHeight(int row) const;
    int ResizeColumn(int column, int width);
    int ResizeRow(int row, int height);
    int SetSideHeadingColumnWidth(int column, int width);
    int SetTopHeadingRowHeight(int row, int height);
    int SetSideHeadingWidth(int width);
    int SetTopHeadingHeight(int height);
    int SetFrozenColumnCount(int count);
    int SetFrozenRowCount(int count);
    int MoveColumn(int from, int to, int before);
    int FindJoinBlock(int* column, int* row, int* endColumn, int* endRow);
    int FindJoinOrigin(int* column, int* row, CVGCell* cell);
    int ComputeCellRect(int* column, int* row, RECT* rect);
    int HitTestCell(int x, int y, int* column, int* row, RECT* rect);
    int ComputeRangeRect(int startColumn, int startRow, int endColumn, int endRow, RECT* rect);
    // Rows past the end: the data source, then the hook, may add rows (the cell area's paint asks).
    int RequestRowsPastEnd(int row);

    // Current cell and view.
    int MoveToCell(int column, int row);
    int MoveToColumn(int column);
    int MoveToRow(int row);
    int SetFirstVisibleColumn(int column);
    int SetFirstVisibleRow(int row);
    int StepCurrentColumn(int code);
    int StepCurrentRow(int code);
    int StepFirstVisibleColumn(int code);
    int StepFirstVisibleRow(int code);
    int ClearSelection();
    // The current cell follows the target and every change is reported (after each move and scroll).
    void Synchronise();
    // 1 while an in-cell edit runs; the section windows leave the mouse alone meanwhile.
    int IsEditing() const { return m_editing; }
    int IsFindActive() const { return m_findInProgress; }

    // In-cell editing: 0 started, 1 refused, 2 the move to the cell failed.
    int StartCellEdit(int column, int row, UINT firstKey);
    int EditCurrentCell();
    // 1 finished (and maybe moved on), 0 the editor stays open.
    int FinishCellEdit(LPCWSTR text, int cancelled, int moveOn, int nextColumn, int nextRow);
    int QueryEditColumn() const { return m_editColumn; }
    int QueryEditRow() const { return m_editRow; }
    CWnd* EditWindowInUse() const { return m_pEditInUse; }
    // The cell being edited, as it was when the edit started.
    CVGCell* EditCell() { return &m_editCell; }
    CVGEdit& PlainEditor() { return m_edit; }
    CVGMaskedEdit& MaskedEditor() { return m_maskedEdit; }
    CVGDataSource* DataSourceOfColumn(int column) const { return SourceOfColumn(column); }

    // The right-button menu (the application fills it; commands above 999 reach OnPopupCommand):
    // 0 shown, 1 menus are off, 2 the hook refused, 3 tracking failed.
    int OpenPopupMenu(int column, int row, POINT* point, int section);
    CMenu& PopupMenu() { return m_popupMenu; }
    // A right press in a section window: the menu opens at the press when menus are on.
    void OfferPopupMenu(CWnd* section, int column, int row, CPoint point, int sectionCode);

    // Find and replace: opens the modeless box whose requests the grid answers over its sheet.
    CFindReplaceDialog* OpenFindDialog(BOOL findOnly, LPCWSTR findWhat, LPCWSTR replaceWith = nullptr);
    CFindReplaceDialog* FindDialog() const { return m_pFindDialog; }
    void CloseFindDialog();
    // Searches every column instead of the current one.
    void SetFindAllColumns(int on) { m_findAllColumns = on; }

    // Section windows and shared drawing objects.
    CVGGridInfo* Info() const { return m_pInfo; }
    CVGGrid& CellArea() { return m_cellArea; }
    CVGTopHdg& TopHeading() { return m_topHeading; }
    CVGSideHdg& SideHeading() { return m_sideHeading; }
    CVGCnrBtn& CornerButton() { return m_corner; }
    CVGVScroll& VScroll() { return m_vScroll; }
    CVGHScroll& HScroll() { return m_hScroll; }
    CVGTab& TabStrip() { return m_tabs; }
    CVGHint& Hint() { return m_hint; }
    CPen* LightPen() { return &m_lightPen; }
    CPen* DarkPen() { return &m_darkPen; }
    double GetPrintScaleX(CDC* dc) const { return dc && dc->IsPrinting() ? m_print.scaleX : 1.0; }
    double GetPrintScaleY(CDC* dc) const { return dc && dc->IsPrinting() ? m_print.scaleY : 1.0; }
    VGPrintSettings& PrintSettings() { return m_print; }
    void SetTabResizing(int on) { m_lightLayout = on; }
    // Opens the application's help for a context id (nothing for 0).
    void OpenHelp(DWORD contextId);

    // CVGGridHost.
    CVGGridInfo* QueryGridInfo() override { return m_pInfo; }
    CellRedrawList* CellAreaRedrawList() override { return &m_cellArea.RedrawList(); }

    // Notifications, in the order the application's grids know them.
    virtual void OnGridSetFocus(int section);
    virtual int FitColumnsToWidth(int first, int last);
    virtual int AutoSizeColumns(int first, int last, int rows, int flags);
    virtual void OnGridSetup();
    virtual void OnUnusedHook83();
    virtual void OnSheetCreated(int sheet);
    virtual int OnCanMoveCell(int oldColumn, int oldRow, int newColumn, int newRow);
    virtual int OnCanScrollView(int oldLeft, int oldTop, int newLeft, int newTop);
    virtual void OnPastLastRow(int rowCount, int rowsPastEnd, int* rowsAdded);
    virtual void OnUnusedHook88(int, int);
    virtual int OnCanResizeColumn(int column);
    virtual void OnColumnResizing(int column, int* width);
    virtual void OnColumnResized(int column, int* width);
    virtual int OnCanResizeRow(int row);
    virtual void OnRowResizing(int row, int* height);
    virtual void OnRowResized(int row, int* height);
    virtual int OnCanResizeTopHeading();
    virtual int OnCanResizeSideHeading();
    virtual int OnTopHeadingResizing(int* size);
    virtual int OnSideHeadingResizing(int* size);
    virtual int OnTopHeadingResized(int* size);
    virtual int OnSideHeadingResized(int* size);
    virtual void OnColumnChanged(int oldColumn, int newColumn);
    virtual void OnRowChanged(int oldRow, int newRow);
    virtual void OnCellChanged(int oldColumn, int newColumn, int oldRow, int newRow);
    virtual void OnLeftColumnChanged(int oldColumn, int newColumn);
    virtual void OnTopRowChanged(int oldRow, int newRow);
    virtual void OnViewScrolled(int scrollBar, int oldFirst, int newFirst);
    void OnBlockSelected(int endColumn, int startRow, int startColumn, int endRow, int blockCount) override;
    virtual void OnCellLButton(int column, int row, int down, RECT* rect, POINT* point, int processed);
    virtual void OnCellRButton(int column, int row, int down, RECT* rect, POINT* point, int processed);
    virtual void OnCellDoubleClick(int column, int row, RECT* rect, POINT* point, int processed);
    virtual void OnCellMouseMove(int column, int row, POINT* point, UINT keyFlags, int processed);
    virtual void OnTopHeadingLButton(int column, int row, int down, RECT* rect, POINT* point, int processed);
    virtual void OnTopHeadingRButton(int column, int row, int down, RECT* rect, POINT* point, int processed);
    virtual void OnTopHeadingDoubleClick(int column, int row, RECT* rect, POINT* point, int processed);
    virtual void OnSideHeadingLButton(int column, int row, int down, RECT* rect, POINT* point, int processed);
    virtual void OnSideHeadingRButton(int column, int row, int down, RECT* rect, POINT* point, int processed);
    virtual void OnSideHeadingDoubleClick(int column, int row, RECT* rect, POINT* point, int processed);
    virtual void OnCornerLButton(int down, RECT* rect, POINT* point, int processed);
    virtual void OnCornerRButton(int down, RECT* rect, POINT* point, int processed);
    virtual void OnCornerDoubleClick(RECT* rect, POINT* point, int processed);
    virtual void OnGridKeyDown(UINT* key, int processed);
    virtual void OnGridKeyUp(UINT* key, int processed);
    virtual void OnGridChar(UINT* character, int processed);
    virtual void OnCellFetched(int column, int row, CVGCell* cell);
    virtual void OnCellStoring(int column, int row, CVGCell* cell);
    virtual void OnUnusedHook126(int, int, int);
    virtual int OnCellTypeMessage(int typeIndex, int column, int row, long message, LPARAM parameter);
    virtual int OnEditStarting(int column, int row, CWnd** editor);
    virtual int OnEditKey(int column, int row, CWnd* editor, UINT* key);
    virtual int OnEditFinishing(int column, int row, CWnd* editor, LPCWSTR text, int cancelled);
    virtual int OnEditMoveOn(int column, int row, int* nextColumn, int* nextRow);
    virtual int OnUnusedHook132(int, int, int, int);
    virtual int OnUnusedHook133(int, int, int, int);
    virtual void OnPopupCommand(int column, int row, int section, UINT id);
    virtual int OnPopupOpening(int column, int row, int section);
    virtual DWORD GetHelpContextId(int column, int row, int section);
    virtual int GetTipText(int column, int row, int section, CString* text);
    virtual int GetVScrollTipText(int row, CString* text);
    virtual int GetHScrollTipText(int column, CString* text);
    // CompareCells: CVGGridHost.
    virtual void OnPrepareDC(CDC* dc, CDC* second, int section);
    virtual void OnLayoutComputed(RECT* cells, RECT* topHeading, RECT* sideHeading, RECT* corner, RECT* vScroll,
                                  RECT* hScroll, RECT* tabs);
    virtual void OnSheetTabClicked(int tabId);
    virtual COLORREF GetSectionBackColor(int section);
    virtual int DrawFocusFrame(CDC* dc, RECT* rect);
    virtual void OnSectionKillFocus(int section, CWnd* newFocus);
    virtual void OnSectionKillFocusShort(int section);
    virtual int OnCanDragColumn(int column);
    virtual int OnCanDropColumn(int from, int to);
    virtual void OnColumnMoved(int from, int to);
    virtual void OnTrackWindowMoved(RECT* oldRect, RECT* newRect);

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    CScrollBar* GetScrollBarCtrl(int nBar) const override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnSize(UINT nType, int cx, int cy);
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnSetFocus(CWnd* pOldWnd);
    void OnSysColorChange();
    void OnDestroy();
    UINT OnGetDlgCode();
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    LRESULT OnCellTypeMessageRequest(WPARAM wParam, LPARAM lParam);
    LRESULT OnFindReplace(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    friend class CVGGrid;

    CVGDataSource* SourceOfColumn(int column) const;
    // Hands the current settings record to every section window.
    void ShareCurrentSheet();
    void CreatePens();
    CRect BetweenScrollBars() const;
    // Lays the sections out again when the layout fell behind what it depends on (the client size,
    // counts, widths and heights, frozen parts, headings, bars and tabs) or when a layout made while
    // painting was off never reached the windows. Nothing while painting is off. true when it did.
    bool CatchUpLayout();
    // Single-property setters: the stored cell, one property changed, stored again.
    template <typename Change>
    int ChangeStoredCell(int column, int row, Change change);
    // Makes the target cell visible by moving the left column and top row.
    void ShowTarget();
    // The view scroll of a move needs the hook's consent.
    bool MayScrollTo(int column, int row);
    int StepColumnTarget(int code, int* target);
    // After an edit: the new text may run into the empty cell on the right, which then repaints.
    void RepaintIfTextOverflows(int column, int row, LPCWSTR text, CWnd* editor);
    int VisibleColumnOfId(int id) const;
    int StepRowTarget(int code, int* target);

    int m_status = 0;
    std::vector<CVGDataSource*> m_dataSources;
    CVGPtrList m_cellTypes;
    CVGPtrList m_fonts;
    CVGPtrList m_ownedItems;
    CVGCellType m_normalType;
    CVGDropListType m_dropListType;
    CVGCheckBoxType m_checkBoxType;
    CVGArrowType m_arrowType;
    VGPrintSettings m_print;
    CVGCell m_scratchCell;

    std::vector<std::unique_ptr<CVGGridInfo>> m_sheets;
    int m_currentSheet = 0;
    CVGGridInfo* m_pInfo = nullptr;

    CVGGrid m_cellArea;
    CVGTopHdg m_topHeading;
    CVGSideHdg m_sideHeading;
    CVGCnrBtn m_corner;
    CVGVScroll m_vScroll;
    CVGHScroll m_hScroll;
    CVGHint m_hint;
    CVGTab m_tabs;
    int m_lightLayout = 0;
    CWnd* m_pTrackingWindow = nullptr;

    CVGEdit m_edit;
    CVGMaskedEdit m_maskedEdit;
    CWnd* m_pEditHost = nullptr;   // the section window the editor is laid over
    CMenu m_popupMenu;

    int m_editing = 0;
    int m_editRow = -1;
    int m_editColumn = -1;
    CWnd* m_pEditInUse = nullptr;
    CVGCell m_editCell;

    CPen m_lightPen;
    CPen m_darkPen;

    CFindReplaceDialog* m_pFindDialog = nullptr;
    int m_findInProgress = 0;
    int m_findAllColumns = 0;
    // Where the popup menu was opened (its commands report it).
    int m_popupColumn = -1;
    int m_popupRow = -1;
    int m_popupSection = 0;
    bool m_created = false;
    // The section rectangles the windows were last moved to (as computed, before the hook), and
    // whether a layout is waiting for painting to come back.
    VGLayout::SectionRects m_laidOut;
    bool m_layoutPending = true;
    bool m_layingOut = false;             // inside RecalcLayout
    std::vector<LOGFONTW> m_fontRecords;  // what each registered font was made from
    CVGCell m_typeCell;                   // scratch of CellTypeOfCell
    CVGCell m_joinCell;                   // scratch of the join lookups
};
