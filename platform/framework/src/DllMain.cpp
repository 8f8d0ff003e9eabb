// The entry of a DLL built on the framework: its application object starts with the library.
#include <framework/App.h>
#include <framework/Module.h>

// Runs under the loader lock, as any DLL initialisation does: InitInstance must not wait for other
// threads or load libraries that do. A FALSE from InitInstance makes the load fail.
BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID) {
    CWinApp* app = AfxGetApp();
    switch (dwReason) {
        case DLL_PROCESS_ATTACH:
            AfxSetInstanceHandle(hInstance);
            if (app == nullptr) return TRUE;
            app->m_hInstance = hInstance;
            if (app->m_pszAppName == nullptr) app->m_pszAppName = AfxGetAppName();
            return app->InitInstance();
        case DLL_PROCESS_DETACH:
            if (app != nullptr) app->ExitInstance();
            return TRUE;
        default:
            return TRUE;
    }
}
