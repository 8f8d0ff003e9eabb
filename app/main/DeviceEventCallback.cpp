#include "main/DeviceEventCallback.h"

#include "BrevixCAPI.h"
#include "main/HostMessage.h"

#include <algorithm>
#include <atomic>

namespace {

// Written by the GUI thread (start-up and destruction), read by whichever thread the library calls
// the callback on.
std::atomic<HWND> g_eventWindow{nullptr};

}  // namespace

bool IsHandledHostMessage(const uint8_t* message, size_t length) {
    // The library hands over raw frames of other EtherTypes too, unmarked; only its own messages
    // carry 04 FF where a frame has its EtherType.
    if (message == nullptr || length < 16 || message[12] != 0x04 || message[13] != 0xFF) return false;
    switch (static_cast<uint16_t>(message[14] << 8 | message[15])) {
    case BREVIXC_MSG_CAPTURE:
    case BREVIXC_MSG_LINK_STATUS:
    case BREVIXC_MSG_SYSTEM_INFO:
    case BREVIXC_MSG_FPGA_DOWNLOAD:
    case BREVIXC_MSG_FIRMWARE_DOWNLOAD:
    case BREVIXC_MSG_PORT_EVENT:
    case BREVIXC_MSG_DEVICE_LOST:
        return true;
    default:
        return false;
    }
}

void __stdcall DeviceEventCallback(const uint8_t* message, int32_t length, uint32_t, uint32_t) {
    HWND window = g_eventWindow.load();
    if (window == nullptr || length <= 0 || !IsHandledHostMessage(message, static_cast<size_t>(length))) return;
    // The buffer is the library's and lives only during this call: keep a copy, never more than
    // the largest message there is.
    const size_t copied = std::min<size_t>(static_cast<size_t>(length), sizeof(BrevixC_HostMessage_T));
    auto* copy = new HostMessage(message, copied);
    if (!::PostMessageW(window, WM_DEVICE_EVENT, 0, reinterpret_cast<LPARAM>(copy))) delete copy;
}

void SetDeviceEventWindow(HWND window) { g_eventWindow.store(window); }

HostMessage* TakeDeviceEvent(LPARAM lParam) { return reinterpret_cast<HostMessage*>(lParam); }

void DropPendingDeviceEvents(HWND window) {
    MSG msg;
    while (::PeekMessageW(&msg, window, WM_DEVICE_EVENT, WM_DEVICE_EVENT, PM_REMOVE)) {
        delete TakeDeviceEvent(msg.lParam);
    }
}
