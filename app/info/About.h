// CAbout: the About panel. It is created hidden and never shown: its grid is the program's store of
// the current identity rows (model, agent, S/N, MAC, PCB, API, FPGA and firmware versions,
// manufacture date), written by the device events and the first show and read by the upgrade log.
#pragma once

#include <framework/Framework.h>

#include "grids/MyGrid.h"
#include "info/InfoIds.h"

class CAbout : public CDialog {
public:
    enum { IDD = IDD_INFO_ABOUT };
    static constexpr int kRowHeight = 25;
    static constexpr int kSideHeadingWidth = 145;
    static constexpr int kValueColumnWidth = 135;

    explicit CAbout(CWnd* pParent = nullptr);
    BOOL Create(CWnd* pParentWnd) { return CDialog::Create(IDD, pParentWnd); }

    MyGrid aboutGrid;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

private:
    CFont textFont_;
};
