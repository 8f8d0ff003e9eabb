// The application object: lets one copy of the program run, then runs the main dialog modally.
#pragma once

#include <framework/Framework.h>

class CVorel_TAP_Test3App : public CWinApp {
public:
    CVorel_TAP_Test3App();

    // Runs the program; FALSE so that the application ends with the dialog.
    BOOL InitInstance() override;

    // The mutex whose existence means another copy runs.
    static constexpr const wchar_t* kInstanceMutex = L"E0D327B5-6ACD-493d-A325-689D9D770052";
    static constexpr const wchar_t* kSecondCopyText =
        L"Only ONE application software can be executed at the same time\n"
        L"Please close the application software you're running now.";

    // False (after the box) when another copy holds the mutex. The handle stays open until the
    // process ends.
    static bool TakeInstanceMutex();
};
