// Which Windows the program runs on: the Windows XP path (the USB adapter's identity check), the
// Windows 7 and 8 path (the log folder, the flash library) and the registry view of 64-bit Windows.
#pragma once

#include <windows.h>

struct WindowsVersion {
    DWORD platform = 0;
    DWORD major = 0;
    DWORD minor = 0;
    BYTE productType = 0;
    WORD architecture = 0;
    bool wow64 = false;
};

// The running system, or the one a test stands in; false when the version query fails.
bool QueryWindowsVersion(WindowsVersion* version);
// Tests: the version the program sees from now on, or the running system's again (nullptr).
void StandInWindowsVersion(const WindowsVersion* version);

// NT, 5.1, or 5.2 on a workstation (XP x64 Edition).
bool IsWindowsXP(const WindowsVersion& version);
// NT; 6.1 or 6.2 on a workstation, or any major above 6 with minor 0. Vista, 6.3 and server
// editions answer false.
bool IsWindows7Or8(const WindowsVersion& version);
// NT, major above 5, native AMD64, and this process under WOW64.
bool Is64BitWindows(const WindowsVersion& version);

bool IsWindowsXP();
bool IsWindows7Or8();
bool Is64BitWindows();
