// The host callback the main dialog registers with the device API. It runs on the library's
// threads (and on the GUI thread when a call of the program triggers a message): it copies each
// host message of a type the dialog handles, its whole length, into a queue of this process and
// posts a wake-up to the window named by SetDeviceEventWindow. The message carries nothing: any
// process can post it, and all it can do is make the window take the copies that are there. It
// never touches a window otherwise, never shows a box and never waits on the GUI thread, so that no
// library thread is held by the operator.
#pragma once

#include "main/HostMessage.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>

// A wake-up: copies wait in the queue (TakeDeviceEvent). Its parameters mean nothing.
constexpr UINT WM_DEVICE_EVENT = WM_APP + 0x100;

void __stdcall DeviceEventCallback(const uint8_t* message, int32_t length, uint32_t stampSeconds,
                                   uint32_t stampMicroseconds);

// Whether the bytes are a host message (the marker 04 FF at bytes 12-13) of a type the dialog
// handles; raw frames and other types are neither copied nor posted.
bool IsHandledHostMessage(const uint8_t* message, size_t length);

// The window the callback posts to; null stops the posting (copies are then dropped).
void SetDeviceEventWindow(HWND window);
// The oldest copy waiting, taken out of the queue; none when the queue is empty.
std::optional<HostMessage> TakeDeviceEvent();
// Drops the wake-ups queued for the window and every copy waiting (called as it is destroyed).
void DropPendingDeviceEvents(HWND window);
