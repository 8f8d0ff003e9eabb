// The capture layer as far as the core needs it until that layer is complete: no capture ever
// runs, so no frame is queued, no upload block is pending and there is nothing to clear.

#include "capture/Capture.h"

namespace capi {

void ResetPortCaptureState(uint8_t) {}

void BVT_ReplayPortClear(uint8_t) {}

void ResetCaptureThreads() {}

void QueueCapturedFrame(const uint8_t*, size_t) {}

int BVT_ReplayPortPick() { return -1; }

void RequestReplayBlock(int) {}

void OnCaptureStatus(const ReplyBody&) {}

void OnBlockCount(const ReplyBody&) {}

void StopCaptureForTerminate() {}

void ClearCaptureBuffers() {}

}  // namespace capi
