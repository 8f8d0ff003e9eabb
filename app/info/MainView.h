// CMainView: the picture page of the main dialog's right-hand area (panel 0), a grey page with the
// tester's picture and the maker's logo.
#pragma once

#include <framework/Framework.h>

#include "info/InfoIds.h"
#include "picture/TransparentPicture.h"

class CMainView : public CDialog {
public:
    enum { IDD = IDD_INFO_MAIN_VIEW };
    static constexpr COLORREF kBackColor = RGB(196, 196, 196);

    explicit CMainView(CWnd* pParent = nullptr);
    BOOL Create(CWnd* pParentWnd) { return CDialog::Create(IDD, pParentWnd); }

    CTransparentPicture picture;
    CTransparentPicture logo;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    DECLARE_MESSAGE_MAP()

private:
    CBrush backBrush_{kBackColor};
};
