// The capture layer's side of the counter poll, with the stop-next it asks for, in a file of its own so that a test program of the
// poll can play it.

#include "capture/Capture.h"
#include "capture/CaptureRegisters.h"
#include "capture/CaptureControl.h"
#include "capture/CaptureStore.h"
#include "runtime/DebugStream.h"

namespace capi {
namespace {

// Reads of the capture status a stop-next makes before it gives up on the tester's answer.
constexpr int kStatusReads = 3;

}  // namespace

PortCaptureProgress CaptureProgress(uint8_t port) {
    const CapturePortState& state = CaptureState(port);
    PortCaptureProgress progress;
    progress.instant = IsInstant(port);
    progress.mode = state.mode;
    progress.sizeLimit = state.sizeLimit;
    progress.idle = state.terminate != 0;
    return progress;
}

void MarkDeviceEmpty(uint8_t port) { CaptureState(port).deviceEmpty = 1; }

int32_t StopNextLimit(uint8_t port, int32_t frameCount) {
    return (CaptureControlImage(port) & kJumboBit) ? 32768 : frameCount;
}

int BVT_StopCaptureNext(uint8_t g, int32_t sizeLimit) {
    if (g > 1) return 0;
    CaptureState(g).sizeLimit = sizeLimit;
    if (!CaptureState(g).terminate) {
        Log("(API)(BVT_StopCaptureNext) is_terminate-", int(CaptureState(g).terminate));
        CaptureState(g).awaitingCount = 0;
        return 0;
    }
    CaptureStop(g);
    ConfigureOwnWrap(g);
    CaptureState(g).sizeLimit = StopNextLimit(g, sizeLimit);
    CaptureState(g).awaitingCount = 1;
    // The answer starts the upload, and a both-ports upload waits for it: an unanswered read is
    // made again, unless an answer that came after its read gave up was taken meanwhile.
    for (int read = 0; read < kStatusReads; ++read) {
        if (!CaptureState(g).awaitingCount || BVT_ReadCaptureStatus(g)) return 1;
    }
    // The tester never answered: the port uploads nothing, a both-ports upload no longer waits for
    // it, and an answer that comes later still is not taken.
    if (!CaptureState(g).awaitingCount.exchange(0)) return 1;
    Log("(API)(BVT_StopCaptureNext) no capture status from port ", int(g));
    return 0;
}

int StopCaptureNextBoth(uint16_t frameCount) {
    // Entry 2's limit is in place, and Port B counts as still holding its frames, before Port A's
    // block count can start the both-ports upload.
    CaptureState(2).sizeLimit = StopNextLimit(0, frameCount) + StopNextLimit(1, frameCount);
    for (uint8_t port : {0, 1}) CaptureState(port).awaitingCount = 1;
    for (uint8_t port : {0, 1}) {
        if (BVT_StopCaptureNext(port, frameCount)) continue;
        CaptureState(1).awaitingCount = 0;
        return 0;
    }
    return 1;
}

}  // namespace capi
