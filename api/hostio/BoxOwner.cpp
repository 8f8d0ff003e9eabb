#include "BoxOwner.h"

namespace hostio {
namespace {

constexpr wchar_t kHostWindowTitle[] = L"Vorels-NIC";

}  // namespace

HWND BoxOwner() {
    HWND host = ::FindWindowW(nullptr, kHostWindowTitle);
    if (host != nullptr && ::GetWindowThreadProcessId(host, nullptr) == ::GetCurrentThreadId()) return host;
    return ::GetActiveWindow();
}

void ShowOwnedBox(const char* text, const char* caption) { ::MessageBoxA(BoxOwner(), text, caption, MB_OK); }

}  // namespace hostio
