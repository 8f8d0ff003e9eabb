// Resource ids of the information panels' templates (InfoPanels.rc), their controls, and the
// bitmaps the panels show (drawn with the program's other pictures).
#pragma once

#define IDD_INFO_MAIN_VIEW 134
#define IDD_INFO_SYSTEM 137
#define IDD_INFO_ABOUT 277
#define IDD_INFO_REQUIREMENTS 339

// Main view: its two pictures.
#define IDC_INFO_MAIN_PICTURE 1046
#define IDC_INFO_MAIN_LOGO 1038

// System information: two pictures, the frame whose rectangle places the grid, the grid's control.
#define IDC_INFO_SYSTEM_PICTURE 1095
#define IDC_INFO_SYSTEM_LOGO 1037
#define IDC_INFO_SYSTEM_FRAME 1022
#define IDC_INFO_SYSTEM_GRID 1023

// System requirements: the grid's control and the title above the platform requirements.
#define IDC_INFO_REQUIREMENTS_GRID 1212
#define IDC_INFO_REQUIREMENTS_TITLE 1219

// About panel: product line, two more lines, the grid's control and the frame that places it.
#define IDC_INFO_ABOUT_PRODUCT 1175
#define IDC_INFO_ABOUT_COPYRIGHT 1176
#define IDC_INFO_ABOUT_RIGHTS 1177
#define IDC_INFO_ABOUT_GRID 1178
#define IDC_INFO_ABOUT_FRAME 1179

// Bitmaps: the main view's picture, the system information picture, the maker's logo.
#define IDB_INFO_MAIN_PICTURE 278
#define IDB_INFO_SYSTEM_PICTURE 199
#define IDB_INFO_LOGO 184
