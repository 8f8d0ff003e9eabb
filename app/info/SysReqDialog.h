// SysReqDialog: the "System Requirements" window: the platform the program needs, and a table of
// the tester models with the FPGA, firmware and program ("AP") versions that work together. The
// main dialog centres and shows it; OK hides it.
#pragma once

#include <framework/Framework.h>

#include "grids/MyGrid.h"
#include "info/InfoIds.h"

class SysReqDialog : public CDialog {
public:
    enum { IDD = IDD_INFO_REQUIREMENTS };
    static constexpr int kColumns = 4;
    static constexpr int kModels = 3;
    static constexpr int kHeadingHeight = 25;
    static constexpr int kRowHeight = 25;
    static const int kColumnWidths[kColumns];
    // The table: model, FPGA, firmware, AP, one row per model.
    static const LPCWSTR kRequirements[kModels][kColumns];

    explicit SysReqDialog(CWnd* pParent = nullptr);
    BOOL Create(CWnd* pParentWnd) { return CDialog::Create(IDD, pParentWnd); }

    // The texts a language switch rewrites: the window title, the platform requirements' title,
    // and the headings of the model and firmware columns; the grid is redrawn.
    void Retext(LPCWSTR title, LPCWSTR platformTitle, LPCWSTR modelHeading, LPCWSTR firmwareHeading);

    MyGrid requirementsGrid;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

private:
    // The grid and the window grown to hold the whole table, whatever the dialog's font.
    void FitTable();
};
