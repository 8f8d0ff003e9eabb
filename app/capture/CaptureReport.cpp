#include "capture/CaptureReport.h"

#include "BrevixCAPI.h"
#include "capture/CaptureIds.h"
#include "capture/FrameHeaders.h"
#include "res/resource.h"

#include <algorithm>
#include <string>

namespace {

// Block capture: frames stay in the tester until Stop Capture asks for their upload.
constexpr uint32_t kCaptureIntoTester = 0;
// Stop Capture asks for everything the tester can hold; the upload ends when its store is empty.
constexpr uint16_t kCapacityFrames = 32768;
constexpr uint16_t kCapacityFramesMachine2 = 16384;

// Posted to the panel itself to take the reports that came in meanwhile.
constexpr UINT WM_TAKE_CAPTURE_REPORTS = WM_APP + 0x130;

constexpr DWORD kTreeStyles = 0x1087;
constexpr DWORD kTreeExtendedStyle = 0x80000;
constexpr int kTreeColumnWidth = 200;

// Sides of CSplitterBar::ChangeWidth and ChangeHeight.
constexpr int kRightEdge = 1, kLeftEdge = 2, kBottomEdge = 3, kTopEdge = 4;

CString Decimal(long long value) {
    CString text;
    text.Format(L"%lld", value);
    return text;
}

// Characters [first, first + count) of the hex text, or those of them it has.
CString Slice(const std::string& text, size_t first, size_t count) {
    return first < text.size() ? CString(text.substr(first, count).c_str()) : CString();
}

}  // namespace

BEGIN_MESSAGE_MAP(CCaptureReport, CDialog)
ON_BN_CLICKED(IDC_CAPTURE_START, OnStartCapture)
ON_BN_CLICKED(IDC_CAPTURE_STOP, OnStopCapture)
ON_MESSAGE(WM_TAKE_CAPTURE_REPORTS, OnTakeReports)
END_MESSAGE_MAP()

CCaptureReport::CCaptureReport(UINT templateId, int port, UINT treePlaceholderId, BYTE addressDigits, CWnd* pParent)
    : CDialog(templateId, pParent), port_(port), treePlaceholderId_(treePlaceholderId), addressDigits_(addressDigits) {}

CCaptureReportA::CCaptureReportA(CWnd* pParent) : CCaptureReport(IDD, 0, IDC_CAPTURE_TREE_PLACE_A, 4, pParent) {}
CCaptureReportB::CCaptureReportB(CWnd* pParent) : CCaptureReport(IDD, 1, IDC_CAPTURE_TREE_PLACE_B, 8, pParent) {}

void CCaptureReport::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CAPTURE_LIST, captureList);
    DDX_Control(pDX, IDC_CAPTURE_HEX_VIEW, captureHexView);
}

BOOL CCaptureReport::OnInitDialog() {
    CDialog::OnInitDialog();

    captureInfoTree.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | kTreeStyles, TakePlaceOf(treePlaceholderId_), this,
                           IDC_CAPTURE_INFO_TREE);
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
    captureHexView.SetAddressSize(addressDigits_, false);
    captureHexView.SetShowAddress(true, false);
    captureHexView.SetBytesPerRow(16, false, false);
    captureHexView.SetShowAscii(true, false);
    captureHexView.SetReadOnly(true, false);
    captureHexView.SetBackgroundColor(RGB(255, 255, 255), true);

    SetCaptureButtons(false);

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
    if (BrevixC_StartRxCapture(static_cast<uint8_t>(port_), kCaptureIntoTester, 0) != 1) return;
    // The library has emptied the port's vector: its next records are this capture's.
    feed_.Restart();
    SetCaptureButtons(true);
}

void CCaptureReport::OnStopCapture() {
    const uint16_t frames = BVX_Machine_ID == 2 ? kCapacityFramesMachine2 : kCapacityFrames;
    BrevixC_StopRxCaptureNext(static_cast<uint8_t>(port_), frames);
    SetCaptureButtons(false);
}

void CCaptureReport::SetCaptureButtons(bool running) {
    GetDlgItem(IDC_CAPTURE_START)->EnableWindow(!running);
    GetDlgItem(IDC_CAPTURE_STOP)->EnableWindow(running);
}

void CCaptureReport::OnCaptureReport(int count) {
    lowestCount_ = reportsPending_ ? std::min(lowestCount_, count) : count;
    lastCount_ = count;
    if (reportsPending_) return;
    reportsPending_ = PostMessage(WM_TAKE_CAPTURE_REPORTS) != FALSE;
    if (!reportsPending_) OnTakeReports(0, 0);
}

LRESULT CCaptureReport::OnTakeReports(WPARAM, LPARAM) {
    reportsPending_ = false;
    if (lowestCount_ < feed_.NextIndex()) feed_.Restart();
    if (lastCount_ == feed_.NextIndex()) return 0;
    BrevixC_CaptureVector frames;
    BrevixC_CopyCaptureBuffer(static_cast<uint8_t>(port_), frames);
    InsertRows(feed_.Take(lastCount_, frames));
    return 0;
}

void CCaptureReport::InsertRows(const std::vector<capture::CaptureRow>& rows) {
    if (rows.empty()) return;
    captureList.SetRedraw(FALSE);
    for (const capture::CaptureRow& row : rows) {
        const std::string hex = capture::FrameHexText(row.bytes.data(), row.bytes.size());
        const int item = captureList.InsertItem(row.number - 1, Decimal(row.number));
        captureList.SetItemText(item, 1, Slice(hex, 0, 17));
        captureList.SetItemText(item, 2, Slice(hex, 18, 17));
        captureList.SetItemText(item, 3, Decimal(row.length));
        captureList.SetItemText(item, 4, Slice(hex, 36, 5));
        captureList.SetItemText(item, 5, CString(hex.c_str()));
        rows_.push_back(row);
    }
    captureList.SetRedraw(TRUE);
    captureList.Invalidate();
}

bool CCaptureReport::ShowFrame(int row) {
    if (row < 0 || static_cast<size_t>(row) >= rows_.size()) return false;
    const std::vector<uint8_t>& frame = rows_[static_cast<size_t>(row)].bytes;
    BYTE* copy = new BYTE[frame.empty() ? 1 : frame.size()];
    std::copy(frame.begin(), frame.end(), copy);
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
