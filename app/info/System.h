// CSystem: the system information page (panel 1): a one-column grid of the tester's identity, one
// labelled row each for model, agent, S/N, MAC, PCB, API, FPGA and firmware versions and
// manufacture date, which the main dialog and the device events fill, beside the system picture and
// the logo.
#pragma once

#include <framework/Framework.h>

#include "grids/MyGrid.h"
#include "info/InfoIds.h"
#include "picture/TransparentPicture.h"

class CSystem : public CDialog {
public:
    enum { IDD = IDD_INFO_SYSTEM };
    static constexpr int kRowHeight = 32;
    static constexpr int kSideHeadingWidth = 120;
    static constexpr int kValueColumnWidth = 150;

    explicit CSystem(CWnd* pParent = nullptr);
    BOOL Create(CWnd* pParentWnd) { return CDialog::Create(IDD, pParentWnd); }

    MyGrid infoGrid;
    CTransparentPicture picture;
    CTransparentPicture logo;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
};
