// The reference of the start-up benchmark: a bare dialog program of ours, started the same way as
// Vorels-NIC and shown, as Vorels-NIC is, from a 500 ms timer after its start. Started with
// "--tick", it then retexts its button once a second: the reference of the processor share of a
// program whose window updates each second.
#include <framework/Framework.h>

#include <cwchar>

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
        if (shown_) {
            wchar_t text[16];
            std::swprintf(text, 16, L"%d", ++ticks_);
            SetDlgItemText(IDOK, text);
            return;
        }
        shown_ = true;
        ShowWindow(SW_SHOW);
        if (std::wcsstr(::GetCommandLineW(), L"--tick") != nullptr) {
            SetTimer(1, 1000, nullptr);
        } else {
            KillTimer(1);
        }
    }
    DECLARE_MESSAGE_MAP()

private:
    bool shown_ = false;
    int ticks_ = 0;
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
