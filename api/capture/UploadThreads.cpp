// The capture threads: one per running entry, which registers the entry's blocks with the
// round-robin schedule and then uploads, either forwarding each frame to the host callback (instant)
// or turning the frames into records in `capture_buffer` (block). The upload runs on the capture
// thread itself: a second thread that the first only waited for would add nothing.

#include "BrevixCAPI.h"
#include "capture/BlockAssembly.h"
#include "capture/Capture.h"
#include "capture/CaptureControl.h"
#include "capture/CaptureRegisters.h"
#include "capture/CaptureStore.h"
#include "capture/ReplaySchedule.h"
#include "connection/DeviceState.h"
#include "protocol/Wire.h"
#include "runtime/DebugStream.h"
#include "runtime/HostMessages.h"
#include "runtime/PumpWait.h"
#include "runtime/WorkerThread.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace capi {
namespace {

constexpr int32_t kCaptureMessageLength = 60;
constexpr size_t kInstantBlock = 2000;
constexpr DWORD kInstantReportMs = 1000;
constexpr DWORD kBlockReportMs = 10;
// Frames a block upload takes under one hold of "Mutex": the receive thread, which delivers the
// register replies too, waits for that mutex with every captured frame, and must never wait long.
constexpr int kFramesPerHold = 64;

// threadGuard guards the start of a capture thread, so that two callers (a host thread and the
// receive thread's block-count hook) never start a second one for an entry.
std::mutex threadGuard;
WorkerThread threads[kCaptureEntries];

void SendReport(int entry, uint32_t held, uint32_t remaining, uint32_t fresh) {
    HostMessage message(BREVIXC_MSG_CAPTURE);
    message.Put16(16, uint16_t(entry));
    message.Put32(18, uint32_t(entry));
    message.Put16(22, uint16_t(held));
    message.Put16(24, uint16_t(remaining));
    message.Put32(30, fresh);
    message.Send(kCaptureMessageLength);
}

size_t QueuedItems(int entry) {
    MutexHold hold;
    return CaptureQueue(entry).size();
}

// Whether the tester has sent everything an entry's upload can get: the counter poll saw the port's
// store empty. Entry 2 is fed by both ports: each that is uploading must have been seen empty.
// Entry 2 is fed by both ports: each that is uploading must have been seen empty, and one whose
// stop-next has not been answered yet has its frames still to come.
bool TesterEmptied(int entry) {
    if (entry != 2) return CaptureState(entry).deviceEmpty != 0;
    for (int port : {0, 1}) {
        const CapturePortState& state = CaptureState(port);
        if (state.awaitingCount || (!state.terminate && !state.deviceEmpty)) return false;
    }
    return true;
}

// Frames are forwarded one by one: each becomes a 0x0201 message whose record points at this
// thread's own block. The item is taken under "Mutex"; the callback runs after it is released.
void InstantUpload(int entry) {
    CapturePortState& state = CaptureState(entry);
    std::vector<uint8_t> block(kInstantBlock);
    uint32_t sent = 0;
    uint32_t sentAtReport = 0;
    DWORD lastReport = GetTickCount();
    while (!state.terminate) {
        while (!state.terminate) {
            QueuedFrame item;
            {
                MutexHold hold;
                std::deque<QueuedFrame>& queue = CaptureQueue(entry);
                if (queue.empty()) break;
                item = std::move(queue.front());
                queue.pop_front();
            }
            if (item.bytes.size() <= kWrapBytes) continue;
            const WrapFields fields = ReadWrap(item.bytes.data(), 1);
            BrevixC_PKTCAP_Content_S record;
            record.header0 = fields.stamp;
            record.wireLength = fields.wireLength;
            record.flags = (GetBig32(item.bytes.data() + 20) & 0xF0000000u) | (GetBig32(item.bytes.data() + 32) & 0x0FFFFFFFu);
            record.header3 = fields.extra;
            record.port = item.port;
            const size_t payload = item.bytes.size() - kWrapBytes;
            record.length = payload < kInstantBlock ? uint32_t(payload) : 0;
            if (!record.length) continue;
            std::memcpy(block.data(), item.bytes.data() + kWrapBytes, record.length);
            record.data = block.data();
            HostMessage message(BREVIXC_MSG_CAPTURE_FRAME);
            message.Put16(16, uint16_t(entry));
            std::memcpy(message.Bytes() + 18, &record, sizeof record);
            record.data = nullptr;  // the block is this thread's, not the record's
            ++sent;
            message.Send(kCaptureMessageLength);
        }
        BVT_Delay(10);
        if (TicksSince(lastReport) > kInstantReportMs) {
            SendReport(entry, uint32_t(QueuedItems(entry)), 0xFFFF, sent - sentAtReport);
            lastReport = GetTickCount();
            sentAtReport = sent;
        }
    }
    BVT_Delay(100);
    std::lock_guard<std::mutex> guard(CaptureQueueLock());
    state.terminate = 1;
    EndReading(entry);
}

// The upload takes every frame the queue holds before it pauses: a pause after each frame held it
// to fewer frames a second than the block requests bring in. It takes them several to a hold of
// "Mutex", since each wait for the named mutex and each release is a call to the system.
void BlockUpload(int entry) {
    CapturePortState& state = CaptureState(entry);
    const int32_t total = state.sizeLimit > 0 ? state.sizeLimit : state.deviceCount;
    ClearCaptureVector(entry);
    {
        // Room for every record at once: growing the vector as records come would copy every
        // record so far, bytes and all, while "Mutex" keeps the receive thread waiting.
        MutexHold hold;
        capture_buffer[entry].reserve(size_t(std::max<int32_t>(total, 0)));
    }
    Log("(API)(replyThread) Port:", entry, " capture_queue size = ", QueuedItems(entry));
    // Entry 2 follows Port A's jumbo bit: the tester chunks by each port's own control word.
    const bool jumbo = (CaptureControlImage(entry == 2 ? 0 : entry) & kJumboBit) != 0;
    state.jumbo = jumbo;
    BlockAssembly assembly(jumbo);
    DWORD lastReport = GetTickCount();
    int32_t takenAtReport = 0;
    int idlePeriods = 0;
    std::vector<BrevixC_PKTCAP_Content_S> finished;
    const auto store = [&] {
        // Called with "Mutex" held: the records join the vector whole, each handing over its bytes
        // rather than having them copied.
        for (auto& record : finished) AppendCaptureRecord(entry, record);
        finished.clear();
    };
    size_t held = 0;
    // Ends a report period. A period that brings nothing once the tester has sent all it held counts
    // towards the idle end; the second ends the upload, which asked for more than the tester holds
    // (a stop-next past its store, every jumbo upload). While the queue is dry a period reports only
    // what it brought: a report for each empty period would flood the host between blocks.
    const auto endPeriod = [&](bool itemTaken) {
        lastReport = GetTickCount();
        const int32_t fresh = assembly.Taken() > takenAtReport ? assembly.Taken() - takenAtReport : 0;
        if (fresh == 0 && assembly.Taken() > 0 && TesterEmptied(entry) && ++idlePeriods >= 2) state.terminate = 1;
        if (held > 0 && (itemTaken || fresh > 0))
            SendReport(entry, uint32_t(held), uint32_t(total - int32_t(held)), uint32_t(fresh));
        takenAtReport = assembly.Taken();
    };
    while (!state.terminate && assembly.Taken() < total) {
        while (!state.terminate && assembly.Taken() < total) {
            {
                MutexHold hold;
                std::deque<QueuedFrame>& queue = CaptureQueue(entry);
                if (queue.empty()) break;
                int taken = 0;
                do {
                    const QueuedFrame item = std::move(queue.front());
                    queue.pop_front();
                    assembly.Take(item.bytes, item.port, MachineId(), queue.empty(), finished);
                } while (++taken < kFramesPerHold && !queue.empty() && !state.terminate && assembly.Taken() < total);
                store();
                held = capture_buffer[entry].size();
            }
            if (TicksSince(lastReport) > kBlockReportMs) endPeriod(true);
        }
        // The queue ran dry: the periods go on, so that the idle end can come.
        if (TicksSince(lastReport) > kBlockReportMs) endPeriod(false);
        Sleep(10);
    }
    {
        MutexHold hold;
        assembly.Flush(finished);
        store();
        Log("BVT_ReplayPortClear in replyThread");
        BVT_ReplayPortClear(uint8_t(entry));
        state.reader = 0;
        std::deque<QueuedFrame>().swap(CaptureQueue(entry));
        state.frameCount = 0;
        held = capture_buffer[entry].size();
    }
    // The halt waits for its reply, so it goes after "Mutex" is released: the receive thread takes
    // that mutex for every captured frame. Entry 2 has no register block of its own: it halts the
    // ports that fed it and whose own upload has ended, never one still uploading (the halt would
    // cut that upload short) nor an idle one (whose capture may still be filling the tester).
    if (entry == 2) {
        for (uint8_t port : {0, 1}) {
            if (!CaptureState(port).terminate && !CaptureThreadRuns(port)) BVT_ReplayPortHalt(port);
        }
    } else {
        BVT_ReplayPortHalt(uint8_t(entry));
    }
    Log("(API)(replyThread)Port ", entry, " terminate = ", int(state.terminate), ", ref_cnt = ", assembly.Taken(),
        ", total_cnt = ", total, ", buf_size = ", held);
    Log("(API)(replyThread)Send Port ", entry, " capture report, BufferPos = ", held, ", RemainNumber = ",
        uint16_t(total - int32_t(held)));
    const int32_t fresh = int32_t(held) > takenAtReport ? int32_t(held) - takenAtReport : 0;
    SendReport(entry, uint32_t(held), uint32_t(total - int32_t(held)), uint32_t(fresh));
}

void CaptureThread(int entry) {
    Log("(API)(CaptureThread)Port-", entry);
    CapturePortState& state = CaptureState(entry);
    const int32_t count = state.sizeLimit > 0 ? state.sizeLimit : state.deviceCount;
    // Every block the port-queue worker asks for carries 20 frames (replay type 3), whatever type
    // the port was left at: the blocks are counted by that size, so that every frame is asked for.
    const int32_t blocks = BlocksFor(count, kBlockRequestType);
    Log("(API)(CaptureThread)n_block-", blocks);
    BVT_ReplayPortSetBlock(entry, blocks);
    PumpWait(10);
    if (IsInstant(entry)) {
        Log("(API)(CaptureThread)Create replyThread - Instant");
        InstantUpload(entry);
    } else {
        Log("(API)(CaptureThread)Create replyThread - Block");
        BlockUpload(entry);
    }
}

}  // namespace

bool CaptureThreadRuns(int entry) { return threads[entry].Running(); }

bool CreateCaptureThread(int entry) {
    if (entry < 0 || entry >= kCaptureEntries) return false;
    std::lock_guard<std::mutex> guard(threadGuard);
    if (threads[entry].Running()) return false;
    threads[entry].Join(0);  // the handle of one that has ended
    static const wchar_t* const kNames[kCaptureEntries] = {L"BrevixCAPI capture A", L"BrevixCAPI capture B",
                                                           L"BrevixCAPI capture A+B"};
    // An upload begins: its queue is read from now on, and whether the tester was seen empty is
    // the next upload's to find out, never a mark left by an earlier one.
    CapturePortState& state = CaptureState(entry);
    state.deviceEmpty = 0;
    state.reader = 1;
    if (threads[entry].Start(kNames[entry], [entry] { CaptureThread(entry); })) return true;
    EndReading(entry);
    return false;
}

void EndCaptureThreads(std::initializer_list<int> entries) {
    for (int entry : entries) CaptureState(entry).terminate = 1;
    for (int entry : entries) threads[entry].Join(2000);
}

bool JoinCaptureThreads(unsigned long timeoutMs) {
    bool ended = true;
    for (auto& thread : threads) ended = thread.Join(timeoutMs) && ended;
    return ended;
}

void StopCaptureForTerminate() {
    for (int entry = 0; entry < kCaptureEntries; ++entry) CaptureState(entry).terminate = 1;
    JoinCaptureThreads(2000);
}

void ResetCaptureThreads() {
    StopCaptureForTerminate();
    ResetCaptureSettings();
    ResetCaptureWords();
    ResetSdfrEnable();
}

}  // namespace capi
