#pragma once
// What the counter poll's traffic hook asks of the capture layer: each poll reads the port's
// capture block-count register, and a capture that stops at a size limit is told to stop once the
// tester holds enough.

#include <cstdint>

namespace capi {

struct PortCaptureProgress {
    bool instant = false;   // bit 8 of the port's capture mode word: frames forwarded one by one
    int32_t mode = 0;       // of the last capture start: 2 stops at the size limit
    int32_t sizeLimit = 0;  // frames to upload, 0 for the tester's whole store
    bool idle = true;       // no capture or upload runs on the port
};

PortCaptureProgress CaptureProgress(uint8_t port);
// The port's periodic report shows nothing left in the tester.
void MarkDeviceEmpty(uint8_t port);
// Asks the tester to stop the port's capture after the next block. Sends register commands and
// waits for their replies, so it never runs on the receive thread.
void BVT_StopCaptureNext(uint8_t port, int32_t sizeLimit);

}  // namespace capi
