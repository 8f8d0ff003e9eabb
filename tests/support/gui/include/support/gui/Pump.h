#pragma once
// Letting the test thread's windows run: dispatching what is queued, waiting while dispatching,
// and running a driver inside a modal loop that the test itself started.

#include <windows.h>

#include <functional>

namespace support::gui {

// Dispatches every message already queued for this thread (and what those post in turn).
void PumpPending();
// Dispatches this thread's messages for the given time, waiting between them.
void PumpFor(DWORD milliseconds);
// Dispatches until done() holds or the time runs out; returns done()'s last answer.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMilliseconds);

// Runs driver from this thread's message loop as soon as that loop next dispatches: the way to act
// on a modal dialog from the test that called DoModal. Calls made from inside the driver pump as usual.
void RunFromLoop(std::function<void()> driver);

}  // namespace support::gui
