#pragma once
// A message-only window on the creating thread that runs an action for each WM_APP it is given:
// the way a test finds out what a library's pumped wait dispatches, and acts in the middle of it.

#include <windows.h>

#include <functional>

namespace support {

class AppMessageWindow {
public:
    explicit AppMessageWindow(std::function<void()> onApp);
    ~AppMessageWindow();
    AppMessageWindow(const AppMessageWindow&) = delete;
    AppMessageWindow& operator=(const AppMessageWindow&) = delete;

    HWND Handle() const { return window_; }
    // Queues one WM_APP; true when it was queued.
    bool Post() const;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::function<void()> onApp_;
    HWND window_ = nullptr;
};

}  // namespace support
