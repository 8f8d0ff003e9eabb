#pragma once
// The libraries' own message boxes belong to the host's main window: a box without an owner can
// fall behind that window, where the operator never sees what the library waits for.

#include <windows.h>

namespace hostio {

// The owner of a box shown on the calling thread: the host's main window (the top-level window
// titled "Vorels-NIC") when it belongs to this thread, else the thread's active window, else none.
// A window of another thread is never taken: the box would make this thread wait on that one.
HWND BoxOwner();

// An OK box with that owner; a null caption gives the system's default one.
void ShowOwnedBox(const char* text, const char* caption);

}  // namespace hostio
