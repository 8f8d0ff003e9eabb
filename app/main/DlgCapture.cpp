// The capture pages' place in the device tree: "Frame Capture" with an item for each port under it.
// Selecting a port's item shows that port's capture page (DlgPages.cpp); the panels keep collecting
// rows while hidden.
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
