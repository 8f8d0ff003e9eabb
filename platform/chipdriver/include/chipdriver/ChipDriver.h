#pragma once
// The chip driver's services as the library calls them. The library writes the same calls it would
// make on Windows, qualified with this namespace:
//   - the control device: chipdriver::CreateFileW ("\\.\AX88772" or the device-interface path),
//     chipdriver::DeviceIoControl with the driver's private codes and records, and
//     chipdriver::CloseHandle. The codes and records belong to their callers: the serial flash's
//     SPI configuration and transactions, and the program's reads and writes of the adapter's own
//     configuration EEPROM pass through alike, their bytes as given;
//   - WMI: chipdriver::CoCreateInstance of CLSID_WbemLocator gives a locator whose ConnectServer
//     ("root\wmi"), ExecQuery / CreateInstanceEnum, IWbemClassObject Get / Put and PutInstance
//     reach the driver's classes. COM itself (CoInitializeEx, CoInitializeSecurity,
//     CoSetProxyBlanket, CoUninitialize) is the system's.
// Behind both, the tester simulator plays the driver (see driverpipe/PipeChannel.h for how the
// pipe is found).

#include "driverpipe/DeviceCalls.h"

#include <objbase.h>

namespace chipdriver {

using driverpipe::CloseHandle;
using driverpipe::CreateFileW;
using driverpipe::DeviceIoControl;

// CLSID_WbemLocator gives the driver layer's locator; any other class is created by COM.
HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* object);

}  // namespace chipdriver
