// Resource ids of the counter window's own resources (CounterWindow.rc): its toolbar, the toolbar's
// two picture strips and its commands. Template 129 and its placeholder are the main script's.
#pragma once

#define IDR_COUNTER_TOOLBAR 138
#define IDB_COUNTER_TOOLBAR 248
#define IDB_COUNTER_TOOLBAR_UPDATING 247
#define IDC_COUNTER_TREE 123
#define ID_COUNTER_SAVE 32791
#define ID_COUNTER_UPDATE 32793
#define ID_COUNTER_CLEAR_ALL 32797
