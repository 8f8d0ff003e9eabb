// The connect dialog export.
#include "Sorvane.h"
#include "ui/ConnectSerDlg.h"

extern "C" {

// No exception leaves the library: one the dialog could not handle (memory ran out) is the
// cancelled result.
std::int32_t WINAPI Ostrel_ShowConnectDlg(std::uint8_t* result, std::int32_t kindMask, std::int32_t language,
                                          std::int32_t showDemo) {
    if (!result) return -1;
    try {
        CConnectSerDlg dialog(kindMask, language, showDemo);
        if (dialog.DoModal() != IDOK) return -1;
        if (dialog.DemoChosen()) return 0;
        dialog.FillResult(result);
        return 1;
    } catch (...) {
        return -1;
    }
}

}
