// A program whose entry is the framework's: started by AppProgramTests, it reports through its exit
// code what its application object saw.
#include <framework/Framework.h>

namespace {

class CTestProgramApp : public CWinApp {
public:
    BOOL InitInstance() override {
        sawCommandLine = m_lpCmdLine != nullptr && CString(m_lpCmdLine) == L"--probe";
        sawInstance = AfxGetInstanceHandle() == ::GetModuleHandleW(nullptr) && m_hInstance == AfxGetInstanceHandle();
        return FALSE;
    }
    int ExitInstance() override { return 40 + (sawCommandLine ? 1 : 0) + (sawInstance ? 2 : 0); }

private:
    bool sawCommandLine = false;
    bool sawInstance = false;
};

CTestProgramApp theProgramApp;

}  // namespace
