// The capture panels of Port A (template 266) and Port B (template 269): the list of the frames
// the tester captured on the port, one row each, appended from the capture reports; the clicked
// frame's bytes in the hex view and its decoded headers in the tree below; Start Capture and Stop
// Capture run the port's capture in the tester and have it uploaded; Start Capture waits for the
// upload's last frame (a new capture would cut it short) and stays off in demo mode, where there is
// no tester. Two splitters share the room between the list, the tree and the hex view.
#pragma once

#include <framework/Framework.h>

#include "capture/CaptureFeed.h"
#include "hexedit/HexEditWnd.h"
#include "splitter/SplitterBar.h"
#include "treetable/CTreeTableCtrl.h"

#include <vector>

class CCaptureReport : public CDialog {
public:
    CCaptureReport(UINT templateId, int port, UINT treePlaceholderId, CWnd* pParent);

    CListCtrl captureList;
    CHexEditWnd captureHexView;
    CTreeTableCtrl captureInfoTree;
    CSplitterBar verticalSplitter;    // 1181, between the tree and the hex view
    CSplitterBar horizontalSplitter;  // 1182, under the list

    // A capture report of this panel's port: the library's vector holds `count` records. The rows
    // for the records not shown yet are added once the reports queued behind this one are in, so
    // that a burst of reports costs one look at the vector.
    void OnCaptureReport(int count);
    // Puts the panel's own texts in the current language.
    void Retext();
    // Shows a row's frame in the hex view and its headers in the tree; false for no such row.
    bool ShowFrame(int row);
    int Port() const { return port_; }
    const capture::CaptureFeed& Feed() const { return feed_; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void OnStartCapture();
    void OnStopCapture();
    void OnShowWindow(BOOL bShow, UINT nStatus);
    void OnTimer(UINT_PTR nIDEvent);
    DECLARE_MESSAGE_MAP()

private:
    // The rectangle of a template's placeholder static, which is hidden.
    CRect TakePlaceOf(UINT placeholderId);
    LRESULT OnTakeReports(WPARAM, LPARAM);
    // Gives the list the feed's row count: at once when `now`, else at most every so often.
    void ShowRows(bool now);
    // A row's frame, read once for the cells of its row; null for no such row.
    const capture::CaptureRow* FrameOf(int row) const;
    // The list's text of a row's cell, at most `capacity` characters with the terminator.
    void CellText(int row, int column, wchar_t* text, int capacity) const;
    void OnSplitterMoved(UINT id, int delta);
    void FillInfoTree(const std::vector<uint8_t>& frame);
    // The frames the tester holds, read from its block count (its capacity while it refuses
    // frames); false when it did not answer.
    bool TesterHolds(uint16_t& held) const;
    // The frames the tester's capture store holds at most.
    uint16_t Capacity() const;
    // Says under the list whether the last capture filled the tester's store, in the current language.
    void ShowLimitNote();
    void EndUpload();
    void OnUploadQuiet();
    void ShowCaptureButtons();

    // Idle: Start Capture may start one; Capturing: in the tester, until Stop Capture; Stopping:
    // while the stop asks the tester; Uploading: until the list holds the frames the tester held
    // at the stop, or the tester's store stops emptying.
    enum class Run { Idle, Capturing, Stopping, Uploading };
    Run run_ = Run::Idle;
    int uploadFrames_ = 0;
    // What the tester's store held at the last quiet spell of the upload (-1: none yet).
    int testerHeldAtQuiet_ = -1;
    // The last capture stopped with the tester's store full: later frames were not kept.
    bool limitReached_ = false;
    const int port_;
    const UINT treePlaceholderId_;
    capture::CaptureFeed feed_;
    // The reports not taken yet: the last count, and the lowest (a new capture shows as a count
    // below the position reached, even when a later report of it is above).
    bool reportsPending_ = false;
    int lastCount_ = 0;
    int lowestCount_ = 0;
    // The row count the list was last given, when, and whether a timer will give it the rest.
    int shownRows_ = 0;
    DWORD rowsShownAt_ = 0;
    bool rowsTimerSet_ = false;
    // The frame of the row whose cells the list asked for last (-1: none).
    mutable int cachedRow_ = -1;
    mutable capture::CaptureRow cachedFrame_;
    CFont hexFont_;
};

class CCaptureReportA : public CCaptureReport {
public:
    enum { IDD = 266 };
    explicit CCaptureReportA(CWnd* pParent = nullptr);
};

class CCaptureReportB : public CCaptureReport {
public:
    enum { IDD = 269 };
    explicit CCaptureReportB(CWnd* pParent = nullptr);
};
