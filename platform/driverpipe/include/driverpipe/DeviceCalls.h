#pragma once
// The Win32 calls on a driver's device, carried to the simulated driver. They take and return
// what their Win32 namesakes do, so the code above them reads as it would on Windows: the handle
// is a connection to the simulator that stands for the open device, and failures leave their
// Win32 error for GetLastError.

#include <windows.h>

namespace driverpipe {

// Opens a device by its path ("\\.\NAME" or a device-interface path). Fails with
// ERROR_FILE_NOT_FOUND when no simulated driver serves the path or no simulator runs.
HANDLE CreateFileW(LPCWSTR fileName, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                   DWORD flagsAndAttributes, HANDLE templateFile);

// Synchronous only: an OVERLAPPED argument fails with ERROR_NOT_SUPPORTED. When the simulator
// went away the call fails with ERROR_DEVICE_NOT_CONNECTED.
BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID input, DWORD inputLength, LPVOID output, DWORD outputLength,
                     LPDWORD bytesReturned, LPOVERLAPPED overlapped);

BOOL CloseHandle(HANDLE device);

// A transfer on a device that moves data in packets (a USB endpoint): one packet each call, waiting
// at most the time-out for it. Fails with ERROR_TIMEOUT when nothing came in time.
BOOL ReadDevice(HANDLE device, void* buffer, DWORD length, DWORD* read, DWORD timeoutMs);
BOOL WriteDevice(HANDLE device, const void* buffer, DWORD length, DWORD* written, DWORD timeoutMs);

}  // namespace driverpipe
