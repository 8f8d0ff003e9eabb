#pragma once
// The library's named kernel objects and the "PhyRead" rendezvous of PHY register reads.

#include <windows.h>

namespace capi {

// Created when the library loads: "Mutex" (capture queues) and "PHYMutex". The library's PHY
// identification waits for replies and so holds no lock; "PHYMutex" exists for whoever opens it by
// name.
HANDLE CaptureQueueMutex();

// Creates the manual-reset events "PhyRead", "CapQue0", "CapQue1", "NullWait" and "SetSFP" the first
// time it runs (a later BrevixC_SYS_Init keeps the ones that exist) and resets "NullWait" and
// "SetSFP". 0 when "SetSFP" does not exist.
int CreateNamedEvents();

// A PHY read resets "PhyRead" before it asks, so that a result arriving before it waits still
// counts; the wait is then true when "PhyRead" is set within 1000 ms.
void ResetPhyRead();
bool WaitPhyRead(DWORD timeoutMs = 1000);
void SignalPhyRead();

}  // namespace capi
