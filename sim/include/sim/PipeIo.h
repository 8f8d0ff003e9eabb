#pragma once
// Overlapped I/O on the server end of a named pipe in message mode, each wait ended early by a stop
// event: what the simulator's pipe servers (the driver host, the control channel) share.

#include "sim/Link.h"

#include <windows.h>

namespace sim {

// Waits for an overlapped pipe operation. False when it failed (GetLastError tells why, and
// ERROR_MORE_DATA means a message goes on) or the stop event was set.
bool FinishPipeIo(HANDLE pipe, OVERLAPPED& overlapped, BOOL started, HANDLE stop, DWORD* transferred);
// One whole message; false when the client went away or the stop event was set.
bool ReadPipeMessage(HANDLE pipe, HANDLE ioEvent, HANDLE stop, Bytes* message);
bool WritePipeMessage(HANDLE pipe, HANDLE ioEvent, HANDLE stop, const Bytes& message);
// Waits for a client to connect to the instance; false when the stop event was set first.
bool AwaitPipeClient(HANDLE pipe, HANDLE ioEvent, HANDLE stop);

}  // namespace sim
