#include <support/gui/Pump.h>

#include <framework/Wnd.h>
#include <support/Waiting.h>

#include <map>
#include <utility>

namespace support::gui {
namespace {

using support::kPatience;

// Drivers waiting for their thread timer, by timer id. Only this thread's loop fires them. A plain
// pointer: thread-local objects with destructors are not safe at thread exit with this toolchain.
struct Driver {
    std::function<void()> run;
    DWORD armed = 0;  // tick count when RunFromLoop took it
};
using Drivers = std::map<UINT_PTR, Driver>;
thread_local Drivers* t_drivers = nullptr;

// A modal loop shows its window when it first goes idle; a due timer can come before that. True
// while a window of this thread waits for that first show, so that the driver acts on the dialog
// as a person would see it.
bool ModalShowPending() {
    bool pending = false;
    ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND hwnd, LPARAM found) -> BOOL {
        CWnd* window = CWnd::FromHandlePermanent(hwnd);
        if (window != nullptr && !::IsWindowVisible(hwnd) && window->ContinueModal()) {
            *reinterpret_cast<bool*>(found) = true;
            return FALSE;
        }
        return TRUE;
    }, reinterpret_cast<LPARAM>(&pending));
    return pending;
}

void CALLBACK FireDriver(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    if (t_drivers == nullptr) return;
    auto found = t_drivers->find(id);
    if (found == t_drivers->end()) return;
    if (ModalShowPending() && ::GetTickCount() - found->second.armed < static_cast<DWORD>(kPatience.count())) {
        // Again after the loop has been idle.
        Driver waiting = std::move(found->second);
        t_drivers->erase(found);
        (*t_drivers)[::SetTimer(nullptr, 0, 10, &FireDriver)] = std::move(waiting);
        return;
    }
    std::function<void()> driver = std::move(found->second.run);
    t_drivers->erase(found);
    if (t_drivers->empty()) {
        delete t_drivers;
        t_drivers = nullptr;
    }
    driver();
}

void DispatchQueued() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        // Through pre-translation as the framework's own loops do, so dialogs keep their keyboard interface.
        if (AfxPreTranslateMessage(&msg, nullptr)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

}  // namespace

void PumpPending() { DispatchQueued(); }

void PumpFor(DWORD milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMilliseconds) {
    DWORD start = ::GetTickCount();
    for (;;) {
        DispatchQueued();
        if (done()) return true;
        DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= timeoutMilliseconds) return done();
        ::MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMilliseconds - elapsed, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

void RunFromLoop(std::function<void()> driver) {
    UINT_PTR id = ::SetTimer(nullptr, 0, 0, &FireDriver);
    if (t_drivers == nullptr) t_drivers = new Drivers;
    (*t_drivers)[id] = Driver{std::move(driver), ::GetTickCount()};
}

}  // namespace support::gui
