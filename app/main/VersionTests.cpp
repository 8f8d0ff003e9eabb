#include "main/VersionTests.h"

namespace {
// GUI thread only, like every caller of the tests below.
bool standingIn = false;
WindowsVersion standIn;
}  // namespace

void StandInWindowsVersion(const WindowsVersion* version) {
    standingIn = version != nullptr;
    if (version != nullptr) standIn = *version;
}

bool QueryWindowsVersion(WindowsVersion* version) {
    if (standingIn) {
        *version = standIn;
        return true;
    }
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return false;
#pragma GCC diagnostic pop
    SYSTEM_INFO system = {};
    using NativeInfo = void(WINAPI*)(LPSYSTEM_INFO);
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    auto native = kernel ? reinterpret_cast<NativeInfo>(
                               reinterpret_cast<void (*)()>(::GetProcAddress(kernel, "GetNativeSystemInfo")))
                         : nullptr;
    if (native != nullptr) {
        native(&system);
    } else {
        ::GetSystemInfo(&system);
    }
    using Wow64Query = BOOL(WINAPI*)(HANDLE, PBOOL);
    auto isWow64 =
        kernel ? reinterpret_cast<Wow64Query>(reinterpret_cast<void (*)()>(::GetProcAddress(kernel, "IsWow64Process")))
               : nullptr;
    BOOL wow64 = FALSE;
    if (isWow64 != nullptr && !isWow64(::GetCurrentProcess(), &wow64)) wow64 = FALSE;

    version->platform = info.dwPlatformId;
    version->major = info.dwMajorVersion;
    version->minor = info.dwMinorVersion;
    version->productType = info.wProductType;
    version->architecture = system.wProcessorArchitecture;
    version->wow64 = wow64 != FALSE;
    return true;
}

bool IsWindowsXP(const WindowsVersion& v) {
    if (v.platform != VER_PLATFORM_WIN32_NT || v.major != 5) return false;
    // Windows XP x64 Edition, the only XP this x64 program runs on, reports 5.2 as the servers of
    // its time do; its product type tells it from them.
    return v.minor == 1 || (v.minor == 2 && v.productType == VER_NT_WORKSTATION);
}

bool IsWindows7Or8(const WindowsVersion& v) {
    if (v.platform != VER_PLATFORM_WIN32_NT) return false;
    if (v.major == 6) return v.productType == VER_NT_WORKSTATION && (v.minor == 1 || v.minor == 2);
    return v.major > 6 && v.minor == 0;
}

bool Is64BitWindows(const WindowsVersion& v) {
    return v.platform == VER_PLATFORM_WIN32_NT && v.major > 5 && v.architecture == PROCESSOR_ARCHITECTURE_AMD64 &&
           v.wow64;
}

namespace {
template <typename Test>
bool AskSystem(Test test) {
    WindowsVersion version;
    return QueryWindowsVersion(&version) && test(version);
}
}  // namespace

bool IsWindowsXP() {
    return AskSystem([](const WindowsVersion& v) { return IsWindowsXP(v); });
}
bool IsWindows7Or8() {
    return AskSystem([](const WindowsVersion& v) { return IsWindows7Or8(v); });
}
bool Is64BitWindows() {
    return AskSystem([](const WindowsVersion& v) { return Is64BitWindows(v); });
}
