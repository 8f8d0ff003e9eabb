#include "main/Globals.h"

CVorel_TAP_Test3Dlg* theMainDialog = nullptr;
CString runMode;
int startupDone = 0;
CString programFolder;
CString logFolder;
HTREEITEM treeItems[kTreeItemCount] = {};
int selectedTreeItem = 0;
