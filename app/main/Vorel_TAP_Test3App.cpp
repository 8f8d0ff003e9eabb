#include "main/Vorel_TAP_Test3App.h"

#include "main/Vorel_TAP_Test3Dlg.h"

#include <commctrl.h>

CVorel_TAP_Test3App::CVorel_TAP_Test3App() : CWinApp(L"Vorels-NIC") {}

bool CVorel_TAP_Test3App::TakeInstanceMutex() {
    ::SetLastError(ERROR_SUCCESS);
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, kInstanceMutex);
    if (mutex != nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(mutex);
        AfxMessageBox(kSecondCopyText);
        return false;
    }
    // Kept open on purpose: the mutex marks this copy for as long as it runs.
    return true;
}

BOOL CVorel_TAP_Test3App::InitInstance() {
    if (!TakeInstanceMutex()) return FALSE;

    INITCOMMONCONTROLSEX controls = {sizeof controls, 0xFF};
    ::InitCommonControlsEx(&controls);

    CWinApp::InitInstance();
    AfxEnableControlContainer();
    SetRegistryKey(L"Local AppWizard-Generated Applications");

    CVorel_TAP_Test3Dlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
