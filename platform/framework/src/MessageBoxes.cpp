// The door every message box of the framework passes, where a test may stand in for the box.
#include <framework/Seams.h>

#include <mutex>

namespace {

// Set and cleared by tests between runs of the code under test; read by whatever thread shows a box.
std::mutex g_boxLock;
framework::MessageBoxStandIn g_boxStandIn;

}  // namespace

namespace framework {

void SetMessageBoxStandIn(MessageBoxStandIn standIn) {
    std::lock_guard<std::mutex> lock(g_boxLock);
    g_boxStandIn = std::move(standIn);
}

int ShowMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    MessageBoxStandIn standIn;
    {
        std::lock_guard<std::mutex> lock(g_boxLock);
        standIn = g_boxStandIn;
    }
    if (standIn) return standIn(owner, text, caption, type);
    return ::MessageBoxW(owner, text, caption, type);
}

}  // namespace framework
