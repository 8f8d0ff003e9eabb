// The main dialog's port commands: the Port A / Port B pages with NIC mode, Clear Counter, the
// port-configuration grid and its Apply, the start-up media detection and default configuration,
// and the media status pages.
#include "BrevixCAPI.h"
#include "BrevixCPorts.h"
#include "main/Globals.h"
#include "main/Vorel_TAP_Test3Dlg.h"
#include "res/resource.h"

#include <cstring>

namespace {

// Media choices of the grid and the media codes of the API.
constexpr uint8_t kMediaAuto = 0;
constexpr uint8_t kMediaFiber = 1;
constexpr uint8_t kMediaCopper = 2;
constexpr uint16_t kUnchanged = 0xFFFF;
// The speed and duplex code that asks for auto-negotiation.
constexpr uint16_t kAutoNegotiation = 0x8000;
// The bytes of the record the device reads; the rest stays zero.
constexpr size_t kRecordBytes = 29;
// The PHY mode the start-up writes. The record's PHY mode has no value meaning "unchanged" (the
// library writes whatever it holds, 0xFF becoming mode 3 on machine ids 3 and 4), so Apply sends
// this one again.
constexpr uint8_t kPhyMode = 0;

constexpr int kMediaColumn = 1;
constexpr int kFlowControlColumn = 2;
constexpr short kLeftCentred = 0x21;
constexpr short kCentred = 0x24;
constexpr COLORREF kHeadingBack = RGB(194, 209, 240);

// The record's fields all "unchanged" but the port; the unused bytes zero.
BrevixC_PortConfig_T UnchangedRecord(uint32_t port) {
    BrevixC_PortConfig_T config;
    std::memset(&config, 0, sizeof config);
    std::memset(&config, 0xFF, kRecordBytes);
    config.port = port;
    return config;
}

}  // namespace

void CVorel_TAP_Test3Dlg::ShowCounterPage(int port) {
    BrevixC_SYS_SetNICMode(static_cast<uint8_t>(port), 1);
    toolbar.EnableButton(ID_PORT_A, port != 0);
    toolbar.EnableButton(ID_PORT_B, port == 0);
    portCounterWindow.ShowPort(port);
    RetextCounterPage();
    ShowPage(port == 0 ? Page::kCounterA : Page::kCounterB);
}

void CVorel_TAP_Test3Dlg::OnPortA() { ShowCounterPage(0); }

void CVorel_TAP_Test3Dlg::OnPortB() { ShowCounterPage(1); }

void CVorel_TAP_Test3Dlg::OnClearCounter() {
    if (ShowBox(ResourceText(IDS_CLEAR_QUESTION), L"Message", MB_YESNO | MB_ICONQUESTION) == IDYES) {
        portCounterWindow.ClearAll();
    }
}

void CVorel_TAP_Test3Dlg::CreatePortConfigGrid() {
    CWnd* frame = GetDlgItem(IDC_PANEL_FRAME);
    if (frame == nullptr || !portConfigGrid.AttachToDialogItem(this, IDC_PORT_CONFIG_GRID)) return;
    CRect area;
    frame->GetWindowRect(&area);
    ScreenToClient(&area);
    portConfigGrid.MoveWindow(area.left + 10, area.top + 10, area.Width() - 20, 90);

    CVGCell heading;
    portConfigGrid.GetHeadingDefaultCell(&heading);
    heading.PutAlignment(kLeftCentred);
    heading.PutBackColor(kHeadingBack);
    heading.PutBorderStyle(0);
    portConfigGrid.SetHeadingDefaultCell(&heading);
    CVGCell firstColumn;
    portConfigGrid.GetColumnDefaultCell(0, &firstColumn);
    firstColumn.PutAlignment(kLeftCentred);
    portConfigGrid.SetColumnDefaultCell(0, &firstColumn);

    portConfigGrid.SetColumnCount(3, FALSE);
    portConfigGrid.SetRowCount(2, FALSE);
    portConfigGrid.SetTopHeadingHeight(30);
    portConfigGrid.SetSideHeadingWidth(0);
    const LPCWSTR headings[3] = {L"Port", L"Media", L"Flow Control"};
    const int widths[3] = {100, 100, 120};
    for (int column = 0; column < 3; ++column) {
        portConfigGrid.SetCellText(column, -1, headings[column]);
        portConfigGrid.SetCellAlignment(column, -1, kCentred);
        portConfigGrid.ResizeColumn(column, widths[column]);
    }
    const auto dropList = [this](int column, int row, LPCWSTR text, LPCWSTR choices) {
        CVGCell cell;
        portConfigGrid.GetStoredCell(column, row, &cell);
        cell.PutTypeIndex(1);
        cell.PutReadOnly(0);
        cell.PutText(text);
        cell.PutLabel(choices);
        cell.PutAlignment(kCentred);
        portConfigGrid.StoreCell(column, row, &cell);
    };
    for (int row = 0; row < 2; ++row) {
        portConfigGrid.SetCellText(0, row, row == 0 ? L"Port A" : L"Port B");
        dropList(kMediaColumn, row, L"Auto", L"Auto\nCopper\nFiber\n");
        dropList(kFlowControlColumn, row, L"Enable", L"Enable\nDisable\n");
    }
    portConfigGrid.ShowWindow(SW_HIDE);
}

void CVorel_TAP_Test3Dlg::OnApplyPortConfig() {
    if (IsDemoMode()) return;
    for (int port = 0; port < 2; ++port) {
        const CString media = portConfigGrid.GetCellText(kMediaColumn, port);
        const uint8_t device = static_cast<uint8_t>(port);
        if (media == L"Auto") {
            BrevixC_SetSFP(device, kMediaAuto);
        } else if (media == L"Copper") {
            BrevixC_SetSFP(device, kMediaCopper);
        } else if (media == L"Fiber") {
            BrevixC_SetSFP(device, kMediaFiber);
        }
    }
    // Each port's record starts over, so a port whose cell holds no choice leaves its own flow
    // control as it is instead of taking the other port's.
    for (uint32_t port : {0u, 1u}) {
        BrevixC_PortConfig_T config = UnchangedRecord(port);
        config.phyMode = kPhyMode;
        const CString flowControl = portConfigGrid.GetCellText(kFlowControlColumn, static_cast<int>(port));
        if (flowControl == L"Enable") {
            config.flowControl = 1;
        } else if (flowControl == L"Disable") {
            config.flowControl = 0;
        }
        BrevixC_PortConfig(config);
        if (config.flowControl <= 1) portCounterWindow.SetFlowControl(static_cast<int>(port), config.flowControl == 1);
    }
}

void CVorel_TAP_Test3Dlg::StartMediaDetection() {
    if (IsDemoMode()) {
        // No tester reports a link: both ports take the demo's own, which the counter rows and the
        // media panels show alike.
        portCounterWindow.linkCodeA = portCounterWindow.linkCodeB = counters::kDemoLinkCode;
        portCounterWindow.mediaTypeA = portCounterWindow.mediaTypeB = counters::kDemoMediaType;
        portCounterWindow.SetRowImage(CCounterWindow::kTypeRow, CCounterWindow::kImageCopper);
        portCounterWindow.SetRowValue(CCounterWindow::kTypeRow, L"Copper");
        OnMediaLinkReport();
        return;
    }
    progressPanel.CenterWindow();
    // The panel's line of text is its one control without an id of its own.
    progressPanel.SetDlgItemText(-1, L"Detecting media, please wait!");
    progressPanel.m_progress.SetPos(0);
    progressPanel.ShowWindow(SW_SHOW);
    // The panel's own clock ends the wait even when the library never reports the end.
    SetTimer(kMediaDetectionTimer, 1000, nullptr);
    BrevixC_SetSFP(255, kMediaAuto);
}

void CVorel_TAP_Test3Dlg::OnMediaDetectionTick() {
    if (!progressPanel.IsWindowVisible()) {
        KillTimer(kMediaDetectionTimer);
        return;
    }
    // A panel shown before its owner came up may lie under it; it belongs on top.
    progressPanel.SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    progressPanel.MeasureElapsed();
    if (progressPanel.LimitReached()) EndFailedMediaDetection();
}

void CVorel_TAP_Test3Dlg::EndFailedMediaDetection() {
    KillTimer(kMediaDetectionTimer);
    // The box's own loop dispatches the library's further progress reports and this timer: the
    // operator hears of one failure once. A lost tester explains it already: its box is the one.
    if (!mediaFailureBoxOpen_ && !connectionLost_) {
        mediaFailureBoxOpen_ = true;
        ShowBox(L"Fail to detect media!", L"Message", MB_OK);
        mediaFailureBoxOpen_ = false;
    }
    progressPanel.m_progress.SetPos(0);
    progressPanel.EnableWindow(TRUE);
    progressPanel.ShowWindow(SW_HIDE);
}

void CVorel_TAP_Test3Dlg::SendDefaultPortConfig() {
    if (!IsDemoMode()) {
        // Flow control on, auto-negotiation, the speed class and PHY mode 0, the rest unchanged.
        BrevixC_PortConfig_T config = UnchangedRecord(0);
        config.flowControl = 1;
        config.speedDuplex = kAutoNegotiation;
        config.speedClass = 0;
        config.phyMode = kPhyMode;
        for (uint32_t port : {0u, 1u}) {
            config.port = port;
            BrevixC_PortConfig(config);
        }
    }
    for (int port : {0, 1}) portCounterWindow.SetFlowControl(port, true);
}

void CVorel_TAP_Test3Dlg::ShowMediaStatus(int port) {
    UpdateMediaPanels();
    ShowPage(port == 0 ? Page::kMediaA : Page::kMediaB);
}

void CVorel_TAP_Test3Dlg::OnMediaStatusA() { ShowMediaStatus(0); }

void CVorel_TAP_Test3Dlg::OnMediaStatusB() { ShowMediaStatus(1); }

void CVorel_TAP_Test3Dlg::OnMediaLinkReport() {
    portCounterWindow.SetLinkReported();
    UpdateMediaPanels();
}

void CVorel_TAP_Test3Dlg::UpdateMediaPanels() {
    // The counter window owns the link every page shows (link down before the first report and
    // while the tester is lost).
    const counters::PortLink a = portCounterWindow.ShownLink(0), b = portCounterWindow.ShownLink(1);
    mediaA.ShowLink(a.code, a.media);
    mediaB.ShowLink(b.code, b.media);
}
