// The counter poll's traffic hook asks the capture layer about the port outside the port's counter
// lock: the capture layer takes locks of its own. This program plays the capture layer's side of
// the poll and looks, at each call, whether another thread could take the lock.

#include "capture/Capture.h"
#include "counters/CounterBlocks.h"
#include "counters/Counters.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

std::atomic<int> callsUnderLock{0};
std::atomic<int> calls{0};

// Whether another thread takes the port's counter lock while this call waits. A thread that finds
// it held finishes once it is released, after this call has returned (and the patience with it).
bool PortLockFree(uint8_t port) {
    auto started = std::make_shared<std::atomic<bool>>(false);
    auto taken = std::make_shared<std::atomic<bool>>(false);
    std::thread([port, started, taken] {
        *started = true;
        capi::CounterBlocks::Instance().Update(port, [](capi::PortBlocks&) {});
        *taken = true;
    }).detach();
    // A thread slow to start on a busy machine is no held lock: the patience for the lock counts
    // from the thread's start.
    support::Eventually([&] { return started->load(); });
    return support::Eventually([&] { return taken->load(); });
}

void Record(uint8_t port) {
    ++calls;
    if (!PortLockFree(port)) ++callsUnderLock;
}

}  // namespace

namespace capi {

PortCaptureProgress CaptureProgress(uint8_t port) {
    Record(port);
    PortCaptureProgress progress;
    progress.idle = false;  // an upload runs: an empty store is reported back
    return progress;
}

void MarkDeviceEmpty(uint8_t port) { Record(port); }

int BVT_StopCaptureNext(uint8_t, int32_t) { return 1; }

}  // namespace capi

namespace {

TEST(CaptureProgressTest, TheTrafficHookAsksTheCaptureLayerOutsideThePortsCounterLock) {
    calls = 0;
    callsUnderLock = 0;
    // A general reply of 21 pairs; the last pair's value is the block count (nothing held).
    std::vector<uint8_t> body(8 * 21, 0);
    capi::ReplyBody reply;
    reply.bytes = body.data();
    reply.length = body.size();
    reply.count = 21;
    capi::OnTrafficRegisters(1, reply);
    EXPECT_EQ(calls, 2) << "asked for the progress and told the store is empty";
    EXPECT_EQ(callsUnderLock, 0);
}

}  // namespace
