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

void __stdcall DeviceEventCallback(const uint8_t* message, int32_t length, uint32_t, uint32_t) {
    HWND window = g_eventWindow.load();
    if (window == nullptr || message == nullptr || length <= 0) return;
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
