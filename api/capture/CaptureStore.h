#pragma once
// The host-side stores of captured traffic: the capture queues the receive thread fills, the
// exported `capture_buffer` the block upload threads fill, and the per-entry capture state that the
// capture control and the upload threads share. Entries: 0 Port A, 1 Port B, 2 both ports.
//
// Lock plan, outermost first (a thread may take a later lock while holding an earlier one, never
// the other way round):
//   1. a port's capture lock (PortCaptureLock): stop and cancel set the terminate flags and clear
//      the port's vector under it; host threads only.
//   2. the capture queue lock (CaptureQueueLock): a start's reset of an entry, each block request
//      of the port-queue worker, cancel's clearing of the port's blocks, the end of an instant
//      upload. The worker's block requests are sent under it (the receive thread never takes it, so
//      their replies still arrive); a host thread never sends under it, since its exchanges let
//      window messages through and a handler may call the library again on that thread.
//   3. "Mutex" (the named mutex, CaptureQueueMutex): every change of a capture queue and of a
//      `capture_buffer` vector (append, clear), and the upload's reset of `frameCount` (which the
//      hand-over counts up). Nothing that waits for a reply or sleeps runs under it.
//   4. the hand-over lock (a slim lock inside the store): the frames the receive thread has handed
//      over and nobody has yet moved into their queue. The receive thread takes this lock alone,
//      never "Mutex": each wait for that mutex is a trip to the wine server, and a register reply
//      behind a burst of captured frames waited for all of them. Whoever holds "Mutex" and looks
//      at a queue moves the frames handed over into it first, so a queue under "Mutex" holds every
//      frame that arrived before; emptying a queue empties its hand-over too.
//   5. the capture round-robin lock (inside ReplaySchedule): `n_block` and the cursor. Innermost:
//      nothing else is taken under it.
// The spare storage of queue items has a slim lock of its own, taken wherever an item is made or
// dropped and innermost too.
// The block computation of a capture thread, which the counter poller's stop-next may race, reads
// its fields once each; the fields are atomics, written by host threads, the receive thread's
// handlers and the upload threads.

#include "BrevixCCapture.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

namespace capi {

constexpr int kCaptureEntries = 3;
constexpr size_t kCaptureQueueLimit = 32768;
constexpr size_t kWrapBytes = 36;

// A queue item's bytes come from a pool and go back to it when the item is dropped: the receive
// thread takes a frame's storage without a trip to the heap, which under Wine cost it more than
// the frame's copy, and an upload thread hands it back the same way.
struct QueuedFrame {
    QueuedFrame() = default;
    QueuedFrame(const uint8_t* frame, size_t length, uint32_t port);
    ~QueuedFrame();
    QueuedFrame(QueuedFrame&&) noexcept = default;
    QueuedFrame& operator=(QueuedFrame&& other) noexcept;
    QueuedFrame(const QueuedFrame&) = delete;
    QueuedFrame& operator=(const QueuedFrame&) = delete;

    std::vector<uint8_t> bytes;  // the whole frame, capture wrap included
    uint32_t port = 0;
};

struct CapturePortState {
    std::atomic<int32_t> mode{0};         // 0 stop on request, 1 instant, 2 stop at the size limit
    std::atomic<int32_t> statusHigh{0};   // bits 16-30 of the last capture status
    std::atomic<int32_t> statusLow{0};    // bits 0-14
    std::atomic<int32_t> frameCount{0};   // frames handed over since the last start
    std::atomic<int32_t> deviceCount{0};  // frames the tester reported ready; entry 2 the sum
    std::atomic<int32_t> n_block{0};      // blocks still to request (round-robin lock)
    std::atomic<int32_t> sizeLimit{0};    // frames to upload; entry 2 the sum
    std::atomic<uint8_t> deviceEmpty{0};  // the periodic report shows nothing left in the tester
    std::atomic<uint8_t> jumbo{0};        // taken when a block upload begins
    std::atomic<uint8_t> terminate{0};    // 1: idle, frames not queued, upload threads end
    // 1 while an upload takes from the entry's queue: a queue nobody reads is not filled ("Mutex").
    std::atomic<uint8_t> reader{0};
    // A stop-next asked for the port's block count and its answer has not come: the port still
    // counts as holding frames for a both-ports upload that Port A's answer started.
    std::atomic<uint8_t> awaitingCount{0};
};

CapturePortState& CaptureState(int entry);

// The capture queue of an entry, with the frames handed over since it was last looked at moved in
// (those beyond the queue's limit dropped); use it only while holding "Mutex" (MutexHold).
std::deque<QueuedFrame>& CaptureQueue(int entry);

// Holds "Mutex" for its lifetime.
class MutexHold {
public:
    MutexHold();
    ~MutexHold();
    MutexHold(const MutexHold&) = delete;
    MutexHold& operator=(const MutexHold&) = delete;
};

std::mutex& CaptureQueueLock();
std::mutex& PortCaptureLock(int port);

// Under "Mutex": clears an entry's queue and releases its storage; clears a vector likewise. A
// block the vector shared with another is left to that vector's record.
void ClearCaptureQueue(int entry);
void ClearCaptureVector(int entry);
// With "Mutex" held: appends a finished record to `capture_buffer` [entry], taking over its bytes
// (`record` is left without them). A port's vector and the both-ports vector are filled from the
// same frames: a record whose frame the other vector already holds shares that record's block
// instead of keeping a second copy. The vector grows by handing its records over, never by
// copying them, so a shared block stays where both records point.
void AppendCaptureRecord(int entry, BrevixC_PKTCAP_Content_S& record);
// Moves a record's words and bytes into an empty one (the record type only copies).
void HandOver(BrevixC_PKTCAP_Content_S& from, BrevixC_PKTCAP_Content_S& to);
// An upload's end: its queue emptied and left unfilled, in one hold of "Mutex".
void EndReading(int entry);

// Per-port settings of the capture side: the block size selector and the TAP capture mode.
struct CapturePortSettings {
    std::atomic<uint16_t> replayType{0};      // 0-5
    std::atomic<uint8_t> tapCaptureMode{0};  // 0-2
};
CapturePortSettings& CaptureSettings(int port);

// Hands a captured frame over to the queues that an upload reads: the receive thread's step,
// testable with a fake frame. Takes the hand-over lock only.
void QueueFrame(const uint8_t* frame, size_t length);

}  // namespace capi
