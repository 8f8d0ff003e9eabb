#pragma once
// What the core asks of the capture layer.

#include "ReplyBody.h"

#include <cstddef>
#include <cstdint>

namespace capi {

// The capture wrap's destination and the first five bytes of its source: frames the tester
// forwards from its ports. Byte 11 is the port.
constexpr uint8_t kCaptureHeader[11] = {0x02, 0x5E, 0xC1, 0x0D, 0x11, 0x00, 0x02, 0x5E, 0xC1, 0x0D, 0x11};

// BrevixC_SYS_Init: a port's replay and capture records to their start values.
void ResetPortCaptureState(uint8_t port);
void BVT_ReplayPortClear(uint8_t entry);
// BrevixC_SYS_Init: the per-port capture state and the capture thread container.
void ResetCaptureThreads();

// Receive thread: a captured frame arrived.
void QueueCapturedFrame(const uint8_t* frame, size_t length);

// Port-queue worker: the next port with a pending upload block (-1 for none), and asking the
// tester for that block.
int BVT_ReplayPortPick();
void RequestReplayBlock(int port);

// Register hooks: the capture status pair and the block count that follows it.
void OnCaptureStatus(const ReplyBody& body);
void OnBlockCount(const ReplyBody& body);

// BrevixC_SYS_TerminateProcess: the capture terminate bytes and stop flag, then the buffers emptied
// under their lock.
void StopCaptureForTerminate();
void ClearCaptureBuffers();

}  // namespace capi
