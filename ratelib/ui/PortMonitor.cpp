#include "ui/PortMonitor.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "MessagePump.h"
#include "ui/LangMag.h"

namespace sorvane {
namespace {

constexpr const wchar_t* kMonitorTitle = L"Port Status List";
constexpr DWORD kStartWaitMs = 500;
constexpr DWORD kLookEveryMs = 50;

void SendRequest(HWND monitor, const MonitorRequest& request) {
    COPYDATASTRUCT data = {};
    data.dwData = 0;
    data.cbData = sizeof request;
    data.lpData = const_cast<MonitorRequest*>(&request);
    ::SendMessageW(monitor, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}

// Waits up to kStartWaitMs for the started monitor's window while the caller's window messages
// keep flowing; sleeps between looks instead of spinning.
HWND WaitForMonitorWindow() {
    const ULONGLONG deadline = ::GetTickCount64() + kStartWaitMs;
    for (;;) {
        if (HWND monitor = ::FindWindowW(nullptr, kMonitorTitle)) return monitor;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) return nullptr;
        const DWORD wait = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, kLookEveryMs));
        ::MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (!hostio::PumpMessages()) return nullptr;  // the quit is left for the caller's loop
    }
}

}  // namespace

std::string EncodeWithin(const std::wstring& text, UINT codePage, std::size_t maxBytes) {
    std::string encoded;
    for (std::size_t i = 0; i < text.size();) {
        // A surrogate pair is one character.
        const int units = (IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size() && IS_LOW_SURROGATE(text[i + 1])) ? 2 : 1;
        char bytes[8];
        const int length = ::WideCharToMultiByte(codePage, 0, text.data() + i, units, bytes, sizeof bytes, nullptr, nullptr);
        if (length <= 0 || encoded.size() + static_cast<std::size_t>(length) > maxBytes) break;
        encoded.append(bytes, static_cast<std::size_t>(length));
        i += static_cast<std::size_t>(units);
    }
    return encoded;
}

MonitorRequest BuildMonitorRequest(std::int32_t command, const std::wstring& adapter, std::int32_t value) {
    MonitorRequest request;
    std::memset(&request, 0, sizeof request);
    request.command = command;
    const std::string name = EncodeWithin(adapter, CP_OEMCP, sizeof request.adapter - 1);
    std::memcpy(request.adapter, name.data(), name.size());
    request.value = value;
    return request;
}

void InvokePortMonitor(const std::wstring& adapter, std::int32_t value) {
    if (HWND monitor = ::FindWindowW(nullptr, kMonitorTitle)) {
        SendRequest(monitor, BuildMonitorRequest(1, adapter, value));
        return;
    }
    const CString program = HostProgramFolder() + L"Velmora\\Velmora.exe";
    const std::wstring parameters = L"/I" + adapter;
    ::ShellExecuteW(nullptr, nullptr, program.GetString(), parameters.c_str(), nullptr, SW_HIDE);
    if (value == 0) return;
    if (HWND monitor = WaitForMonitorWindow()) SendRequest(monitor, BuildMonitorRequest(0, adapter, value));
}

}  // namespace sorvane
