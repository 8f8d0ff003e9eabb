// Where a test can stand in for what it cannot click or wait for: the common file dialogs, the
// message boxes and the calendar clock. Production code never sets these; with nothing set, the real thing runs.
#pragma once

#include <windows.h>

#include <functional>

class CFileDialog;

namespace framework {

// Called by CFileDialog::DoModal instead of the system dialog: it may write the chosen path into the
// dialog's m_ofn.lpstrFile buffer and returns IDOK or IDCANCEL. An empty function restores the dialog.
using FileDialogStandIn = std::function<INT_PTR(CFileDialog& dialog)>;
void SetFileDialogStandIn(FileDialogStandIn standIn);

// Called instead of the system's message box by every box the framework shows (CWnd::MessageBox,
// AfxMessageBox): the owner, text, caption and type the box would have had; it returns the button
// id the box would have returned. An empty function restores the real box.
using MessageBoxStandIn = std::function<int(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)>;
void SetMessageBoxStandIn(MessageBoxStandIn standIn);
// The one door of the framework's boxes: the stand-in when one is set, else the system's box.
int ShowMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

// Called by CTime::GetCurrentTime instead of the system clock: seconds since 1970 (UTC).
using ClockStandIn = std::function<__time64_t()>;
void SetClockStandIn(ClockStandIn standIn);

}  // namespace framework
