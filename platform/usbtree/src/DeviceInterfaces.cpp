#include "usbtree/UsbTree.h"

#include "driverpipe/PipeChannel.h"

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

namespace usbtree {
namespace {

// A device-interface set: the present interfaces of one class, as the simulator listed them.
struct InterfaceSet {
    static constexpr uint32_t kMagic = 0x53564544;  // marks a handle as one of ours
    uint32_t magic = kMagic;
    GUID interfaceClass{};
    std::vector<std::wstring> paths;
};

InterfaceSet* FromHandle(HDEVINFO set) {
    auto* interfaces = static_cast<InterfaceSet*>(set);
    return interfaces && interfaces != INVALID_HANDLE_VALUE && interfaces->magic == InterfaceSet::kMagic ? interfaces
                                                                                                        : nullptr;
}

std::vector<std::wstring> ListInterfaces(const GUID& interfaceClass, DWORD flags) {
    DWORD error = ERROR_SUCCESS;
    HANDLE channel = driverpipe::ConnectChannel(&error);
    if (channel == INVALID_HANDLE_VALUE) return {};
    driverpipe::Request request;
    request.op = driverpipe::Op::DeviceInterfaces;
    request.args[0] = flags;
    request.payload = driverpipe::Writer().Raw(&interfaceClass, sizeof interfaceClass).Take();
    driverpipe::Reply reply;
    std::vector<std::wstring> paths;
    if (driverpipe::Transact(channel, request, &reply) && reply.status == ERROR_SUCCESS) {
        driverpipe::Reader reader(reply.payload);
        const uint32_t count = reader.U32();
        for (uint32_t i = 0; i < count && reader.ok(); ++i) paths.push_back(reader.String());
        if (!reader.ok()) paths.clear();
    }
    ::CloseHandle(channel);
    return paths;
}

}  // namespace

HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, PCWSTR, HWND, DWORD flags) {
    if (!classGuid || !(flags & DIGCF_DEVICEINTERFACE) || (flags & DIGCF_ALLCLASSES)) {
        SetLastError(ERROR_INVALID_FLAGS);
        return INVALID_HANDLE_VALUE;
    }
    auto* set = new InterfaceSet;
    set->interfaceClass = *classGuid;
    set->paths = ListInterfaces(*classGuid, flags);
    return set;
}

BOOL SetupDiEnumDeviceInterfaces(HDEVINFO handle, PSP_DEVINFO_DATA, const GUID* interfaceClass, DWORD index,
                                 PSP_DEVICE_INTERFACE_DATA data) {
    InterfaceSet* set = FromHandle(handle);
    if (!set) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!interfaceClass || !data || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) {
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    if (!IsEqualGUID(*interfaceClass, set->interfaceClass) || index >= set->paths.size()) {
        SetLastError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    data->InterfaceClassGuid = set->interfaceClass;
    data->Flags = SPINT_ACTIVE;
    data->Reserved = ULONG_PTR(index) + 1;  // which interface of the set this is
    return TRUE;
}

BOOL SetupDiGetDeviceInterfaceDetailW(HDEVINFO handle, PSP_DEVICE_INTERFACE_DATA data,
                                      PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD detailSize,
                                      PDWORD requiredSize, PSP_DEVINFO_DATA device) {
    InterfaceSet* set = FromHandle(handle);
    if (!set) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!data || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA) || data->Reserved == 0 ||
        data->Reserved > set->paths.size()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::wstring& path = set->paths[data->Reserved - 1];
    const DWORD needed =
        DWORD(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) + (path.size() + 1) * sizeof(WCHAR));
    if (requiredSize) *requiredSize = needed;
    if (!detail) {
        SetLastError(detailSize ? ERROR_INVALID_USER_BUFFER : ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    if (detailSize < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (device) {
        if (device->cbSize != sizeof(SP_DEVINFO_DATA)) {
            SetLastError(ERROR_INVALID_USER_BUFFER);
            return FALSE;
        }
        device->ClassGuid = GUID{};
        device->DevInst = DWORD(data->Reserved);
        device->Reserved = 0;
    }
    std::memcpy(detail->DevicePath, path.c_str(), (path.size() + 1) * sizeof(WCHAR));
    return TRUE;
}

BOOL SetupDiDestroyDeviceInfoList(HDEVINFO handle) {
    InterfaceSet* set = FromHandle(handle);
    if (!set) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    set->magic = 0;
    delete set;
    return TRUE;
}

}  // namespace usbtree
