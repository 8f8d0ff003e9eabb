// Resource ids of the progress panel's template (ProgressBar.rc); a program's resource script that
// shows the panel includes that script.
#pragma once

#define IDD_PROGRESS_PANEL 336
#define IDC_PROGRESS_PANEL_BAR 1204
