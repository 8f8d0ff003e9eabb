// Resource ids of the media status panels (MediaPanels.rc) and of the menu commands that open them.
#pragma once

#define IDD_MEDIA_STATUS_A 267
#define IDD_MEDIA_STATUS_B 268
#define IDC_MEDIA_FRAME_A 1158
#define IDC_MEDIA_GRID_A 1159
#define IDC_MEDIA_FRAME_B 1160
#define IDC_MEDIA_GRID_B 1161
#define ID_MEDIA_STATUS_A 32911
#define ID_MEDIA_STATUS_B 32912
