// Resource ids of the framework tests' resource script.
#pragma once

#define IDD_DEMO 100
#define IDD_PANEL 101

#define IDC_NAME 1001
#define IDC_COUNT 1002
#define IDC_ENABLED 1003
#define IDC_MODE_A 1004
#define IDC_MODE_B 1005
#define IDC_MODE_C 1006
#define IDC_APPLY 1007
#define IDC_STATUS 1008
#define IDC_LOG 1009
#define IDC_SWATCH 1010

#define IDS_GREETING 200
#define IDS_JAPANESE 201

#define IDR_MENU 300
#define ID_FILE_EXIT 32771
#define ID_VIEW_GRID 32772
#define ID_VIEW_CHART 32773

#define IDR_TOOLBAR 400
#define ID_TOOL_CLEAR 32784
#define ID_TOOL_CHART 32785
