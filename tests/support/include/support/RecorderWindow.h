#pragma once
// A hidden top-level window with a chosen title, run on its own thread, that records every
// message sent or posted to it: for libraries that report to a window found by its title.

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace support {

struct WindowMessage {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class RecorderWindow {
public:
    // `result` is what the window answers to every recorded message.
    explicit RecorderWindow(const std::wstring& title, LRESULT result = 1);
    ~RecorderWindow();
    RecorderWindow(const RecorderWindow&) = delete;
    RecorderWindow& operator=(const RecorderWindow&) = delete;

    HWND Handle() const { return window_; }
    // Messages at or above WM_USER, and WM_CLOSE, WM_COPYDATA; the window's own housekeeping
    // messages are not recorded.
    std::vector<WindowMessage> Messages() const;
    bool WaitForMessage(UINT message, std::chrono::milliseconds timeout) const;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Run(std::wstring title);

    LRESULT result_;
    HWND window_ = nullptr;
    DWORD threadId_ = 0;

    // Guarded by lock_: the window thread writes, the test reads.
    mutable std::mutex lock_;
    mutable std::condition_variable changed_;
    std::vector<WindowMessage> messages_;
    bool ready_ = false;
    std::thread thread_;
};

}  // namespace support
