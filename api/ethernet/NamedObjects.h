#pragma once
// The library's named kernel objects and the "PhyRead" rendezvous of PHY register reads.

#include <windows.h>

namespace capi {

// Created when the library loads: "Mutex" (capture queues) and "PHYMutex" (PHY identification).
HANDLE CaptureQueueMutex();
HANDLE PhyNameMutex();

// Creates the manual-reset events "PhyRead", "CapQue0", "CapQue1", "NullWait" and "SetSFP" the first
// time it runs (a later BrevixC_SYS_Init keeps the ones that exist) and resets "NullWait" and
// "SetSFP". 0 when "SetSFP" does not exist.
int CreateNamedEvents();

// True when "PhyRead" was set within 1000 ms; resets it first.
bool WaitPhyRead();
void SignalPhyRead();

}  // namespace capi
