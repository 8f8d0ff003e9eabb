#pragma once
// What the rest of the library may ask about the tester and the connection to it.

#include <cstdint>

namespace capi {

// A connection is open: the capture handle and the library's threads are up.
bool IsConnected();
// The loss of the tester has been reported for the current connection.
bool DeviceLost();
// A USB-attached Brevix-H unit answered when the library was initialised.
bool UsbUnitPresent();
// BVX_Machine_ID: 1 Brevix-CF, 2 Brevix-A, 3 Brevix-H, 4 Brevix-J.
int32_t MachineId();
// The Brevix-H family (machine ids 3 and 4): reached over USB for identity, EEPROM and downloads,
// and keeping some registers at a second map.
inline bool IsBrevixHFamily(int32_t machineId) { return machineId == 3 || machineId == 4; }

}  // namespace capi
