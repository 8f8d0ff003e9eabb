#pragma once
// What the rest of the library asks of the capture layer: the receive thread's queueing, the
// port-queue worker's block requests, the capture register hooks, the counter poll's capture
// progress, and the start and end of the library.

#include "protocol/ReplyBody.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace capi {

// The capture wrap's destination and the first five bytes of its source: frames the tester
// forwards from its ports. Byte 11 is the port.
constexpr uint8_t kCaptureHeader[11] = {0x02, 0x5E, 0xC1, 0x0D, 0x11, 0x00, 0x02, 0x5E, 0xC1, 0x0D, 0x11};

// An entry back to the start of a capture (BrevixC_SYS_Init's and each start's): idle, nothing
// queued or counted, no answer awaited.
void ResetEntry(int entry);
void BVT_ReplayPortClear(uint8_t entry);
// BrevixC_SYS_Init: the per-port capture settings, host copies and the capture threads.
void ResetCaptureSettings();
void ResetCaptureThreads();
// Device set-up at each connection: the host copies of the capture run and mode words to 0.
void ResetCaptureWords();

// Receive thread: a captured frame arrived.
void QueueCapturedFrame(const uint8_t* frame, size_t length);

// Port-queue worker: the next port with a pending upload block (-1 for none), and asking the
// tester for that block.
int BVT_ReplayPortPick();
void RequestReplayBlock(int port);
// Signalled (auto-reset) whenever a port is given blocks to upload: with none pending, the worker
// waits on it instead of looking every 20 ms.
HANDLE BlocksPendingEvent();

// Register hooks: the capture status pair and the block count that follows it.
void OnCaptureStatus(const ReplyBody& body);
void OnBlockCount(const ReplyBody& body);

// BrevixC_SYS_TerminateProcess: the capture terminate bytes and stop flag, then the buffers emptied
// under their lock and the capture threads joined.
void StopCaptureForTerminate();
void ClearCaptureBuffers();

// The counter poll's traffic hook: each poll reads the port's capture block-count register, and a
// capture that stops at a size limit is told to stop once the tester holds enough.
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
// waits for their replies, so it never runs on the receive thread. 1 when the upload was asked
// for, 0 while the port's entry runs or when the tester answered none of its status reads.
int BVT_StopCaptureNext(uint8_t port, int32_t sizeLimit);
// The stop-next of both ports, with entry 2's limit the sum of theirs.
int StopCaptureNextBoth(uint16_t frameCount);
// The frames a stop-next of the port uploads: with jumbo capture every chunk is an item, so the
// tester's whole capacity.
int32_t StopNextLimit(uint8_t port, int32_t frameCount);

}  // namespace capi
