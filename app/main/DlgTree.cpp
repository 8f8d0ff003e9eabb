// The device tree: its items, their texts and the pages their selection shows.
#include "main/DeviceTexts.h"
#include "main/Globals.h"
#include "main/Vorel_TAP_Test3Dlg.h"
#include "res/resource.h"

#include "BrevixCAPI.h"

namespace {

struct TreeRow {
    const wchar_t* text;
    int parent;  // item number, -1 for the root
    int image;
};

// Items by item number, each inserted as the last child of its parent.
constexpr TreeRow kTreeRows[] = {
    {L"Brevix-CF", -1, 0},    {L"System Information", 0, 1}, {L"Agent / Customer :", 1, 3}, {L"S/N :", 1, 3},
    {L"MAC :", 1, 3},         {L"PCB Version: ", 1, 3},      {L"API Version :", 1, 3},      {L"FPGA Version :", 1, 3},
    {L"FW Version :", 1, 3},  {L"Manufacture Date :", 1, 3}, {L"Port Configuration", 0, 2}, {L"System Upgrade", 0, 1},
    {L"FPGA Upgrade", 11, 3}, {L"Firmware Upgrade", 11, 3},
};

}  // namespace

void CVorel_TAP_Test3Dlg::BuildDeviceTree(bool withFirmwareUpgrade) {
    const int count = withFirmwareUpgrade ? kItemFirmwareUpgrade + 1 : kItemFirmwareUpgrade;
    for (int item = 0; item < count; ++item) {
        const TreeRow& row = kTreeRows[item];
        HTREEITEM parent = row.parent < 0 ? TVI_ROOT : treeItems[row.parent];
        treeItems[item] = deviceTree.InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM, row.text,
                                                row.image, row.image, 0, 0, item, parent, TVI_LAST);
    }
    AddCaptureItems();
}

void CVorel_TAP_Test3Dlg::SetTreeText(int item, const CString& text) {
    if (treeItems[item] != nullptr) deviceTree.SetItemText(treeItems[item], text, 0);
}

CString CVorel_TAP_Test3Dlg::TreeText(int item) const {
    LPCWSTR text = treeItems[item] ? deviceTree.GetItemText(treeItems[item], 0) : nullptr;
    return text ? CString(text) : CString();
}

void CVorel_TAP_Test3Dlg::UpdateTreeTexts() {
    const CString version = ResourceText(IDS_VERSION);
    SetTreeText(kItemModel, device_texts::ModelText(BVX_Machine_ID));
    SetTreeText(kItemAgent, L"Agent / Customer : " + identityTexts[kAgent]);
    SetTreeText(kItemSerial, L"S/N : " + identityTexts[kSerial]);
    SetTreeText(kItemMac, L"MAC : " + identityTexts[kMac]);
    SetTreeText(kItemPcb, L"PCB " + version + L" : " + identityTexts[kPcb]);
    SetTreeText(kItemApi, L"API " + version + L" : " + identityTexts[kApi]);
    SetTreeText(kItemFpga, L"FPGA " + version + L" : " + identityTexts[kFpga]);
    SetTreeText(kItemFirmware, L"FW " + version + L" : " + identityTexts[kFirmware]);
    SetTreeText(kItemDate, L"Manufacture Date : " + identityTexts[kDate]);
}

void CVorel_TAP_Test3Dlg::OnTreeSelChanged(NMHDR* pNMHDR, LRESULT* pResult) {
    *pResult = 0;
    // The page being shown moves the highlight to its item: nothing more to show.
    if (followingPage_) return;
    counterMode = 0;
    const auto* change = reinterpret_cast<const NMTREEVIEWW*>(pNMHDR);
    selectedTreeItem = static_cast<int>(change->itemNew.lParam);
    ShowPageOfItem(selectedTreeItem);
}

void CVorel_TAP_Test3Dlg::OnTreeClick(NMHDR* pNMHDR, LRESULT* pResult) {
    *pResult = 0;
    // A click on the item already selected changes no selection, yet the operator chose its page
    // again: it shows whole even after it put itself away (an upgrade page's Cancel) or another page
    // took its place without a tree item (a menu's page).
    const auto* click = reinterpret_cast<const NMTREEVIEWW*>(pNMHDR);
    if (click->itemNew.hItem == nullptr || static_cast<int>(click->itemNew.lParam) != selectedTreeItem) return;
    counterMode = 0;
    ShowPageOfItem(selectedTreeItem);
}

void CVorel_TAP_Test3Dlg::OnTreeDoubleClick(NMHDR*, LRESULT* pResult) { *pResult = 0; }
