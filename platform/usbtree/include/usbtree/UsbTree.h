#pragma once
// The USB device tree as the library walks it. The library writes the calls it would make on
// Windows, qualified with this namespace:
//   - the device calls on "\\.\HCD<n>" and on hub names: usbtree::CreateFileW,
//     usbtree::DeviceIoControl (IOCTL_USB_GET_ROOT_HUB_NAME, IOCTL_USB_GET_NODE_INFORMATION,
//     IOCTL_USB_GET_NODE_CONNECTION_INFORMATION, ..._DRIVERKEY_NAME, ..._NAME), usbtree::CloseHandle;
//   - the SetupAPI device-interface enumeration below.
// The tester simulator describes the topology and answers them (see driverpipe/PipeChannel.h).
// The records are checked as on 64-bit Windows: cbSize must be sizeof the 64-bit record.

#include "driverpipe/DeviceCalls.h"

#include <setupapi.h>

namespace usbtree {

using driverpipe::CloseHandle;
using driverpipe::CreateFileW;
using driverpipe::DeviceIoControl;

// Only device-interface sets of one class are served (DIGCF_DEVICEINTERFACE with a class GUID);
// other requests fail with ERROR_INVALID_FLAGS. With no simulator the set is empty.
HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, PCWSTR enumerator, HWND parent, DWORD flags);
BOOL SetupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA device, const GUID* interfaceClass, DWORD index,
                                 PSP_DEVICE_INTERFACE_DATA data);
BOOL SetupDiGetDeviceInterfaceDetailW(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA data,
                                      PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD detailSize,
                                      PDWORD requiredSize, PSP_DEVINFO_DATA device);
BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set);

}  // namespace usbtree
