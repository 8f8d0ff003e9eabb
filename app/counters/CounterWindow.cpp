#include "counters/CounterWindow.h"

#include "BrevixCCounters.h"
#include "charts/ChartData.h"
#include "charts/Refresh.h"
#include "counters/CounterIds.h"
#include "main/Globals.h"
#include "main/Vorel_TAP_Test3Dlg.h"
#include "res/resource.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>

namespace {

constexpr COLORREF kMaskColor = RGB(140, 0, 140);
constexpr DWORD kTreeStyles = 0x1087;
constexpr DWORD kTreeExtendedStyle = 0x90002;
constexpr int kLabelColumnWidth = 221;
constexpr int kValueColumnWidth = 130;
constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshPeriod = 1000;
// A refresh comes this long after a whole second of the clock: each sample falls in a second of its
// own, so that no two samples of the chart's history share a time label, however late a tick came.
constexpr UINT kAfterWholeSecond = 50;

UINT UntilNextSecond() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return kRefreshPeriod - now.wMilliseconds + kAfterWholeSecond;
}

// Process-wide, like the counters they mirror; GUI thread only.
std::array<counters::DisplayRecord, 2> displayTable{};
counters::PollRoundTracker pollRoundTracker;

}  // namespace

BEGIN_MESSAGE_MAP(CCounterWindow, CDialog)
ON_WM_TIMER()
ON_WM_SIZE()
ON_COMMAND(ID_COUNTER_UPDATE, OnUpdateToggle)
ON_COMMAND(ID_COUNTER_CLEAR_ALL, OnClearAllCommand)
ON_COMMAND(ID_COUNTER_SAVE, OnSaveCommand)
ON_NOTIFY_EX_RANGE(TTN_NEEDTEXTW, 0, 0xFFFF, OnToolTipText)
ON_NOTIFY_EX_RANGE(TTN_NEEDTEXTA, 0, 0xFFFF, OnToolTipText)
ON_WM_DESTROY()
END_MESSAGE_MAP()

CCounterWindow::CCounterWindow(CWnd* pParent) : CDialog(IDD, pParent) {}

const counters::DisplayRecord& CCounterWindow::DisplayRecordOf(int port) { return displayTable[port]; }

BOOL CCounterWindow::OnInitDialog() {
    CDialog::OnInitDialog();
    if (!AfxOleInit()) return FALSE;
    AfxEnableControlContainer();
    CreateToolBar();
    CreateTree();
    LayOut();
    return TRUE;
}

void CCounterWindow::OnSize(UINT nType, int cx, int cy) {
    CDialog::OnSize(nType, cx, cy);
    LayOut();
}

void CCounterWindow::LayOut() {
    // The page owner sizes this window to the frame the main dialog really has: the toolbar runs
    // along its top and the tree takes the rest, whatever the template's size.
    if (counterTree.GetSafeHwnd() == nullptr) return;
    int top = 0;
    if (counterToolBar.GetSafeHwnd()) {
        counterToolBar.Reposition();
        top = counterToolBar.CalcFixedLayout().cy;
    }
    CRect client;
    GetClientRect(&client);
    const CRect area(0, top, client.right, std::max(client.bottom, static_cast<LONG>(top)));
    CRect now;
    counterTree.GetWindowRect(&now);
    ScreenToClient(&now);
    if (now != area) counterTree.MoveWindow(&area, TRUE);
}

void CCounterWindow::CreateToolBar() {
    // A tab stop: Save, Update and Clear All are on the toolbar alone, and the keyboard reaches them.
    if (!counterToolBar.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBRS_TOP | CBRS_TOOLTIPS) ||
        !counterToolBar.LoadToolBar(IDR_COUNTER_TOOLBAR)) {
        return;
    }
    counterToolBar.SetButtonStyle(static_cast<int>(counterToolBar.CommandToIndex(ID_COUNTER_UPDATE)), TBBS_CHECKBOX);
    ReplaceImages(counterToolBar, m_toolBarImages, IDB_COUNTER_TOOLBAR);
    counterToolBar.Reposition();
}

void CCounterWindow::CreateTree() {
    // The tree takes the placeholder's place (LayOut sizes it). Left shown, the placeholder would
    // paint itself over the tree, which it overlaps, and take the pointer's clicks.
    CWnd* placeholder = GetDlgItem(IDC_COUNTER_TREE_PLACEHOLDER);
    CRect area;
    placeholder->GetWindowRect(&area);
    ScreenToClient(&area);
    placeholder->ShowWindow(SW_HIDE);
    counterTree.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | kTreeStyles, area, this, IDC_COUNTER_TREE);
    if (m_treeImages.Create(IDB_TREE_IMAGES, 16, 1, kMaskColor)) counterTree.SetImageList(&m_treeImages, TVSIL_NORMAL);
    counterTree.InsertColumn(0, L"", LVCFMT_LEFT, kLabelColumnWidth);
    counterTree.InsertColumn(1, port == 0 ? L"Port A" : L"Port B", LVCFMT_LEFT, kValueColumnWidth);
    counterTree.SetExtendedStyle(kTreeExtendedStyle);

    static const int kStartImages[] = {counters::kImageLinkUp, counters::kImage1000M, counters::kImageCopper};
    for (int row = 0; row < counters::kRowCount; ++row) {
        const counters::RowLayout& layout = counters::kRows[row];
        const int image = row < 3 ? kStartImages[row] : 0;
        HTREEITEM parent = layout.parent < 0 ? TVI_ROOT : m_rowItems[layout.parent];
        m_rowItems[row] = counterTree.InsertItem(layout.label, image, image, parent, TVI_LAST);
        counterTree.SetItemText(m_rowItems[row], L"0", 1);
        if (layout.style == counters::RowStyle::kBold) counterTree.SetItemState(m_rowItems[row], TVIS_BOLD, TVIS_BOLD);
        if (layout.style == counters::RowStyle::kError) {
            counterTree.SetItemTextColor(m_rowItems[row], 0, counters::kErrorTextColor);
        }
    }
    for (int heading : {counters::kSizeHeadingRow, counters::kLayer2HeadingRow, counters::kNetworkHeadingRow}) {
        counterTree.Expand(m_rowItems[heading], TVE_EXPAND);
    }
}

void CCounterWindow::StartRefresh() {
    charts::FollowRefresh(&CCounterWindow::OnRefreshSwitched, this);
    charts::SetRefreshRunning(true);
}

void CCounterWindow::OnDestroy() {
    charts::StopFollowingRefresh(this);
    CDialog::OnDestroy();
}

void CCounterWindow::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent != kRefreshTimer) return;
    Refresh();
    // The refresh may have been stopped meanwhile (its pictures' repaint dispatches nothing, but a
    // save's question would).
    if (charts::RefreshRunning()) SetTimer(kRefreshTimer, UntilNextSecond(), nullptr);
}

void CCounterWindow::Refresh() {
    uint32_t pollRound = 0;
    std::array<uint32_t, 2> blockRounds{};
    if (IsDemoMode()) {
        // Each tick makes the demo's values anew: a new round each time.
        static uint32_t demoRounds = 0;
        pollRound = ++demoRounds;
        blockRounds = {pollRound, pollRound};
        std::srand(static_cast<unsigned>(std::time(nullptr)));
        counters::AdvanceDemoValues(displayTable[0], displayTable[1],
                                    [] { return static_cast<uint32_t>(std::rand()); });
    } else {
        // The round first: blocks copied after it are that round's, a later one's, or (a reply the
        // library stopped waiting for) the round before, which the tracker finds.
        pollRound = BrevixC_ReadCounterPollRounds();
        for (int p = 0; p < 2; ++p) {
            BrevixC_PortCounters_T block{}, rates{};
            BrevixC_ReadCounterStatistics(static_cast<uint8_t>(p), &block);
            BrevixC_ReadCounterRate(static_cast<uint8_t>(p), &rates);
            counters::FillDisplayRecord(block, rates, displayTable[p]);
            blockRounds[p] = pollRoundTracker.RoundOf(p, block, rates, pollRound);
        }
    }
    if (testerLost_) {
        // The library keeps the last poll's rates; a lost tester moves nothing the program knows of.
        for (counters::DisplayRecord& record : displayTable) {
            for (int row : {counters::kTxLineRateRow, counters::kTxPacketRateRow, counters::kRxLineRateRow,
                            counters::kRxPacketRateRow}) {
                record[row] = 0;
            }
        }
        // Nothing is known of the lost seconds: the lines take a gap, and count anew once it answers.
        charts::BreakLineReferences(pollRound);
    }
    charts::AddChartSample(displayTable[0].data(), displayTable[1].data(), charts::ChartTimeNow(), blockRounds);
    ShowRows();
}

void CCounterWindow::ShowPort(int shownPort) {
    port = shownPort;
    // The records hold both ports' last refresh: the port's own numbers show at once, whether the
    // refresh runs or not.
    ShowRows();
}

void CCounterWindow::ShowRows() {
    // The rows that change are asked to repaint together, once they are all set.
    counterTree.SetRedraw(FALSE);
    if (port == 0 || port == 1) {
        for (int row = 0; row < counters::kRowCount; ++row) {
            if (counters::ShowsCounter(row))
                SetRowValue(row, counters::GroupThousands(displayTable[port][row]).c_str());
        }
    }
    for (int heading : {counters::kSizeHeadingRow, counters::kLayer2HeadingRow, counters::kNetworkHeadingRow}) {
        SetRowValue(heading, L"-");
    }
    // In demo mode the link record holds the demo's link (the main dialog writes it at start-up).
    ShowLinkRows();
    ShowFlowControlRow();
    counterTree.SetRedraw(TRUE);
}

void CCounterWindow::SetLinkReported() { linkReported_ = true; }

void CCounterWindow::SetTesterLost(bool lost) {
    testerLost_ = lost;
    // What the tester reported before it was lost no longer holds: link down until it reports again.
    if (lost) linkReported_ = false;
    // Connected again: the library's copy starts over; the lines count from its next whole round.
    if (!lost && !IsDemoMode()) charts::BreakLineReferences(BrevixC_ReadCounterPollRounds());
    if (counterTree.GetSafeHwnd() == nullptr) return;
    ShowLinkRows();
    if (!lost) return;
    for (int row : {counters::kTxLineRateRow, counters::kTxPacketRateRow, counters::kRxLineRateRow,
                    counters::kRxPacketRateRow}) {
        SetRowValue(row, L"0");
    }
}

counters::PortLink CCounterWindow::ShownLink(int shownPort) const {
    if (!linkReported_ || testerLost_) return {counters::kLinkDown, 0};
    return shownPort == 0 ? counters::PortLink{linkCodeA, mediaTypeA} : counters::PortLink{linkCodeB, mediaTypeB};
}

void CCounterWindow::SetFlowControl(int flowPort, bool enabled) {
    if (flowPort < 0 || flowPort > 1) return;
    flowControl_[flowPort] = enabled ? 1 : 0;
    if (counterTree.GetSafeHwnd() != nullptr) ShowFlowControlRow();
}

void CCounterWindow::ShowFlowControlRow() {
    if (port < 0 || port > 1 || flowControl_[port] < 0) return;
    const CString text = flowControl_[port] ? L"Enable" : L"Disable";
    if (RowValue(kFlowControlRow) != text) SetRowValue(kFlowControlRow, text);
}

void CCounterWindow::ShowLinkRows() {
    const counters::PortLink link = ShownLink(port);
    const counters::LinkLook look = counters::DescribeLink(link.code, link.media);
    const std::pair<int, counters::RowLook> rows[] = {
        {kLinkRow, look.link}, {kSpeedRow, look.speed}, {kTypeRow, look.type}};
    for (const auto& [row, rowLook] : rows) {
        if (rowLook.text == nullptr) continue;
        SetRowImage(row, rowLook.image);
        SetRowValue(row, rowLook.text);
    }
}

void CCounterWindow::ClearAll() {
    // In demo mode the library holds no tester to clear.
    if (!IsDemoMode()) BrevixC_ClearCounterStatistics(static_cast<uint8_t>(port));
    // The chart window's pickers hear of the reset and empty themselves.
    charts::ResetChartData();
    displayTable = {};
    for (int row = counters::kRxPacketRow; row < counters::kRowCount; ++row) SetRowValue(row, L"0");
}

void CCounterWindow::OnUpdateToggle() {
    charts::SetRefreshRunning(counterToolBar.IsButtonChecked(ID_COUNTER_UPDATE) != FALSE);
}

void CCounterWindow::OnRefreshSwitched(void* context, bool running) {
    static_cast<CCounterWindow*>(context)->FollowRefresh(running);
}

void CCounterWindow::FollowRefresh(bool running) {
    counterToolBar.CheckButton(ID_COUNTER_UPDATE, running ? TRUE : FALSE);
    if (running) {
        SetTimer(kRefreshTimer, UntilNextSecond(), nullptr);
    } else {
        KillTimer(kRefreshTimer);
    }
    ReplaceImages(counterToolBar, m_toolBarImages, running ? IDB_COUNTER_TOOLBAR_UPDATING : IDB_COUNTER_TOOLBAR);
    Invalidate();
}

void CCounterWindow::ReplaceImages(CToolBarCtrl& toolbar, CImageList& owner, UINT bitmapId) {
    // The toolbar draws from the list it holds: give it the new one before the old one goes.
    HIMAGELIST previous = owner.Detach();
    if (owner.Create(bitmapId, 16, 1, kMaskColor)) toolbar.SetImageList(&owner);
    if (previous != nullptr) ::ImageList_Destroy(previous);
    toolbar.Invalidate();
}

BOOL CCounterWindow::OnToolTipText(UINT, NMHDR* pNMHDR, LRESULT* pResult) {
    // The main dialog answers the tips of every toolbar of the program the same way: the text after
    // the line feed of the command's string, the tip raised above the page.
    if (theMainDialog == nullptr || theMainDialog->GetSafeHwnd() == nullptr) return FALSE;
    *pResult = theMainDialog->SendMessage(WM_NOTIFY, pNMHDR->idFrom, reinterpret_cast<LPARAM>(pNMHDR));
    return TRUE;
}

void CCounterWindow::SetRowLabel(int row, const CString& text) { counterTree.SetItemText(m_rowItems[row], text, 0); }

void CCounterWindow::SetRowValue(int row, const CString& text) { counterTree.SetItemText(m_rowItems[row], text, 1); }

void CCounterWindow::SetRowImage(int row, int image) { counterTree.SetItemImage(m_rowItems[row], image, image); }

CString CCounterWindow::RowLabel(int row) const {
    LPCWSTR text = counterTree.GetItemText(m_rowItems[row], 0);
    return text ? CString(text) : CString();
}

CString CCounterWindow::RowValue(int row) const {
    LPCWSTR text = counterTree.GetItemText(m_rowItems[row], 1);
    return text ? CString(text) : CString();
}

void CCounterWindow::SetPortHeading(const CString& text) { counterTree.SetColumnText(1, text); }
