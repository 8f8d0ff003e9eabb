#pragma once
// What the receive thread does with each frame the adapter delivers.

#include "link/Link.h"

#include <cstddef>
#include <cstdint>

namespace capi {

// The capture filter of the receive handle: command frames from the library itself (Linux
// capture hands a handle its own sent frames too) and from the host-message source are not the
// tester's.
constexpr const char* kReceiveFilter =
    "not (ether src 66:55:44:33:22:00 and ether proto 0xff03) and not (ether src 02:5e:c1:0d:00:00 and ether proto 0xff03)";

class ReceivePath {
public:
    static constexpr size_t kBufferBytes = 16000;

    // Hands the frame on: captured traffic to the capture path, and, copied into the receive
    // buffer, the tester's own IP traffic to the host responder, the rest to the frame matcher.
    // Frames larger than the buffer are dropped.
    void Process(const ReceivedFrame& frame);

private:
    uint8_t xpkt_[kBufferBytes];
};

// Command frames whose source is the library's own or the host-message source (the same frames
// the capture filter leaves out, for when the filter could not be installed).
bool IsExcludedCommand(const uint8_t* frame, size_t length);

}  // namespace capi
