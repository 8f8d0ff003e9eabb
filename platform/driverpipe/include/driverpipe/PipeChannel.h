#pragma once
// A connection to the simulator's driver pipe.

#include "driverpipe/Message.h"

#include <windows.h>

#include <string>

namespace driverpipe {

// The pipe that the simulated drivers answer on: the value of BREVIX_DRIVER_PIPE when it is set
// (read at every connection, so a test can point the layers at its own simulator), else
// \\.\pipe\brevix-driver.
std::wstring PipeName();

// Opens a connection in message mode. On failure returns INVALID_HANDLE_VALUE and leaves the Win32
// error in *error: ERROR_FILE_NOT_FOUND when no simulator listens, as for a device not present.
HANDLE ConnectChannel(DWORD* error);

// Sends one request and reads its reply; false when the pipe broke.
bool Transact(HANDLE channel, const Request& request, Reply* reply);

}  // namespace driverpipe
