// The device events, handled on the GUI thread: the callback copied each message and posted it
// here, so every window update and every box happens on the thread that owns the windows.
#include "BrevixCAPI.h"
#include "main/DeviceTexts.h"
#include "main/Globals.h"
#include "main/HostMessage.h"
#include "main/Vorel_TAP_Test3Dlg.h"
#include "res/resource.h"

namespace {

// Offsets of the fields the program reads (from the start of the message).
constexpr size_t kCapturePort = 16;
constexpr size_t kCaptureFrameCount = 22;
constexpr size_t kDownloadStatus = 18;
constexpr size_t kDownloadPercent = 20;
// The last field of the system information: the firmware build word.
constexpr size_t kSystemInfoEnd = BREVIXC_INFO_FIRMWARE_BUILD + 4;

CString Decimal(long long value) {
    CString text;
    text.Format(L"%lld", value);
    return text;
}

}  // namespace

void CVorel_TAP_Test3Dlg::HandleDeviceEvent(const HostMessage& message) {
    switch (message.Type()) {
    case BREVIXC_MSG_CAPTURE:
        OnCaptureData(message);
        break;
    case BREVIXC_MSG_LINK_STATUS:
        OnLinkStatus(message);
        break;
    case BREVIXC_MSG_SYSTEM_INFO:
        OnSystemInformation(message);
        break;
    case BREVIXC_MSG_FPGA_DOWNLOAD:
    case BREVIXC_MSG_FIRMWARE_DOWNLOAD:
        if (message.Has(kDownloadStatus, 4)) {
            upgradePanel.OnDownloadStatus(message.Type(), message.U16(kDownloadStatus), message.U16(kDownloadPercent));
        }
        break;
    case BREVIXC_MSG_PORT_EVENT:
        OnPortEvent(message);
        break;
    case BREVIXC_MSG_DEVICE_LOST:
        OnDeviceLost(message);
        break;
    default:
        break;
    }
}

void CVorel_TAP_Test3Dlg::OnCaptureData(const HostMessage& message) {
    if (!message.Has(kCaptureFrameCount, 2)) return;
    const int frameCount = message.U16(kCaptureFrameCount);
    const int port = message.U16(kCapturePort);
    alarmReport.AppendLine(Decimal(frameCount));
    alarmReport.AppendLine(Decimal(port));
    if (port == 0) captureA.OnCaptureReport(frameCount);
    if (port == 1) captureB.OnCaptureReport(frameCount);
}

void CVorel_TAP_Test3Dlg::OnLinkStatus(const HostMessage& message) {
    if (!message.Has(BREVIXC_LINK_PORT_B_MEDIA, 2)) return;
    portCounterWindow.linkCodeA = message.U16(BREVIXC_LINK_PORT_A_SPEED);
    portCounterWindow.mediaTypeA = message.U16(BREVIXC_LINK_PORT_A_MEDIA);
    portCounterWindow.linkCodeB = message.U16(BREVIXC_LINK_PORT_B_SPEED);
    portCounterWindow.mediaTypeB = message.U16(BREVIXC_LINK_PORT_B_MEDIA);
    OnMediaLinkReport();
}

void CVorel_TAP_Test3Dlg::OnSystemInformation(const HostMessage& message) {
    using namespace device_texts;
    if (!message.Has(0, kSystemInfoEnd)) return;
    const CString version = ResourceText(IDS_VERSION);
    const auto writeRow = [this](int row, const CString& text) {
        systemInformation.infoGrid.SetCellText(0, row, text);
        aboutPanel.aboutGrid.SetCellText(0, row, text);
    };

    const CString model = ModelText(BVX_Machine_ID);
    writeRow(0, model);
    SetTreeText(kItemModel, model);
    upgradePanel.SetInfoText(0, model);

    identityTexts[kSerial] = FieldText(BVX_SN, sizeof BVX_SN);
    writeRow(2, identityTexts[kSerial]);
    SetTreeText(kItemSerial, L"S/N : " + identityTexts[kSerial]);

    identityTexts[kMac] = MacText(BVX_MAC);
    SetTreeText(kItemMac, L"MAC : " + identityTexts[kMac]);
    writeRow(3, identityTexts[kMac]);

    identityTexts[kPcb] = L"v" + FieldText(BVX_PCB, sizeof BVX_PCB);
    writeRow(4, identityTexts[kPcb]);
    SetTreeText(kItemPcb, L"PCB " + version + L" : " + identityTexts[kPcb]);

    identityTexts[kApi] =
        DatedVersionText(message.I32(BREVIXC_INFO_LIBRARY_MAJOR), message.I32(BREVIXC_INFO_LIBRARY_MINOR),
                         message.I32(BREVIXC_INFO_LIBRARY_BUILD), message.U32(BREVIXC_INFO_LIBRARY_DATE));
    aboutVersions[kAboutApi] = identityTexts[kApi];
    writeRow(5, identityTexts[kApi]);
    SetTreeText(kItemApi, L"API " + version + L" : " + identityTexts[kApi]);

    identityTexts[kFpga] = DatedVersionText(message.I32(BREVIXC_INFO_FPGA_MAJOR), message.I32(BREVIXC_INFO_FPGA_MINOR),
                                            message.I32(BREVIXC_INFO_FPGA_BUILD), message.U32(BREVIXC_INFO_FPGA_DATE));
    aboutVersions[kAboutFpga] = identityTexts[kFpga];
    writeRow(6, identityTexts[kFpga]);
    SetTreeText(kItemFpga, L"FPGA " + version + L" : " + identityTexts[kFpga]);
    upgradePanel.SetFpgaVersionText(identityTexts[kFpga]);

    const CString firmware =
        VersionText(message.I32(BREVIXC_INFO_FIRMWARE_MAJOR), message.I32(BREVIXC_INFO_FIRMWARE_MINOR),
                    message.I32(BREVIXC_INFO_FIRMWARE_BUILD));
    aboutVersions[kAboutFirmware] = firmware;
    writeRow(7, firmware);
    identityTexts[kFirmware] = firmware;
    SetTreeText(kItemFirmware, L"FW " + version + L" : " + firmware);
    upgradePanel.SetFirmwareVersionText(firmware);

    identityTexts[kDate] = ProductDateText(FieldText(BVX_ProductDate, sizeof BVX_ProductDate));
    writeRow(8, identityTexts[kDate]);
    SetTreeText(kItemDate, L"Manufacture Date : " + identityTexts[kDate]);

    aboutPanel.aboutGrid.Invalidate(TRUE);
}

void CVorel_TAP_Test3Dlg::OnPortEvent(const HostMessage& message) {
    if (!message.Has(BREVIXC_EVENT_VALUE, 4) || message.I32(BREVIXC_EVENT_CODE) != BREVIXC_EVENT_MEDIA_DETECTION) {
        return;
    }
    const int value = message.I32(BREVIXC_EVENT_VALUE);
    // Every media selection reports its progress, Apply's too; only the detection the panel is up
    // for can fail, and the panel's clock says nothing about any other.
    const bool watched = progressPanel.IsWindowVisible() != FALSE;
    if (watched) progressPanel.MeasureElapsed();
    if (value == 1) {
        progressPanel.ShowWindow(SW_HIDE);
        progressPanel.m_progress.SetPos(0);
        SetTimer(kLinkRereadTimer, 2000, nullptr);
    } else if (value == 0 && watched && progressPanel.LimitReached()) {
        EndFailedMediaDetection();
    }
}

void CVorel_TAP_Test3Dlg::OnDeviceLost(const HostMessage& message) {
    if (!message.Has(BREVIXC_LOST_VALUE, 4) || message.I32(BREVIXC_LOST_VALUE) != BREVIXC_LOST_DEVICE) return;
    connectionLost_ = true;
    // A download through the device API cannot go on without the tester: it ends here, quietly,
    // and the loss box is the one box of both.
    upgradePanel.AbandonDownload(false);
    // The media detection cannot end without the tester either: its panel goes, and no failure
    // box follows the loss's.
    if (progressPanel.IsWindowVisible()) {
        KillTimer(kMediaDetectionTimer);
        progressPanel.m_progress.SetPos(0);
        progressPanel.ShowWindow(SW_HIDE);
    }
    ShowConnectionLost();
    // The box's own loop dispatches the next device events; a second loss report while it is open
    // (or while it waits) changes the same state again but asks the operator nothing more.
    if (deviceLostBoxOpen_ || lossBoxDue_ || ending_) return;
    // Another box is up (its loop dispatched this report): the loss waits for it to close.
    if (openBoxes_ > 0) {
        lossBoxDue_ = true;
        return;
    }
    ShowLossBox();
}

void CVorel_TAP_Test3Dlg::ShowLossBox() {
    deviceLostBoxOpen_ = true;
    ShowBox(languageIndex == 0 ? L"The device is disconnected!" : L"装置切断しました!", AfxGetAppName(), MB_OK);
    deviceLostBoxOpen_ = false;
}

void CVorel_TAP_Test3Dlg::ShowConnectionLost() {
    pictureConnected.ShowWindow(SW_HIDE);
    pictureConnecting.ShowWindow(SW_HIDE);
    pictureDisconnected.ShowWindow(SW_SHOW);
    // The start-up makes the toolbar after its first pumped waits; it shows the loss once made.
    if (toolbar.GetSafeHwnd() != nullptr) {
        ReplaceToolbarImages(IDB_TOOLBAR_LOST);
        toolbar.EnableButton(ID_RECONNECT, FALSE);
        // The dialog does not clip its pages: they repaint with it, or its background wipes them.
        RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        toolbar.EnableButton(ID_RECONNECT, TRUE);
        for (UINT command : {ID_CLEAR_COUNTER, ID_CHART, ID_PORT_A, ID_PORT_B, ID_PORT_A_AND_B, ID_SAVE_COUNTER}) {
            toolbar.EnableButton(command, FALSE);
        }
    }
    upgradePanel.SetDeviceReachable(false);
    connectionText.SetWindowText(L"Disconnected");
    portCounterWindow.SetTesterLost(true);
    UpdateMediaPanels();
}
