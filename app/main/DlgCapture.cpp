// The capture pages: "Frame Capture" in the device tree with an item for each port under it.
// Selecting a port's item shows that port's capture panel in the page area, where the counter and
// upgrade pages go; selecting any other item puts the capture panels away. The panels keep
// collecting rows while hidden.
#include "main/Globals.h"
#include "main/Vorel_TAP_Test3Dlg.h"

namespace {

// Tree pictures (bitmap 268): 1 a branch, 2 a port.
constexpr int kBranchImage = 1;
constexpr int kPortImage = 2;

}  // namespace

void CVorel_TAP_Test3Dlg::AddCaptureItems() {
    const auto add = [this](int item, LPCWSTR text, int image, HTREEITEM parent) {
        treeItems[item] = deviceTree.InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM, text, image,
                                                image, 0, 0, item, parent, TVI_LAST);
    };
    add(kItemCapture, L"Frame Capture", kBranchImage, treeItems[kItemModel]);
    add(kItemCaptureA, L"Port A", kPortImage, treeItems[kItemCapture]);
    add(kItemCaptureB, L"Port B", kPortImage, treeItems[kItemCapture]);
}

void CVorel_TAP_Test3Dlg::ShowCapturePage(int item) {
    const bool portA = item == kItemCaptureA;
    if (!portA && item != kItemCaptureB) {
        captureA.ShowWindow(SW_HIDE);
        captureB.ShowWindow(SW_HIDE);
        if (currentPanel == kCaptureA || currentPanel == kCaptureB) currentPanel = kPortCounterAndUpgrade;
        return;
    }
    (portA ? static_cast<CWnd&>(captureB) : captureA).ShowWindow(SW_HIDE);
    portCounterWindow.ShowWindow(SW_HIDE);
    portCounterWindow.counterTree.ShowWindow(SW_HIDE);
    upgradePanel.ShowWindow(SW_HIDE);
    applyButton.ShowWindow(SW_HIDE);
    panelTitle.SetWindowText(portA ? L"Frame Capture - Port A" : L"Frame Capture - Port B");
    // The page area's painting places and shows the page of currentPanel.
    currentPanel = portA ? kCaptureA : kCaptureB;
    Invalidate();
}
