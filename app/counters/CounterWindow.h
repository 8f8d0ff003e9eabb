// CCounterWindow (template 129): one port's link state, counters and rates as a two-column tree
// list, refreshed on every timer message; its toolbar saves the rows to a spreadsheet, starts and
// stops the refresh of this window and the chart window, and clears the counters.
//
// The rows and their texts are plain functions (CounterRows.h), the spreadsheet is CounterWorkbook.h;
// this class is the window around them. Everything here runs on the GUI thread; the link record is
// written by the main dialog when it handles a link report there.
#pragma once

#include "counters/CounterRows.h"
#include "counters/CounterWorkbook.h"
#include "treetable/CTreeTableCtrl.h"

#include <framework/Framework.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class CCounterWindow : public CDialog {
public:
    enum { IDD = 129 };
    // The rows the main dialog retexts or sets, and the images it shows on them.
    static constexpr int kLinkRow = counters::kLinkRow;
    static constexpr int kSpeedRow = counters::kSpeedRow;
    static constexpr int kTypeRow = counters::kTypeRow;
    static constexpr int kFlowControlRow = counters::kFlowControlRow;
    static constexpr int kImageCopper = counters::kImageCopper;

    explicit CCounterWindow(CWnd* pParent = nullptr);

    CTreeTableCtrl counterTree;
    CToolBar counterToolBar;
    int port = 0;  // 0 Port A, 1 Port B
    // The link record, written from the 0x0400 link report; 255 is link down.
    uint16_t linkCodeA = counters::kLinkDown;
    uint16_t linkCodeB = counters::kLinkDown;
    uint16_t mediaTypeA = 0;  // 1 fiber, anything else copper
    uint16_t mediaTypeB = 0;

    // The one owner of the link every page shows (the link rows, the media panels and, through the
    // rows, the spreadsheet): the record once a report came and while the tester answers; link down
    // before the first report, while the tester is lost (its last report no longer holds) and after
    // a reconnect until it reports again.
    void SetLinkReported();
    void SetTesterLost(bool lost);
    bool TesterLost() const { return testerLost_; }
    counters::PortLink ShownLink(int port) const;
    // The flow control the last Apply (or the start-up) sent to each port; the row shows the shown
    // port's.
    void SetFlowControl(int port, bool enabled);

    // Column 0 (label) and column 1 (value) of a row, and its image.
    void SetRowLabel(int row, const CString& text);
    void SetRowValue(int row, const CString& text);
    void SetRowImage(int row, int image);
    CString RowLabel(int row) const;
    CString RowValue(int row) const;
    // Column 1's heading: "Port A" or "Port B" in the current language.
    void SetPortHeading(const CString& text);

    // Makes this the live window, the one that refreshes while charts::RefreshRunning (its Update
    // button shows that state and switches it), and starts the refresh: the live window refreshes
    // from start-up, and its button's first press stops it.
    void StartRefresh();
    // One tick: both ports' records from the tester (or the demo generator), the shown port's rows,
    // and one sample of the shared chart data.
    void Refresh();
    // Shows the port's rows (its numbers of the last refresh, its link and flow control), now.
    void ShowPort(int shownPort);
    // Clears the shown port's counters on the tester (nothing in demo mode), the chart data and the
    // rows.
    void ClearAll();
    // Asks where, then saves the rows and the About grid's rows to an .xls workbook.
    void SaveCounters();
    // The workbook's two sheets as the window holds them now, saved at `localTime`.
    std::vector<counters::SheetTexts> WorkbookSheets(const std::tm& localTime) const;

    // Both ports' display records: process-wide, shared by every counter window.
    static const counters::DisplayRecord& DisplayRecordOf(int port);

protected:
    BOOL OnInitDialog() override;
    void OnTimer(UINT_PTR nIDEvent);
    void OnSize(UINT nType, int cx, int cy);
    void OnUpdateToggle();
    void OnClearAllCommand() { ClearAll(); }
    void OnSaveCommand() { SaveCounters(); }
    BOOL OnToolTipText(UINT id, NMHDR* pNMHDR, LRESULT* pResult);
    void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void CreateToolBar();
    void CreateTree();
    void LayOut();
    void ShowRows();
    void ShowLinkRows();
    void ShowFlowControlRow();
    static void OnRefreshSwitched(void* context, bool running);
    void FollowRefresh(bool running);
    static void ReplaceImages(CToolBarCtrl& toolbar, CImageList& owner, UINT bitmapId);

    bool linkReported_ = false;
    bool testerLost_ = false;
    // Unknown (-1) until something was sent, else 0 off, 1 on.
    std::array<int, 2> flowControl_{-1, -1};

    CImageList m_treeImages;
    CImageList m_toolBarImages;
    std::array<HTREEITEM, counters::kRowCount> m_rowItems{};
};
