#include "main/DeviceEventCallback.h"

#include "BrevixCAPI.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <mutex>

namespace {

// Written by the GUI thread (start-up and destruction), read by whichever thread the library calls
// the callback on.
std::atomic<HWND> g_eventWindow{nullptr};

// The copies waiting for the GUI thread, oldest first. Guarded by g_queueLock: pushed by the
// library's threads (and the GUI thread when a call of the program triggers a message), taken by
// the GUI thread. The lock is held only around the queue and the wake-up post, never while a
// message is handled.
std::mutex g_queueLock;
std::deque<HostMessage> g_queue;

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
    std::lock_guard<std::mutex> lock(g_queueLock);
    g_queue.emplace_back(message, copied);
    // One wake-up a copy; a window whose queue is full takes no more, and the copy goes with it.
    if (!::PostMessageW(window, WM_DEVICE_EVENT, 0, 0)) g_queue.pop_back();
}

void SetDeviceEventWindow(HWND window) { g_eventWindow.store(window); }

std::optional<HostMessage> TakeDeviceEvent() {
    std::lock_guard<std::mutex> lock(g_queueLock);
    if (g_queue.empty()) return std::nullopt;
    std::optional<HostMessage> message(std::move(g_queue.front()));
    g_queue.pop_front();
    return message;
}

void DropPendingDeviceEvents(HWND window) {
    MSG msg;
    while (::PeekMessageW(&msg, window, WM_DEVICE_EVENT, WM_DEVICE_EVENT, PM_REMOVE)) {
    }
    std::lock_guard<std::mutex> lock(g_queueLock);
    g_queue.clear();
}
