// CDialog: a dialog built from a template in the resource script, modeless (Create) or modal
// (DoModal, which runs the framework's own loop so that PreTranslateMessage sees every message
// before IsDialogMessage does).
#pragma once

#include <framework/DataExchange.h>
#include <framework/Wnd.h>

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    CDialog() = default;
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    explicit CDialog(LPCWSTR lpszTemplateName, CWnd* pParentWnd = nullptr);

    // Modeless: the window exists when this returns TRUE, OnInitDialog has run.
    virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    virtual BOOL Create(LPCWSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
    BOOL CreateIndirect(LPCDLGTEMPLATEW lpDialogTemplate, CWnd* pParentWnd = nullptr, HINSTANCE hInst = nullptr);

    // Modal: disables the owner, runs until EndDialog, destroys the window and returns the result
    // given to EndDialog (-1 when the template cannot be found or the window cannot be made).
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    BOOL PreTranslateMessage(MSG* pMsg) override;

    void NextDlgCtrl() const { ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, 0, 0); }
    void PrevDlgCtrl() const { ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, 1, 0); }
    void GotoDlgCtrl(CWnd* pWndCtrl) {
        ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(pWndCtrl->GetSafeHwnd()), 1);
    }
    void SetDefID(UINT nID) { ::SendMessageW(m_hWnd, DM_SETDEFID, nID, 0); }
    DWORD GetDefID() const { return static_cast<DWORD>(::SendMessageW(m_hWnd, DM_GETDEFID, 0, 0)); }
    void MapDialogRect(LPRECT lpRect) const { ::MapDialogRect(m_hWnd, lpRect); }

    UINT m_nIDHelp = 0;

protected:
    virtual void DoDataExchange(CDataExchange* pDX);

    LPCWSTR m_lpszTemplateName = nullptr;
    CWnd* m_pParentWnd = nullptr;

    DECLARE_MESSAGE_MAP()

private:
    // Return on a push button with the focus: the button is pressed; false for any other window.
    static bool PressFocusedButton(HWND focus);
    friend struct DialogInternals;
};
