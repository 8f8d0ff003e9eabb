// The reference of the start-up benchmark: a bare dialog program of ours, started the same way as
// Vorels-NIC and shown, as Vorels-NIC is, from a 500 ms timer after its start.
#include <framework/Framework.h>

namespace {

class CBareDialog : public CDialog {
public:
    CBareDialog() : CDialog(1) {}

protected:
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        SetTimer(1, 500, nullptr);
        return TRUE;
    }
    void OnWindowPosChanging(WINDOWPOS* position) {
        if (!shown_) position->flags &= ~SWP_SHOWWINDOW;
        CDialog::OnWindowPosChanging(position);
    }
    void OnTimer(UINT_PTR) {
        KillTimer(1);
        shown_ = true;
        ShowWindow(SW_SHOW);
    }
    DECLARE_MESSAGE_MAP()

private:
    bool shown_ = false;
};

BEGIN_MESSAGE_MAP(CBareDialog, CDialog)
ON_WM_WINDOWPOSCHANGING()
ON_WM_TIMER()
END_MESSAGE_MAP()

class CBareApp : public CWinApp {
public:
    CBareApp() : CWinApp(L"Bare dialog") {}
    BOOL InitInstance() override {
        CBareDialog dialog;
        m_pMainWnd = &dialog;
        dialog.DoModal();
        return FALSE;
    }
};

CBareApp theBareApp;

}  // namespace
