#pragma once
// The channel's unit of transfer: one 64-byte packet each way.

#include <array>
#include <cstddef>
#include <cstdint>

namespace capi {

constexpr size_t kUsbPacket = 64;
using UsbPacket = std::array<uint8_t, kUsbPacket>;

}  // namespace capi
