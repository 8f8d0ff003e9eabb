#pragma once
// The frame matcher and the reply dispatcher of the receive thread. A reply completes the waiting
// register call and is routed by its first register address: a few addresses are decoded here,
// the rest through the register-hook map, which depends on the machine id.

#include "protocol/ReplyBody.h"

#include <boost/function.hpp>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>

namespace capi {

using RegisterHook = boost::function<void(const ReplyBody&)>;
using RegisterHookMap = std::map<uint32_t, RegisterHook>;

// The map for a machine id.
std::shared_ptr<const RegisterHookMap> MakeRegisterHookMap(int32_t machineId);
// Builds the map for the current machine id aside and swaps it in: the receive thread always
// sees one whole map.
void BuildRegisterHookMap();

// A frame from the tester's adapter that neither the capture path nor the host responder took.
// 0 when it is longer than the matcher takes (1514 bytes), else 1.
int DispatchDeviceFrame(const uint8_t* frame, size_t length, uint32_t stampSeconds, uint32_t stampMicroseconds);
// A reply of command 0, 1 or 3; `body` points at byte 16 of the frame.
void DispatchReply(const ReplyBody& body);

}  // namespace capi
