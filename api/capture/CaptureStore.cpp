#include "capture/CaptureStore.h"

#include "capture/Capture.h"
#include "capture/CaptureRegisters.h"
#include "runtime/DebugStream.h"
#include "runtime/NamedObjects.h"
#include "runtime/SlimLock.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <unordered_set>

BrevixC_CaptureVector capture_buffer[3];

namespace capi {
namespace {

// Spare frame storage for queue items, guarded by spareLock. Made before the queues, so that it is
// still there when they are destroyed with the library.
constexpr size_t kSpareBuffers = 256;
SlimLock spareLock;
std::vector<std::vector<uint8_t>> spares;

std::vector<uint8_t> TakeSpare() {
    std::lock_guard<SlimLock> guard(spareLock);
    if (spares.empty()) return {};
    std::vector<uint8_t> spare = std::move(spares.back());
    spares.pop_back();
    return spare;
}

// Keeps the storage of `bytes` for a later frame, while the spares are fewer than their bound.
void KeepSpare(std::vector<uint8_t>& bytes) {
    if (!bytes.capacity()) return;
    std::lock_guard<SlimLock> guard(spareLock);
    if (spares.size() < kSpareBuffers) spares.push_back(std::move(bytes));
}

CapturePortState states[kCaptureEntries];
CapturePortSettings settings[2];
// Guarded by "Mutex".
std::deque<QueuedFrame> queues[kCaptureEntries];
std::mutex queueLock;
std::mutex portLocks[2];

// The blocks two records point at, one in a port's vector and one in the both-ports vector. The
// record cleared first leaves the block to the other. Guarded by "Mutex".
std::unordered_set<const uint8_t*> sharedBlocks;

// Per port, the records one of its two vectors appended that the other has not reached yet, by
// vector and place, oldest first; they all come from the vector that is ahead. Guarded by "Mutex".
struct Unmatched {
    int entry;
    size_t index;
};
std::deque<Unmatched> unmatched[2];
// How far past the oldest unmatched record a frame is looked for: the vector behind may lack a
// frame the other holds (its queue was full), and then misses it by one or a few.
constexpr size_t kMatchWindow = 64;

// At unload the vectors are destroyed with the library: a shared block is left to the port's
// vector, so that it is freed once. Made after `capture_buffer` and `sharedBlocks`, so destroyed
// before them.
struct UnshareAtUnload {
    ~UnshareAtUnload() {
        for (BrevixC_PKTCAP_Content_S& record : capture_buffer[2]) {
            if (record.data && sharedBlocks.count(record.data)) record.data = nullptr;
        }
    }
} unshareAtUnload;

bool SameFrame(const BrevixC_PKTCAP_Content_S& a, const BrevixC_PKTCAP_Content_S& b) {
    return a.header0 == b.header0 && a.wireLength == b.wireLength && a.length == b.length && a.flags == b.flags &&
           a.header3 == b.header3 && a.port == b.port && a.data && b.data &&
           std::memcmp(a.data, b.data, a.length) == 0;
}

// The twin vector of a record: the both-ports vector for a port's, the port's for the both-ports.
void ShareWithTwin(int entry, size_t index) {
    BrevixC_PKTCAP_Content_S& record = capture_buffer[entry][index];
    if (record.port > 1 || (entry != 2 && uint32_t(entry) != record.port)) return;
    std::deque<Unmatched>& waiting = unmatched[record.port];
    if (waiting.empty() || waiting.front().entry == entry) {
        waiting.push_back(Unmatched{entry, index});
        return;
    }
    const size_t look = std::min(waiting.size(), kMatchWindow);
    for (size_t k = 0; k < look; ++k) {
        const BrevixC_PKTCAP_Content_S& twin = capture_buffer[waiting[k].entry][waiting[k].index];
        if (!SameFrame(twin, record)) continue;
        std::free(record.data);
        record.data = twin.data;
        sharedBlocks.insert(twin.data);
        // Those passed over were frames this vector never got: nothing will match them.
        waiting.erase(waiting.begin(), waiting.begin() + std::ptrdiff_t(k + 1));
        return;
    }
}

}  // namespace

void HandOver(BrevixC_PKTCAP_Content_S& from, BrevixC_PKTCAP_Content_S& to) {
    to.header0 = from.header0;
    to.wireLength = from.wireLength;
    to.length = from.length;
    to.flags = from.flags;
    to.header3 = from.header3;
    to.port = from.port;
    to.data = from.data;
    from.data = nullptr;
}

void AppendCaptureRecord(int entry, BrevixC_PKTCAP_Content_S& record) {
    BrevixC_CaptureVector& records = capture_buffer[entry];
    if (records.size() == records.capacity()) {
        BrevixC_CaptureVector larger;
        larger.reserve(std::max<size_t>(64, records.capacity() * 2));
        for (BrevixC_PKTCAP_Content_S& held : records) HandOver(held, larger.emplace_back());
        records.swap(larger);
    }
    HandOver(record, records.emplace_back());
    if (records.back().data) ShareWithTwin(entry, records.size() - 1);
}

CapturePortState& CaptureState(int entry) { return states[entry]; }
CapturePortSettings& CaptureSettings(int port) { return settings[port]; }
std::mutex& CaptureQueueLock() { return queueLock; }
std::mutex& PortCaptureLock(int port) { return portLocks[port]; }

MutexHold::MutexHold() { WaitForSingleObject(CaptureQueueMutex(), INFINITE); }
MutexHold::~MutexHold() { ReleaseMutex(CaptureQueueMutex()); }

QueuedFrame::QueuedFrame(const uint8_t* frame, size_t length, uint32_t port) : bytes(TakeSpare()), port(port) {
    bytes.assign(frame, frame + length);
}

QueuedFrame::~QueuedFrame() { KeepSpare(bytes); }

QueuedFrame& QueuedFrame::operator=(QueuedFrame&& other) noexcept {
    if (this == &other) return *this;
    KeepSpare(bytes);
    bytes = std::move(other.bytes);
    port = other.port;
    return *this;
}

namespace {

// handOverLock guards handedOver: the frames the receive thread handed over, each entry's in the
// order they arrived. takenOver, guarded by "Mutex", is what they are swapped into on their way to
// the queue, kept for its room so that neither side grows a vector afresh with each burst.
SlimLock handOverLock;
std::vector<QueuedFrame> handedOver[kCaptureEntries];
std::vector<QueuedFrame> takenOver[kCaptureEntries];

// Under "Mutex": the entry's queue and hand-over emptied, their storage released, the frames freed
// outside the hand-over lock. With `endReading` the entry is left unread in the same hold of that
// lock, so that no frame is handed over after it was emptied.
void Empty(int entry, bool endReading) {
    std::vector<QueuedFrame> dropped;
    {
        std::lock_guard<SlimLock> guard(handOverLock);
        if (endReading) states[entry].reader = 0;
        dropped.swap(handedOver[entry]);
    }
    std::deque<QueuedFrame>().swap(queues[entry]);
    std::vector<QueuedFrame>().swap(takenOver[entry]);
}

}  // namespace

// The frames handed over join the queue behind those already in it, as far as its limit allows.
std::deque<QueuedFrame>& CaptureQueue(int entry) {
    std::vector<QueuedFrame>& taken = takenOver[entry];
    {
        std::lock_guard<SlimLock> guard(handOverLock);
        taken.swap(handedOver[entry]);
    }
    std::deque<QueuedFrame>& queue = queues[entry];
    for (QueuedFrame& frame : taken) {
        if (queue.size() < kCaptureQueueLimit) queue.push_back(std::move(frame));
    }
    taken.clear();
    return queue;
}

void ClearCaptureQueue(int entry) {
    MutexHold hold;
    Empty(entry, false);
}

void ClearCaptureVector(int entry) {
    MutexHold hold;
    if (!sharedBlocks.empty()) {
        for (BrevixC_PKTCAP_Content_S& record : capture_buffer[entry]) {
            if (record.data && sharedBlocks.erase(record.data)) record.data = nullptr;
        }
    }
    for (std::deque<Unmatched>& waiting : unmatched) {
        waiting.erase(std::remove_if(waiting.begin(), waiting.end(),
                                     [entry](const Unmatched& held) { return held.entry == entry; }),
                      waiting.end());
    }
    BrevixC_CaptureVector().swap(capture_buffer[entry]);
}

void EndReading(int entry) {
    MutexHold hold;
    Empty(entry, true);
}

// A frame joins only the queues an upload reads: a both-ports forwarding reads entry 2's alone, a
// one-port upload its port's alone, and a queue nobody reads would fill to its limit and stay full.
// A hand-over holds no more than a queue, for the while nobody looks at the queue.
void QueueFrame(const uint8_t* frame, size_t length) {
    const uint8_t port = frame[11];
    const bool idle = port > 1 || states[port].terminate;
    Log("port : ", int(port), " isterminate : ", port > 1 ? 1 : int(states[port].terminate));
    if (idle) return;
    std::lock_guard<SlimLock> guard(handOverLock);
    const bool own = states[port].reader && handedOver[port].size() < kCaptureQueueLimit;
    const bool both = states[2].reader && handedOver[2].size() < kCaptureQueueLimit;
    if (own) handedOver[port].emplace_back(frame, length, port);
    if (both) handedOver[2].emplace_back(frame, length, port);
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
