#include "connection/DeviceMode.h"

#include <atomic>

namespace capi {
namespace {

// Written by detection, connect and the mode calls on callers' threads; read everywhere.
std::atomic<int32_t> deviceMode{kPacketGeneratorMode};

}  // namespace

int32_t DeviceModeNow() { return deviceMode; }

void SetDeviceMode(int32_t mode) { deviceMode = mode; }

}  // namespace capi
