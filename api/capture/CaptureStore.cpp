#include "capture/CaptureStore.h"

#include "capture/Capture.h"
#include "capture/CaptureRegisters.h"
#include "runtime/DebugStream.h"
#include "runtime/NamedObjects.h"

#include <algorithm>

BrevixC_CaptureVector capture_buffer[3];

namespace capi {
namespace {

CapturePortState states[kCaptureEntries];
CapturePortSettings settings[2];
// Guarded by "Mutex".
std::deque<QueuedFrame> queues[kCaptureEntries];
std::mutex queueLock;
std::mutex portLocks[2];

}  // namespace

CapturePortState& CaptureState(int entry) { return states[entry]; }
std::deque<QueuedFrame>& CaptureQueue(int entry) { return queues[entry]; }
CapturePortSettings& CaptureSettings(int port) { return settings[port]; }
std::mutex& CaptureQueueLock() { return queueLock; }
std::mutex& PortCaptureLock(int port) { return portLocks[port]; }

MutexHold::MutexHold() { WaitForSingleObject(CaptureQueueMutex(), INFINITE); }
MutexHold::~MutexHold() { ReleaseMutex(CaptureQueueMutex()); }

void ClearCaptureQueue(int entry) {
    MutexHold hold;
    std::deque<QueuedFrame>().swap(queues[entry]);
}

void ClearCaptureVector(int entry) {
    MutexHold hold;
    BrevixC_CaptureVector().swap(capture_buffer[entry]);
}

void QueueFrame(const uint8_t* frame, size_t length) {
    const uint8_t port = frame[11];
    const bool idle = port > 1 || states[port].terminate;
    Log("port : ", int(port), " isterminate : ", port > 1 ? 1 : int(states[port].terminate));
    if (idle) return;
    QueuedFrame item{std::vector<uint8_t>(frame, frame + length), port};
    MutexHold hold;
    if (queues[port].size() < kCaptureQueueLimit) queues[port].push_back(item);
    if (queues[2].size() < kCaptureQueueLimit) queues[2].push_back(std::move(item));
    if (!(Words().modeWord[port] & kInstantBit)) {
        ++states[port].frameCount;
        ++states[2].frameCount;
    }
}

void QueueCapturedFrame(const uint8_t* frame, size_t length) { QueueFrame(frame, length); }

void ResetPortCaptureState(uint8_t port) {
    CapturePortState& state = states[port];
    state.n_block = 0;
    state.deviceEmpty = 0;
    state.terminate = 1;
    state.frameCount = 0;
    settings[port].replayType = 0;
    settings[port].tapCaptureMode = 0;
}

void ClearCaptureBuffers() {
    for (int entry = 0; entry < kCaptureEntries; ++entry) ClearCaptureVector(entry);
}

}  // namespace capi
