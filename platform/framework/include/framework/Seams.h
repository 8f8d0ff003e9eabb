// Where a test can stand in for what it cannot click or wait for: the common file dialogs and the
// calendar clock. Production code never sets these; with nothing set, the real thing runs.
#pragma once

#include <windows.h>

#include <functional>

class CFileDialog;

namespace framework {

// Called by CFileDialog::DoModal instead of the system dialog: it may write the chosen path into the
// dialog's m_ofn.lpstrFile buffer and returns IDOK or IDCANCEL. An empty function restores the dialog.
using FileDialogStandIn = std::function<INT_PTR(CFileDialog& dialog)>;
void SetFileDialogStandIn(FileDialogStandIn standIn);

// Called by CTime::GetCurrentTime instead of the system clock: seconds since 1970 (UTC).
using ClockStandIn = std::function<__time64_t()>;
void SetClockStandIn(ClockStandIn standIn);

}  // namespace framework
