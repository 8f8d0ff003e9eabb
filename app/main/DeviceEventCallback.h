// The host callback the main dialog registers with the device API. It runs on the library's
// threads (and on the GUI thread when a call of the program triggers a message): it copies each
// host message of a type the dialog handles, its whole length, and posts the copy to the window
// named by SetDeviceEventWindow. It never touches a window otherwise, never shows a box and never
// waits on the GUI thread, so that no library thread is held by the operator.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

class HostMessage;

// WPARAM 0, LPARAM a HostMessage* that the receiver takes over (TakeDeviceEvent).
constexpr UINT WM_DEVICE_EVENT = WM_APP + 0x100;

void __stdcall DeviceEventCallback(const uint8_t* message, int32_t length, uint32_t stampSeconds,
                                   uint32_t stampMicroseconds);

// Whether the bytes are a host message (the marker 04 FF at bytes 12-13) of a type the dialog
// handles; raw frames and other types are neither copied nor posted.
bool IsHandledHostMessage(const uint8_t* message, size_t length);

// The window the callback posts to; null stops the posting (copies are then dropped).
void SetDeviceEventWindow(HWND window);
// The posted message's copy, now owned by the caller.
HostMessage* TakeDeviceEvent(LPARAM lParam);
// Frees the copies still queued for the window (called as it is destroyed).
void DropPendingDeviceEvents(HWND window);
