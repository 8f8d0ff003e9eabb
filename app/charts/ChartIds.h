// Resource ids of the chart window (ChartPanel.rc): its template, toolbar, controls and commands.
#pragma once

#define IDD_CHART 251
#define IDR_CHART_TOOLBAR 252
#define IDB_CHART_TOOLBAR_UPDATING 301
#define IDB_CHART_TOOLBAR 302

// Toolbar commands.
#define ID_CHART_UPDATE 32837
#define ID_CHART_LINE 32814
#define ID_CHART_PIE 32815
#define ID_CHART_BAR 32816
#define ID_CHART_FOREWORD 32809
#define ID_CHART_FOREWORD2 32810

// The six viewers.
#define IDC_CHART_LINE_A 1058
#define IDC_CHART_LINE_B 1100
#define IDC_CHART_PIE_A 1057
#define IDC_CHART_PIE_B 1061
#define IDC_CHART_BAR_A 1059
#define IDC_CHART_BAR_B 1062

// The series grids: the placeholders they replace and the frames whose rectangles place them.
#define IDC_CHART_GRID_A 1151
#define IDC_CHART_GRID_A_FRAME 1152
#define IDC_CHART_GRID_B 1154
#define IDC_CHART_GRID_B_FRAME 1153

// The history pickers.
#define IDC_CHART_FROM_SAMPLE 1101
#define IDC_CHART_TO_SAMPLE 1102

// The axis-scale switches and their bounds (low, high) per direction.
#define IDC_CHART_SCALE_A 1110
#define IDC_CHART_SCALE_B 1111
#define IDC_CHART_SCALE_A_LOW 1082
#define IDC_CHART_SCALE_A_HIGH 1130
#define IDC_CHART_SCALE_B_LOW 1083
#define IDC_CHART_SCALE_B_HIGH 1131

// The statics of line mode and of pie and bar modes.
#define IDC_CHART_LINE_NOTE 1180
#define IDC_CHART_COMPARE_NOTE 1181
