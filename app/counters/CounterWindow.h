// CCounterWindow (template 129): one port's link state and counters as a two-column tree list.
// This is the part the main dialog drives: the tree list with its link rows, the port shown, the
// link record the device events write, Clear All and Save. The counter rows and their one-second
// refresh come with the counter page.
#pragma once

#include "treetable/CTreeTableCtrl.h"

#include <framework/Framework.h>

#include <array>
#include <cstdint>

class CCounterWindow : public CDialog {
public:
    enum { IDD = 129 };
    // Rows of the link block; their column 0 is retexted by the language switch.
    enum Row { kLinkRow = 0, kSpeedRow = 1, kTypeRow = 2, kFlowControlRow = 3, kLinkRowCount = 4 };
    // Tree images of the link rows (bitmap 268).
    enum Image { kImageNotApplicable = 3, kImageLinkDown = 4, kImageLinkUp = 5, kImage1000M = 8, kImageCopper = 11 };

    explicit CCounterWindow(CWnd* pParent = nullptr);

    CTreeTableCtrl counterTree;
    int port = 0;  // 0 Port A, 1 Port B
    // Written from the 0x0400 link report on the GUI thread; 255 is link down.
    uint16_t linkCodeA = 0;
    uint16_t linkCodeB = 0;
    uint16_t mediaTypeA = 0;  // 1 fiber, anything else copper
    uint16_t mediaTypeB = 0;

    // Column 0 (label) and column 1 (value) of a link row, and its image.
    void SetRowLabel(Row row, const CString& text);
    void SetRowValue(Row row, const CString& text);
    void SetRowImage(Row row, int image);
    CString RowValue(Row row) const;
    // Column 1's heading: "Port A" or "Port B" in the current language.
    void SetPortHeading(const CString& text);
    // Clears the shown port's counters on the tester (nothing in demo mode).
    void ClearAll();
    // Saves the counters to a spreadsheet; the spreadsheet export comes with the counter page.
    void SaveCounters() {}

protected:
    BOOL OnInitDialog() override;
    void OnTimer(UINT_PTR nIDEvent);
    DECLARE_MESSAGE_MAP()

private:
    CImageList m_treeImages;
    std::array<HTREEITEM, kLinkRowCount> m_rowItems{};
};
