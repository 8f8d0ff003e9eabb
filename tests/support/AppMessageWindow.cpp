#include "support/AppMessageWindow.h"

namespace support {
namespace {

constexpr wchar_t kClassName[] = L"BrevixAppMessageWindow";

}  // namespace

AppMessageWindow::AppMessageWindow(std::function<void()> onApp) : onApp_(std::move(onApp)) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &AppMessageWindow::Procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterClassW(&windowClass);  // fails harmlessly once the class exists
    window_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                              this);
}

AppMessageWindow::~AppMessageWindow() {
    if (window_) DestroyWindow(window_);
}

bool AppMessageWindow::Post() const { return window_ && PostMessageW(window_, WM_APP, 0, 0); }

LRESULT CALLBACK AppMessageWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    } else if (message == WM_APP) {
        if (auto* self = reinterpret_cast<AppMessageWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA))) self->onApp_();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace support
