#pragma once
// The device mode: TAP (1) or packet generator (2). Several calls act only in one of them.

#include <cstdint>

namespace capi {

constexpr int32_t kTapMode = 1;
constexpr int32_t kPacketGeneratorMode = 2;

int32_t DeviceModeNow();
void SetDeviceMode(int32_t mode);

}  // namespace capi
