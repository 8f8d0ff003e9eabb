#pragma once

#define IDD_GRID_HOST 100
#define IDC_GRID_PLACE 101
#define IDC_GRID_OTHER 102
