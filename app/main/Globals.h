// The program-wide values every panel may read: the one main dialog, the run mode, the start-up
// flag, the program's folders and the device tree's items. All of them belong to the GUI thread;
// the device event callback touches none of them (it only posts its messages to the dialog).
#pragma once

#include <framework/Framework.h>

class CVorel_TAP_Test3Dlg;

// Set by the main dialog's constructor, cleared by its destructor.
extern CVorel_TAP_Test3Dlg* theMainDialog;
// "DEMO" in demo mode, empty otherwise; demo mode lasts for the whole run.
extern CString runMode;
// 1 once the program is connected or in demo mode: the dialog may show itself.
extern int startupDone;
// The program file's folder, without the trailing backslash.
extern CString programFolder;
// The per-user log folder under Documents on Windows 7 and 8, else empty.
extern CString logFolder;
// The device tree's items by item number; null where no item was made.
constexpr int kTreeItemCount = 30;
extern HTREEITEM treeItems[kTreeItemCount];
// The item number of the last selected tree item.
extern int selectedTreeItem;

inline bool IsDemoMode() { return runMode == L"DEMO"; }
