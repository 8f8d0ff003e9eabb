#pragma once
// The FPGA download of the Windows 7 library, on the caller's thread: the image file read and
// prepared, the flash's status read (an adapter that does not answer ends it before the erase),
// the flash erased, a fixed 5000 pages programmed from the data start, then every page
// read back and compared, the differing ones programmed again, in at most three verify passes.
//
// Progress goes to the host's main window, found by its title once per download, as message 0x52C
// (SendMessageW): wParam the phase, lParam the progress on a scale of 0 to 2400.

#include "FlashCommands.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>

namespace win7 {

constexpr UINT kProgressMessage = WM_USER + 300;
constexpr wchar_t kProgressWindowTitle[] = L"Vorels-NIC";
constexpr LPARAM kProgressScale = 2400;

enum DownloadPhase : WPARAM {
    kPhaseErasing = 0,        // 0, then once after each second of the erase wait, up to 2400
    kPhaseProgramming = 1,    // after each page
    kPhaseVerifying = 2,      // 0 at the start of a pass, then before each page check
    kPhaseReprogramming = 3,  // 0, at most once a second while differing pages are programmed again
    kPhaseFinished = 5,       // every page verified
    kPhaseFailed = 9,         // pages still unverified after the last pass
};

constexpr uint32_t kDownloadPages = 5000;
constexpr int kEraseWaitSeconds = 30;
constexpr int kVerifyPasses = 3;
constexpr uint32_t kHeartbeatMs = 1000;

// Downloads the image in the open file through the flash layer, reporting to the top-level window
// of that title (none: the messages go nowhere). True when every page verified. Without a WMI
// connection (no init, or a failed one) it is refused at once with one box.
bool DownloadFpgaImage(std::FILE* file, FlashCommands& flash, const wchar_t* windowTitle);

}  // namespace win7
