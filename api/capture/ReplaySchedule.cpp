#include "capture/ReplaySchedule.h"

#include "capture/Capture.h"
#include "capture/CaptureRegisters.h"
#include "capture/CaptureStore.h"
#include "runtime/DebugStream.h"
#include "runtime/PumpWait.h"

#include <mutex>

namespace capi {
namespace {

// Guards the cursor and every change of `n_block`: the port-queue worker, the capture threads and
// the capture calls.
std::mutex roundRobin;
int32_t cursor = 0;
// Set after every change of `n_block` that may leave blocks pending; never closed (it lives as
// long as the library).
const HANDLE blocksPending = CreateEventW(nullptr, FALSE, FALSE, nullptr);

}  // namespace

int32_t BlocksFor(int32_t frames, uint16_t type) {
    if (frames <= 0) return 0;
    const int32_t size = int32_t(FramesPerBlock(type));
    return (frames + size - 1) / size;
}

void BVT_ReplayPortSetBlock(int entry, int32_t blocks) {
    std::lock_guard<std::mutex> guard(roundRobin);
    Log("(API)(BVT_ReplayPortSetBlock)Set port ", entry, " n_block = ", blocks);
    CaptureState(entry).n_block = blocks;
    if (blocks > 0) SetEvent(blocksPending);
}

HANDLE BlocksPendingEvent() { return blocksPending; }

int BVT_ReplayPortPick() {
    std::lock_guard<std::mutex> guard(roundRobin);
    for (int i = 0; i < 2; ++i) {
        cursor = (cursor + 1) % 2;
        if (CaptureState(cursor).n_block > 0) return cursor;
    }
    return -1;
}

void BVT_ReplayPortBlockDone(int port) {
    std::lock_guard<std::mutex> guard(roundRobin);
    --CaptureState(port).n_block;
}

void BVT_ReplayPortClear(uint8_t entry) {
    std::lock_guard<std::mutex> guard(roundRobin);
    CaptureState(entry).n_block = 0;
    for (int i = 0; i < 2; ++i) {
        if (cursor == entry) {
            cursor = (cursor + 1) % 2;
        } else if (CaptureState(cursor).n_block > 0) {
            break;
        }
    }
}

void RequestReplayBlock(int port) {
    std::lock_guard<std::mutex> guard(CaptureQueueLock());
    // The port was picked before this lock was taken: a cancel may have halted it and cleared its
    // blocks since, and a request now would set the halted port sending again.
    {
        std::lock_guard<std::mutex> schedule(roundRobin);
        if (CaptureState(port).n_block <= 0) return;
    }
    CaptureSettings(port).replayType = kBlockRequestType;
    BVT_ReplayPortSetType(uint8_t(port), kBlockRequestType);
    PumpWait(2);
    BVT_ReplayPortBlockDone(port);
}

}  // namespace capi
