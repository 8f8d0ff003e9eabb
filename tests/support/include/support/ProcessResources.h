#pragma once
// What another running program holds, for soaks that watch it for growth.

#include <windows.h>

namespace support {

struct ProcessResources {
    double workingSetMiB = 0;
    double privateMiB = 0;
    int threads = 0;
    int handles = 0;
    // GDI objects in the process's own handle table (bitmaps, brushes, fonts, device contexts...).
    int gdiObjects = 0;
    // The process's windows, top-level and child: Wine keeps no USER object count a program can ask
    // for (GetGuiResources answers 0), and windows are the USER objects a page leaks first.
    int windows = 0;
};

// Counts what `process` holds now; a count that cannot be read stays -1. The handle needs query and
// memory-read rights (a process this program started has them).
ProcessResources MeasureProcess(HANDLE process);

}  // namespace support
