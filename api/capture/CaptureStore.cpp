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

void EndReading(int entry) {
    MutexHold hold;
    states[entry].reader = 0;
    std::deque<QueuedFrame>().swap(queues[entry]);
}

// A frame joins only the queues an upload reads: a both-ports forwarding reads entry 2's alone, a
// one-port upload its port's alone, and a queue nobody reads would fill to its limit and stay full.
void QueueFrame(const uint8_t* frame, size_t length) {
    const uint8_t port = frame[11];
    const bool idle = port > 1 || states[port].terminate;
    Log("port : ", int(port), " isterminate : ", port > 1 ? 1 : int(states[port].terminate));
    if (idle) return;
    MutexHold hold;
    const bool own = states[port].reader && queues[port].size() < kCaptureQueueLimit;
    const bool both = states[2].reader && queues[2].size() < kCaptureQueueLimit;
    if (own) queues[port].push_back(QueuedFrame{std::vector<uint8_t>(frame, frame + length), port});
    if (both) queues[2].push_back(QueuedFrame{std::vector<uint8_t>(frame, frame + length), port});
    if (!(Words().modeWord[port] & kInstantBit)) {
        ++states[port].frameCount;
        ++states[2].frameCount;
    }
}

void QueueCapturedFrame(const uint8_t* frame, size_t length) { QueueFrame(frame, length); }

void ResetEntry(int entry) {
    CapturePortState& state = states[entry];
    state.n_block = 0;
    state.deviceEmpty = 0;
    state.terminate = 1;
    state.frameCount = 0;
    state.awaitingCount = 0;
}

void ResetCaptureSettings() {
    for (CapturePortSettings& port : settings) {
        port.replayType = 0;
        port.tapCaptureMode = 0;
    }
}

void ClearCaptureBuffers() {
    for (int entry = 0; entry < kCaptureEntries; ++entry) ClearCaptureVector(entry);
}

}  // namespace capi
