// A library built on the framework with its own application object, loaded by AppLibraryTests.
#include <framework/Framework.h>

namespace {

class CTestLibraryApp : public CWinApp {
public:
    CTestLibraryApp() : CWinApp(L"FrameworkTestLibrary") {}
    BOOL InitInstance() override {
        initialised = true;
        // Lets the test see a refused initialisation fail the load.
        return ::GetEnvironmentVariableW(L"FRAMEWORK_TEST_REFUSE_LOAD", nullptr, 0) == 0;
    }
    bool initialised = false;
};

CTestLibraryApp theLibraryApp;

}  // namespace

extern "C" __declspec(dllexport) int TestLibraryState() {
    int state = 0;
    if (theLibraryApp.initialised) state |= 1;
    if (AfxGetInstanceHandle() == theLibraryApp.m_hInstance && AfxGetInstanceHandle() != ::GetModuleHandleW(nullptr)) {
        state |= 2;
    }
    if (AfxGetApp() == &theLibraryApp) state |= 4;
    return state;
}
