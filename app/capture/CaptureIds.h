// Control ids of the capture panels (templates 266 and 269 in CapturePanels.rc). The list keeps
// IDC_CAPTURE_LIST of the program's resource header.
#pragma once

#define IDC_CAPTURE_START 1001
#define IDC_CAPTURE_STOP 1002
#define IDC_CAPTURE_NOTE 1003
#define IDC_CAPTURE_HEX_VIEW 1082
#define IDC_CAPTURE_INFO_TREE 123
#define IDC_CAPTURE_TREE_PLACE_A 1157
#define IDC_CAPTURE_TREE_PLACE_B 1162
#define IDC_CAPTURE_SPLIT_VERTICAL 1181
#define IDC_CAPTURE_SPLIT_HORIZONTAL 1182
