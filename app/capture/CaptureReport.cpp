#include "capture/CaptureReport.h"

#include "BrevixCAPI.h"
#include "capture/CaptureIds.h"
#include "capture/FrameHeaders.h"
#include "counters/CounterRows.h"
#include "main/Globals.h"
#include "res/resource.h"

#include <algorithm>
#include <string>
#include <utility>

namespace {

// Block capture: frames stay in the tester until Stop Capture asks for their upload.
constexpr uint32_t kCaptureIntoTester = 0;
// Stop Capture asks for the frames the tester holds; when it cannot tell, for all it can hold (the
// upload then ends when the tester's store is empty).
constexpr uint16_t kCapacityFrames = 32768;
constexpr uint16_t kCapacityFramesMachine2 = 16384;
constexpr uint32_t kBlockCountRegister = 0x41000028;
constexpr uint32_t kPortOffset = 0x02000000;
constexpr uint32_t kStoreRefused = 0xFFFF;
// An upload that brings no report for this long is asked of the tester: while its store keeps
// emptying the upload goes on, however slowly; once the store is empty, stays as it was over a
// whole quiet spell, or the tester does not answer, the upload has ended short of what the tester
// held (frames lost on the way, or the tester gone) and Start Capture is given back.
constexpr UINT_PTR kUploadQuietTimer = 1;
constexpr UINT kUploadQuietMs = 3000;
// Each change of the list's row count redraws its scroll bar there and then, which holds this
// thread for tens of milliseconds under Wine (over a hundred on a busy machine): while an upload
// brings rows, the list is given them once a second, and the upload's last ones at once.
constexpr UINT_PTR kShowRowsTimer = 2;
constexpr DWORD kShowRowsMs = 1000;

// Posted to the panel itself to take the reports that came in meanwhile.
constexpr UINT WM_TAKE_CAPTURE_REPORTS = WM_APP + 0x130;

constexpr DWORD kTreeStyles = 0x1087;
constexpr DWORD kTreeExtendedStyle = 0x80000;
constexpr int kTreeColumnWidth = 200;

// Sides of CSplitterBar::ChangeWidth and ChangeHeight.
constexpr int kRightEdge = 1, kLeftEdge = 2, kBottomEdge = 3, kTopEdge = 4;

// Runs `read` on the port's capture vector while holding the library's mutex "Mutex", under which
// its upload threads append to the vector: meanwhile it holds whole records and stays where it is.
// False when the mutex is not there.
template <typename Read>
bool ReadCaptureVector(int port, Read read) {
    HANDLE mutex = ::OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, L"Mutex");
    if (!mutex) return false;
    const DWORD waited = ::WaitForSingleObject(mutex, INFINITE);
    const bool held = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    if (held) {
        read(static_cast<const BrevixC_CaptureVector&>(capture_buffer[port]));
        ::ReleaseMutex(mutex);
    }
    ::CloseHandle(mutex);
    return held;
}

// The hex text of bytes [first, first + count) of a frame, or of those of them it has, without the
// space after the last.
std::string HexOf(const std::vector<uint8_t>& frame, size_t first, size_t count) {
    if (first >= frame.size()) return std::string();
    std::string text = capture::FrameHexText(frame.data() + first, std::min(count, frame.size() - first));
    text.pop_back();
    return text;
}

}  // namespace

BEGIN_MESSAGE_MAP(CCaptureReport, CDialog)
ON_BN_CLICKED(IDC_CAPTURE_START, OnStartCapture)
ON_BN_CLICKED(IDC_CAPTURE_STOP, OnStopCapture)
ON_MESSAGE(WM_TAKE_CAPTURE_REPORTS, OnTakeReports)
ON_WM_SHOWWINDOW()
ON_WM_TIMER()
END_MESSAGE_MAP()

CCaptureReport::CCaptureReport(UINT templateId, int port, UINT treePlaceholderId, CWnd* pParent)
    : CDialog(templateId, pParent), port_(port), treePlaceholderId_(treePlaceholderId) {}

CCaptureReportA::CCaptureReportA(CWnd* pParent) : CCaptureReport(IDD, 0, IDC_CAPTURE_TREE_PLACE_A, pParent) {}
CCaptureReportB::CCaptureReportB(CWnd* pParent) : CCaptureReport(IDD, 1, IDC_CAPTURE_TREE_PLACE_B, pParent) {}

void CCaptureReport::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CAPTURE_LIST, captureList);
    DDX_Control(pDX, IDC_CAPTURE_HEX_VIEW, captureHexView);
}

BOOL CCaptureReport::OnInitDialog() {
    CDialog::OnInitDialog();

    captureInfoTree.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | kTreeStyles, TakePlaceOf(treePlaceholderId_),
                           this, IDC_CAPTURE_INFO_TREE);
    // In the placeholder's place in the Tab order too: between the frame list and the hex view.
    captureInfoTree.SetWindowPos(GetDlgItem(treePlaceholderId_), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    captureInfoTree.InsertColumn(0, L"Item Name", LVCFMT_LEFT, kTreeColumnWidth);
    captureInfoTree.InsertColumn(1, L"Value", LVCFMT_LEFT, kTreeColumnWidth);
    captureInfoTree.SetExtendedStyle(kTreeExtendedStyle);

    captureList.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    CRect client;
    captureList.GetClientRect(&client);
    const int w = client.Width();
    captureList.InsertColumn(0, L"No.", LVCFMT_LEFT, w / 11);
    captureList.InsertColumn(1, L"Destination", LVCFMT_LEFT, w / 6);
    captureList.InsertColumn(2, L"Source", LVCFMT_LEFT, w / 6);
    captureList.InsertColumn(3, L"Length", LVCFMT_LEFT, w / 13);
    captureList.InsertColumn(4, L"Type", LVCFMT_LEFT, w / 13);
    captureList.InsertColumn(5, L"Data", LVCFMT_LEFT, w / 3 + 62);

    // A fixed font small enough for a 16-byte row beside the tree.
    LOGFONTW font = {};
    font.lfHeight = -11;
    font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    wcscpy_s(font.lfFaceName, L"Courier New");
    if (hexFont_.CreateFontIndirect(&font)) captureHexView.SetFont(&hexFont_, FALSE);
    captureHexView.SetAddressSize(static_cast<BYTE>(capture::HexAddressDigits(0)), false);
    captureHexView.SetShowAddress(true, false);
    captureHexView.SetBytesPerRow(16, false, false);
    captureHexView.SetShowAscii(true, false);
    captureHexView.SetReadOnly(true, false);
    captureHexView.SetBackgroundColor(RGB(255, 255, 255), true);

    ShowCaptureButtons();

    verticalSplitter.Create(WS_CHILD | WS_VISIBLE, TakePlaceOf(IDC_CAPTURE_SPLIT_VERTICAL), this,
                            IDC_CAPTURE_SPLIT_VERTICAL);
    verticalSplitter.SetRange(250, 200, -1);
    horizontalSplitter.Create(WS_CHILD | WS_VISIBLE, TakePlaceOf(IDC_CAPTURE_SPLIT_HORIZONTAL), this,
                              IDC_CAPTURE_SPLIT_HORIZONTAL);
    horizontalSplitter.SetRange(150, 100, -1);
    return TRUE;
}

CRect CCaptureReport::TakePlaceOf(UINT placeholderId) {
    CWnd* placeholder = GetDlgItem(placeholderId);
    CRect place;
    placeholder->GetWindowRect(&place);
    ScreenToClient(&place);
    // Hidden, it takes no click meant for the window that comes in its place.
    placeholder->ShowWindow(SW_HIDE);
    return place;
}

BOOL CCaptureReport::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->code == kSplitterMoved) {
        OnSplitterMoved(static_cast<UINT>(header->idFrom), reinterpret_cast<const SplitterNotify*>(lParam)->delta);
    } else if (header->idFrom == IDC_CAPTURE_LIST && header->code == LVN_GETDISPINFOW) {
        LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(lParam)->item;
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
            CellText(item.iItem, item.iSubItem, item.pszText, item.cchTextMax);
    } else if (header->idFrom == IDC_CAPTURE_LIST && header->code == LVN_ITEMCHANGED) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
        if ((change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED)) ShowFrame(change->iItem);
    }
    return CDialog::OnNotify(wParam, lParam, pResult);
}

void CCaptureReport::OnSplitterMoved(UINT id, int delta) {
    if (id == IDC_CAPTURE_SPLIT_VERTICAL) {
        CSplitterBar::ChangeWidth(&captureHexView, -delta, kLeftEdge);
        CSplitterBar::ChangeWidth(&captureInfoTree, delta, kRightEdge);
    } else if (id == IDC_CAPTURE_SPLIT_HORIZONTAL) {
        CSplitterBar::ChangeHeight(&captureList, delta, kBottomEdge);
        for (CWnd* below : {static_cast<CWnd*>(&captureHexView), static_cast<CWnd*>(&captureInfoTree),
                            static_cast<CWnd*>(&verticalSplitter)}) {
            CSplitterBar::ChangeHeight(below, -delta, kTopEdge);
        }
    } else {
        return;
    }
    Invalidate();
    UpdateWindow();
}

void CCaptureReport::OnStartCapture() {
    if (run_ != Run::Idle || IsDemoMode()) return;
    limitReached_ = false;
    ShowLimitNote();
    // The start empties the port's vector: the rows read from it become the program's own first,
    // and its next records are this capture's.
    ReadCaptureVector(port_, [this](const BrevixC_CaptureVector& records) { feed_.Keep(records); });
    cachedRow_ = -1;
    if (BrevixC_StartRxCapture(static_cast<uint8_t>(port_), kCaptureIntoTester, 0) != 1) return;
    run_ = Run::Capturing;
    ShowCaptureButtons();
}

// The capture stops first, so that the count read next is the upload's whole: a report that
// reaches it marks the upload's end.
// The stop's calls wait for the tester while dispatching messages: the panel is Stopping first, so
// that a second click on Stop Capture taken meanwhile asks for nothing more.
void CCaptureReport::OnStopCapture() {
    if (run_ != Run::Capturing) return;
    run_ = Run::Stopping;
    ShowCaptureButtons();
    const uint8_t port = static_cast<uint8_t>(port_);
    BrevixC_StopRxCapture(port);
    uint16_t held = Capacity();
    const bool told = TesterHolds(held);
    limitReached_ = told && held >= Capacity();
    ShowLimitNote();
    run_ = Run::Idle;
    if (held > 0 && BrevixC_StopRxCaptureNext(port, held) == 1) {
        run_ = Run::Uploading;
        uploadFrames_ = held;
        testerHeldAtQuiet_ = -1;
        SetTimer(kUploadQuietTimer, kUploadQuietMs, nullptr);
    }
    ShowCaptureButtons();
}

uint16_t CCaptureReport::Capacity() const { return BVX_Machine_ID == 2 ? kCapacityFramesMachine2 : kCapacityFrames; }

bool CCaptureReport::TesterHolds(uint16_t& held) const {
    uint32_t value = kBlockCountRegister + kPortOffset * static_cast<uint32_t>(port_);
    if (BVT_GenR(1, &value) != 1) return false;
    const uint32_t frames = value >> 16;
    held = frames == kStoreRefused ? Capacity() : static_cast<uint16_t>(std::min<uint32_t>(frames, Capacity()));
    return true;
}

void CCaptureReport::ShowLimitNote() {
    CString note;
    CString format;
    if (limitReached_ && format.LoadString(IDS_CAPTURE_LIMIT)) note.Format(format, counters::GroupThousands(Capacity()).c_str());
    SetDlgItemText(IDC_CAPTURE_NOTE, note);
}

void CCaptureReport::Retext() {
    if (GetSafeHwnd()) ShowLimitNote();
}

void CCaptureReport::EndUpload() {
    KillTimer(kUploadQuietTimer);
    run_ = Run::Idle;
    ShowCaptureButtons();
}

// A quiet spell in the upload: it goes on while the tester's store still empties.
void CCaptureReport::OnUploadQuiet() {
    uint16_t held = 0;
    const bool told = TesterHolds(held);
    if (run_ != Run::Uploading) return;  // ended by a report taken during the read
    if (told && held > 0 && held != testerHeldAtQuiet_) {
        testerHeldAtQuiet_ = held;
        SetTimer(kUploadQuietTimer, kUploadQuietMs, nullptr);
        return;
    }
    EndUpload();
}

void CCaptureReport::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == kShowRowsTimer) {
        ShowRows(true);
        return;
    }
    if (nIDEvent != kUploadQuietTimer) {
        CDialog::OnTimer(nIDEvent);
        return;
    }
    KillTimer(kUploadQuietTimer);
    if (run_ == Run::Uploading) OnUploadQuiet();
}

// Demo mode is known only after the panels are made: the buttons follow it whenever they show.
void CCaptureReport::OnShowWindow(BOOL bShow, UINT nStatus) {
    CDialog::OnShowWindow(bShow, nStatus);
    if (bShow) ShowCaptureButtons();
}

void CCaptureReport::ShowCaptureButtons() {
    // The button that comes on first: the one that goes off may hold the focus, which then goes on
    // to it (Start to Stop).
    const std::pair<CWnd*, BOOL> buttons[] = {{GetDlgItem(IDC_CAPTURE_START), run_ == Run::Idle && !IsDemoMode()},
                                              {GetDlgItem(IDC_CAPTURE_STOP), run_ == Run::Capturing}};
    for (const auto& [button, on] : buttons)
        if (on) button->EnableWindow(TRUE);
    for (const auto& [button, on] : buttons)
        if (!on) button->EnableWindow(FALSE);
}

void CCaptureReport::OnCaptureReport(int count) {
    if (run_ == Run::Uploading) SetTimer(kUploadQuietTimer, kUploadQuietMs, nullptr);
    lowestCount_ = reportsPending_ ? std::min(lowestCount_, count) : count;
    lastCount_ = count;
    if (reportsPending_) return;
    reportsPending_ = PostMessage(WM_TAKE_CAPTURE_REPORTS) != FALSE;
    if (!reportsPending_) OnTakeReports(0, 0);
}

// The rows are the vector's records in place: a report costs a look at the vector's size, and the
// library's mutex, for which its receive thread waits with every frame, is held for that alone.
LRESULT CCaptureReport::OnTakeReports(WPARAM, LPARAM) {
    reportsPending_ = false;
    const int first = feed_.FirstNew(lowestCount_);
    cachedRow_ = -1;
    if (lastCount_ > first) {
        size_t held = 0;
        ReadCaptureVector(port_, [&held](const BrevixC_CaptureVector& records) { held = records.size(); });
        feed_.Add(lastCount_, held);
    }
    const bool ended = run_ == Run::Uploading && feed_.NextIndex() >= uploadFrames_;
    if (ended) EndUpload();
    ShowRows(ended || run_ != Run::Uploading);
    return 0;
}

void CCaptureReport::ShowRows(bool now) {
    const int rows = feed_.RowCount();
    if (rows == shownRows_) return;
    const DWORD since = ::GetTickCount() - rowsShownAt_;
    if (!now && since < kShowRowsMs) {
        if (!rowsTimerSet_) rowsTimerSet_ = SetTimer(kShowRowsTimer, kShowRowsMs - since, nullptr) != 0;
        if (rowsTimerSet_) return;
    }
    if (rowsTimerSet_) KillTimer(kShowRowsTimer);
    rowsTimerSet_ = false;
    shownRows_ = rows;
    rowsShownAt_ = ::GetTickCount();
    // The list draws the rows added, and keeps its scroll position.
    captureList.SendMessage(LVM_SETITEMCOUNT, static_cast<WPARAM>(rows), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

const capture::CaptureRow* CCaptureReport::FrameOf(int row) const {
    if (row == cachedRow_) return &cachedFrame_;
    bool found = false;
    if (feed_.InVector(row)) {
        ReadCaptureVector(port_, [&](const BrevixC_CaptureVector& records) {
            found = feed_.Row(row, records, static_cast<size_t>(-1), cachedFrame_);
        });
    } else {
        found = feed_.Row(row, BrevixC_CaptureVector(), static_cast<size_t>(-1), cachedFrame_);
    }
    cachedRow_ = found ? row : -1;
    return found ? &cachedFrame_ : nullptr;
}

void CCaptureReport::CellText(int row, int column, wchar_t* text, int capacity) const {
    text[0] = 0;
    if (row >= shownRows_) return;
    const capture::CaptureRow* shown = FrameOf(row);
    if (!shown) return;
    const capture::CaptureRow& frame = *shown;
    std::string cell;
    switch (column) {
    case 0: cell = std::to_string(frame.number); break;
    case 1: cell = HexOf(frame.bytes, 0, 6); break;
    case 2: cell = HexOf(frame.bytes, 6, 6); break;
    case 3: cell = std::to_string(frame.length); break;
    case 4: cell = HexOf(frame.bytes, 12, 2); break;
    // The bytes that fit, each with its space after it.
    case 5: cell = capture::FrameHexText(frame.bytes.data(), std::min(frame.bytes.size(), static_cast<size_t>(capacity) / 3 + 1)); break;
    default: break;
    }
    const size_t length = std::min(cell.size(), static_cast<size_t>(capacity - 1));
    std::copy(cell.begin(), cell.begin() + static_cast<std::ptrdiff_t>(length), text);
    text[length] = 0;
}

bool CCaptureReport::ShowFrame(int row) {
    const capture::CaptureRow* shown = row < shownRows_ ? FrameOf(row) : nullptr;
    if (!shown) return false;
    const std::vector<uint8_t> frame = shown->bytes;
    BYTE* copy = new BYTE[frame.empty() ? 1 : frame.size()];
    std::copy(frame.begin(), frame.end(), copy);
    // One rule for both ports' views: the digits follow the frame, not the port.
    captureHexView.SetAddressSize(static_cast<BYTE>(capture::HexAddressDigits(frame.size())), false);
    captureHexView.SetData(copy, static_cast<int>(frame.size()), true);
    FillInfoTree(frame);
    return true;
}

void CCaptureReport::FillInfoTree(const std::vector<uint8_t>& frame) {
    captureInfoTree.SetRedraw(FALSE);
    captureInfoTree.DeleteAllItems();
    for (const capture::HeaderLayer& layer : capture::DecodeFrameHeaders(frame.data(), frame.size())) {
        const HTREEITEM parent = captureInfoTree.InsertItem(CString(layer.name.c_str()), TVI_ROOT, TVI_LAST);
        captureInfoTree.SetItemText(parent, CString(layer.summary.c_str()), 1);
        for (const capture::HeaderField& field : layer.fields) {
            const HTREEITEM item = captureInfoTree.InsertItem(CString(field.name.c_str()), parent, TVI_LAST);
            captureInfoTree.SetItemText(item, CString(field.value.c_str()), 1);
        }
        captureInfoTree.Expand(parent, TVE_EXPAND);
    }
    captureInfoTree.SetRedraw(TRUE);
    captureInfoTree.Invalidate();
}
