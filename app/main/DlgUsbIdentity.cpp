// The USB adapter's identity check of the start-up on Windows XP, where the adapter's driver takes
// the tester's USB ids from the adapter's configuration EEPROM.
#include "main/Vorel_TAP_Test3Dlg.h"
#include "usbid/UsbIdEeprom.h"

#include "MessagePump.h"

namespace {
constexpr wchar_t kChecking[] = L"Check USB ID, please wait!";
constexpr wchar_t kConfiguring[] = L"Configuring USB ID, please wait!";

// The check blocks this thread in the driver's calls: the panel is painted and the messages that
// carry it to the screen are handled first, or the user would see it only once the check is over.
void ShowNow(CWnd& panel) {
    panel.UpdateWindow();
    hostio::PumpMessages();
}
}  // namespace

void CVorel_TAP_Test3Dlg::CheckUsbIdentity() {
    progressPanel.CenterWindow();
    // The panel's line of text is its one control without an id of its own.
    progressPanel.SetDlgItemText(-1, kChecking);
    progressPanel.m_progress.SetPos(1);
    progressPanel.ShowWindow(SW_SHOW);
    ShowNow(progressPanel);
    UsbIdEeprom eeprom(m_hWnd);
    if (eeprom.ReadAndCheck()) {
        progressPanel.SetDlgItemText(-1, kConfiguring);
        progressPanel.m_progress.SetPos(3);
        ShowNow(progressPanel);
        eeprom.Configure();
    }
    progressPanel.ShowWindow(SW_HIDE);
}
