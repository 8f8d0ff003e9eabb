// The driver library's entry points. A unit is one present interface of the driver's device
// interface class; its instance number is the interface's position in the class's set. An endpoint
// is opened as the interface's path followed by the endpoint name ("\MCHP_EP1"), for writing
// (direction 0) or reading (direction 1), and each read or write moves one packet with a time-out.

#include "usbtree/UsbTree.h"

#include <windows.h>

#include <cctype>
#include <string>
#include <vector>

namespace {

const GUID kDriverClass = {0x5354FA28, 0x6D14, 0x4E35, {0xA1, 0xF5, 0x75, 0xBB, 0x54, 0xE6, 0x03, 0x0F}};

constexpr DWORD kFail = 0;
constexpr DWORD kSuccess = 1;
constexpr DWORD kWrite = 0;
constexpr DWORD kRead = 1;

std::wstring Upper(const std::string& text) {
    std::wstring wide;
    for (unsigned char c : text) wide.push_back(wchar_t(std::toupper(c)));
    return wide;
}

std::wstring UpperWide(std::wstring text) {
    if (!text.empty()) CharUpperBuffW(text.data(), DWORD(text.size()));
    return text;
}

// The device paths of the present interfaces of the driver's class, in enumeration order.
std::vector<std::wstring> PresentInterfaces() {
    std::vector<std::wstring> paths;
    HDEVINFO set =
        usbtree::SetupDiGetClassDevsW(&kDriverClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return paths;
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof data;
        if (!usbtree::SetupDiEnumDeviceInterfaces(set, nullptr, &kDriverClass, index, &data)) break;
        DWORD size = 0;
        usbtree::SetupDiGetDeviceInterfaceDetailW(set, &data, nullptr, 0, &size, nullptr);
        std::vector<BYTE> buffer(
            size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) ? sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) : size);
        auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_W>(buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        paths.push_back(
            usbtree::SetupDiGetDeviceInterfaceDetailW(set, &data, detail, DWORD(buffer.size()), nullptr, nullptr)
                ? detail->DevicePath
                : L"");
    }
    usbtree::SetupDiDestroyDeviceInfoList(set);
    return paths;
}

bool Matches(const std::wstring& path, const char* vidPid) {
    return vidPid && *vidPid && UpperWide(path).find(Upper(vidPid)) != std::wstring::npos;
}

}  // namespace

extern "C" {

DWORD WINAPI MPUSBGetDeviceCount(const char* vidPid) {
    DWORD count = 0;
    for (const std::wstring& path : PresentInterfaces())
        if (Matches(path, vidPid)) ++count;
    return count;
}

HANDLE WINAPI MPUSBOpen(DWORD instance, const char* vidPid, const char* endpoint, DWORD direction, DWORD) {
    if (direction != kWrite && direction != kRead) return INVALID_HANDLE_VALUE;
    const std::vector<std::wstring> paths = PresentInterfaces();
    if (instance >= paths.size() || !Matches(paths[instance], vidPid)) return INVALID_HANDLE_VALUE;
    std::wstring path = paths[instance];
    for (const char* c = endpoint ? endpoint : ""; *c; ++c) path.push_back(wchar_t(static_cast<unsigned char>(*c)));
    return usbtree::CreateFileW(path.c_str(), direction == kWrite ? GENERIC_WRITE : GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
}

DWORD WINAPI MPUSBRead(HANDLE pipe, void* data, DWORD length, DWORD* received, DWORD milliseconds) {
    DWORD got = 0;
    const BOOL done =
        pipe && pipe != INVALID_HANDLE_VALUE && driverpipe::ReadDevice(pipe, data, length, &got, milliseconds);
    if (received) *received = got;
    return done ? kSuccess : kFail;
}

DWORD WINAPI MPUSBWrite(HANDLE pipe, const void* data, DWORD length, DWORD* sent, DWORD milliseconds) {
    DWORD written = 0;
    const BOOL done =
        pipe && pipe != INVALID_HANDLE_VALUE && driverpipe::WriteDevice(pipe, data, length, &written, milliseconds);
    if (sent) *sent = written;
    return done ? kSuccess : kFail;
}

BOOL WINAPI MPUSBClose(HANDLE pipe) {
    if (!pipe || pipe == INVALID_HANDLE_VALUE) return FALSE;
    return usbtree::CloseHandle(pipe);
}

}  // extern "C"
