#include <framework/App.h>
#include <framework/Dialog.h>
#include <framework/MessageMap.h>
#include <framework/Module.h>

#include "WndCreation.h"

namespace framework {
// Thrown by CDataExchange::Fail, caught by UpdateData. It never leaves the framework's frames of
// the exchange: DoDataExchange runs between UpdateData and the DDX_ calls.
struct DataExchangeFailure {};
}  // namespace framework

struct DialogInternals {
    // The dialog procedure of every framework dialog. The window is subclassed by the framework
    // before this runs, so messages reach the object's map first and come here only through
    // Default; its one job is to run OnInitDialog when the dialog manager asks.
    static INT_PTR CALLBACK Procedure(HWND hWnd, UINT message, WPARAM, LPARAM) {
        if (message != WM_INITDIALOG) return FALSE;
        auto* dialog = static_cast<CDialog*>(CWnd::FromHandlePermanent(hWnd));
        return dialog != nullptr ? dialog->OnInitDialog() : TRUE;
    }

    static LPCDLGTEMPLATEW FindTemplate(LPCWSTR name, HINSTANCE* module) {
        *module = AfxFindResourceHandle(name, RT_DIALOG);
        if (*module == nullptr) return nullptr;
        HRSRC resource = ::FindResourceW(*module, name, RT_DIALOG);
        HGLOBAL loaded = resource ? ::LoadResource(*module, resource) : nullptr;
        return loaded ? static_cast<LPCDLGTEMPLATEW>(::LockResource(loaded)) : nullptr;
    }
};

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDHelp(nIDTemplate), m_lpszTemplateName(MAKEINTRESOURCEW(nIDTemplate)), m_pParentWnd(pParentWnd) {}

CDialog::CDialog(LPCWSTR lpszTemplateName, CWnd* pParentWnd)
    : m_lpszTemplateName(lpszTemplateName), m_pParentWnd(pParentWnd) {}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) { return Create(MAKEINTRESOURCEW(nIDTemplate), pParentWnd); }

BOOL CDialog::Create(LPCWSTR lpszTemplateName, CWnd* pParentWnd) {
    m_lpszTemplateName = lpszTemplateName;
    if (IS_INTRESOURCE(lpszTemplateName) && m_nIDHelp == 0) {
        m_nIDHelp = static_cast<UINT>(reinterpret_cast<UINT_PTR>(lpszTemplateName));
    }
    HINSTANCE module = nullptr;
    LPCDLGTEMPLATEW dialogTemplate = DialogInternals::FindTemplate(lpszTemplateName, &module);
    if (dialogTemplate == nullptr) return FALSE;
    return CreateIndirect(dialogTemplate, pParentWnd, module);
}

BOOL CDialog::CreateIndirect(LPCDLGTEMPLATEW lpDialogTemplate, CWnd* pParentWnd, HINSTANCE hInst) {
    if (pParentWnd != nullptr) m_pParentWnd = pParentWnd;
    if (hInst == nullptr) hInst = AfxGetResourceHandle();
    framework::CreationScope creation(this);
    HWND hWnd = ::CreateDialogIndirectParamW(hInst, lpDialogTemplate, m_pParentWnd->GetSafeHwnd(),
                                             &DialogInternals::Procedure, 0);
    return hWnd != nullptr && m_hWnd == hWnd;
}

INT_PTR CDialog::DoModal() {
    HINSTANCE module = nullptr;
    LPCDLGTEMPLATEW dialogTemplate = DialogInternals::FindTemplate(m_lpszTemplateName, &module);
    if (dialogTemplate == nullptr) return -1;

    // The owner is the given parent's top-level window, or the program's main window.
    HWND owner = m_pParentWnd ? ::GetAncestor(m_pParentWnd->m_hWnd, GA_ROOT) : nullptr;
    if (owner == nullptr) {
        CWnd* main = AfxGetMainWnd();
        if (main != nullptr && main != this) owner = main->GetSafeHwnd();
    }
    bool ownerWasEnabled = owner != nullptr && ::IsWindowEnabled(owner);
    if (ownerWasEnabled) ::EnableWindow(owner, FALSE);

    // From here EndDialog ends the modal loop; called during OnInitDialog, it ends the dialog
    // before the loop starts.
    m_nModalResult = -1;
    m_bContinueModal = true;
    CWnd* savedParent = m_pParentWnd;
    m_pParentWnd = CWnd::FromHandle(owner);
    BOOL created = CreateIndirect(dialogTemplate, nullptr, module);
    m_pParentWnd = savedParent;
    int result = -1;
    if (created) result = m_bContinueModal ? RunModalLoop(0) : m_nModalResult;
    m_bContinueModal = false;

    if (m_hWnd != nullptr) {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    }
    if (ownerWasEnabled) ::EnableWindow(owner, TRUE);
    if (owner != nullptr && m_hWnd != nullptr && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(owner);
    if (m_hWnd != nullptr) DestroyWindow();
    return result;
}

void CDialog::EndDialog(int nResult) {
    if (m_bContinueModal) {
        EndModalLoop(nResult);
        return;
    }
    // A modeless dialog is hidden and stays alive: its owner destroys it.
    ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::OnInitDialog() {
    // The controls bound by DDX_Control exist now: subclass them and fill them from the members.
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange exchange(this, bSaveAndValidate);
    try {
        DoDataExchange(&exchange);
    } catch (const framework::DataExchangeFailure&) {
        return FALSE;
    }
    return TRUE;
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
    // Keyboard interface (Tab, arrows, Return, Escape, mnemonics) for this dialog's own controls.
    bool input = (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST) ||
                 (pMsg->message >= WM_MOUSEFIRST && pMsg->message <= WM_MOUSELAST);
    if (!input || m_hWnd == nullptr) return FALSE;
    if (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd)) return FALSE;
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_RETURN && PressFocusedButton(pMsg->hwnd)) return TRUE;
    return ::IsDialogMessageW(m_hWnd, pMsg);
}

bool CDialog::PressFocusedButton(HWND focus) {
    // Return presses the push button that holds the focus. The dialog manager asks the outermost
    // dialog for its default button, which cannot be a button of a page (a dialog inside it): there
    // Return would press nothing.
    if (focus == nullptr || focus != ::GetFocus() || !::IsWindowEnabled(focus) || !::IsWindowVisible(focus)) return false;
    const LRESULT code = ::SendMessageW(focus, WM_GETDLGCODE, 0, 0);
    if (!(code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) return false;
    ::SendMessageW(::GetParent(focus), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(focus), BN_CLICKED),
                   reinterpret_cast<LPARAM>(focus));
    return true;
}

HWND CDataExchange::PrepareCtrl(int nIDC) {
    m_hWndLastControl = ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
    m_lastWasEdit = false;
    return m_hWndLastControl;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC) {
    HWND control = PrepareCtrl(nIDC);
    m_lastWasEdit = true;
    return control;
}

void CDataExchange::Fail() {
    if (!m_bSaveAndValidate) throw framework::DataExchangeFailure{};
    if (m_hWndLastControl != nullptr) {
        ::SetFocus(m_hWndLastControl);
        if (m_lastWasEdit) ::SendMessageW(m_hWndLastControl, EM_SETSEL, 0, -1);
    }
    throw framework::DataExchangeFailure{};
}
