// The counter poll: the read sequences of a poll round, the hooks that turn the replies into the
// statistics and rate blocks, and the clearing reads.

#include "counters/Counters.h"

#include "BrevixCAPI.h"
#include "capture/Capture.h"
#include "counters/CounterBlocks.h"
#include "counters/StreamCounters.h"
#include "identity/Identity.h"
#include "ports/PortMaps.h"
#include "protocol/RegisterMap.h"
#include "runtime/PumpWait.h"

#include <atomic>

namespace capi {
namespace {

// Written by BrevixC_SYS_Init and the capture calls, read by the pollers and the link request.
std::atomic<uint8_t> pollSelector{255};
// Written by the counter poller, read by anyone who waits for its next round.
std::atomic<uint32_t> pollRounds{0};

// Stop-next requests of the traffic hook (receive thread), one bit per port, carried out by the
// counter poller; with the size limit each was decided on.
std::atomic<uint8_t> stopNextDue{0};
std::atomic<int32_t> stopNextLimit[2] = {};

// Where each entry of counter block A (42 entries) and block B (first 12 entries) goes in the
// port's blocks, by byte offset; -1 for entries that are read and kept nowhere.
constexpr int kBlockASlots[42] = {
    0,   8,   16,  24,  32,  40,  48,  56,  64,  72,   // A 0-9
    80,  88,  96,  104, 112, 120, 128, 136, 144, 152,  // A 10-19
    -1,  160, 168, 176, 184, 192, -1,  -1,             // A 20-27
    200, 208, 216, 224, 232, 240, 248,                 // A 28-34
    312, 320,                                          // A 35-36
    256, 264, 272, 280, 288,                           // A 37-41
};
constexpr int kBlockBSlots[12] = {296, 304, 328, 336, 344, -1, -1, -1, 352, 360, 368, 376};

// The traffic register list's 64-bit counters (entries 2d, 2d + 1) and 32-bit rates (entries 16-19).
constexpr size_t kTrafficSlots[8] = {400, 384, 408, 416, 424, 432, 440, 448};
constexpr size_t kRateSlots[4] = {392, 396, 456, 460};
constexpr size_t kCaptureFullSlot = 464;
constexpr size_t kStatusSlot = 468;
constexpr uint32_t kCaptureStoreFull = 0xFFFF;


uint32_t CounterBase(uint8_t port) { return reg::Blocks().counterBlockA + PortOffset(port); }

uint32_t StatusRegister(uint8_t port) { return reg::Blocks().status + PortOffset(port); }

// A first-map Port A address of the counter bank, moved to the port and the machine's map.
uint32_t OnMap(uint32_t address, uint8_t port) {
    if ((address & 0xFF000000) != reg::kFirstMap.counterBlockA) return address + PortOffset(port);
    return address + (UsesSecondMap() ? reg::kCounterBankShift : 0) + PortOffset(port);
}

// Each 64-bit traffic counter is read as its low register followed by the high-word latch, which
// yields the high word latched by that read; the 32-bit counters follow, and the last entry is the
// port's capture block-count register.
void TrafficRegisterList(uint8_t port, uint32_t list[21]) {
    size_t n = 0;
    for (uint32_t address : reg::kTrafficCounters64) {
        list[n++] = OnMap(address, port);
        list[n++] = reg::kHighWordLatch;
    }
    for (uint32_t address : reg::kTrafficCounters32) list[n++] = OnMap(address, port);
    list[n] = OnMap(reg::kBlockCount, port);
}

void ReadTrafficRegisters(uint8_t port) {
    uint32_t list[21];
    TrafficRegisterList(port, list);
    BrevixT_GenR(21, list);
}

void PollPort(uint8_t port) {
    BrevixT_SeqR64(42, CounterBase(port));
    PumpWait(2);
    BrevixT_SeqR64(UsesSecondMap() ? 42 : 12, CounterBase(port) + 0xC0);
    PumpWait(2);
    ReadTrafficRegisters(port);
    PumpWait(2);
    const uint32_t status = StatusRegister(port);
    BrevixT_GenR(1, &status);
}

// The second map's two-port round reads both ports' blocks, then both register lists, then the
// two status registers; each status read is taken for its first register.
void PollBothPortsSecondMap() {
    for (uint8_t port : {0, 1}) {
        BrevixT_SeqR64(42, CounterBase(port));
        PumpWait(2);
        BrevixT_SeqR64(42, CounterBase(port) + 0xC0);
        PumpWait(2);
    }
    for (uint8_t port : {0, 1}) {
        ReadTrafficRegisters(port);
        PumpWait(2);
    }
    const uint32_t statusA[2] = {reg::kSecondMap.status, reg::kSecondMap.status + kPortStride};
    BrevixT_GenR(2, statusA);
    PumpWait(2);
    const uint32_t statusB[2] = {reg::kSecondMap.status + kPortStride, reg::kSecondMap.trafficRegisters};
    BrevixT_GenR(2, statusB);
    PumpWait(2);
}

void PollStreamPort(uint8_t port) {
    if (!BrevixT_SeqR64(128, TxStreamBase(port))) return;
    const RxStreamSettings rx = StreamCounters::Instance().Rx(port);
    if (rx.Counting()) {
        for (uint32_t block = 0; block < rx.blocks; ++block) {
            BrevixT_SeqR64(128, RxStreamBase(port) + block * 1024);
            PumpWait(5);
            BrevixT_SeqR64(128, RxStreamBase(port) + block * 1024 + 512);
            PumpWait(5);
        }
    }
    if (rx.VidLayout()) BrevixT_SeqR(128, VidStreamBase(port));
}

// The stop-next requests the traffic hook made since the last round. They send register commands
// and wait for replies, which the receive thread (where the hook runs) must not do. A request runs
// only while the port's capture still stops at its size limit: one made just before the upload
// began, or before the host cancelled or started anew, would otherwise stop the next capture.
void RunDueStopNext() {
    const uint8_t due = stopNextDue.exchange(0);
    for (uint8_t port : {0, 1}) {
        if ((due & (1 << port)) && CaptureProgress(port).mode == 2) BVT_StopCaptureNext(port, stopNextLimit[port]);
    }
}

// The value words of a reply: after the start address of a sequential reply, and in the value
// half of each pair of a general reply.
uint64_t Sequential64(const ReplyBody& body, size_t i) {
    return body.Word(4 + 8 * i) | uint64_t(body.Word(8 + 8 * i)) << 32;
}

uint32_t PairValue(const ReplyBody& body, size_t i) { return body.Word(8 * i + 4); }

void StoreBlock(uint8_t port, const ReplyBody& body, const int* slots, size_t entries, bool secondMap) {
    CounterBlocks::Instance().Update(port, [&](PortBlocks& blocks) {
        for (size_t i = 0; i < entries && body.Has(4 + 8 * i, 8); ++i) {
            if (slots[i] < 0) continue;
            // The second map has no dribble and alignment counters: their statistics read 0.
            if (secondMap && (i == 6 || i == 7)) {
                blocks.statistics.Put64(size_t(slots[i]), 0);
                continue;
            }
            blocks.Count(size_t(slots[i]), Sequential64(body, i));
        }
    });
}

// The capture side of the block-count register: for a capture that stops at a size limit, whether
// the tester holds enough, and whether the store is empty. Runs outside the port's counter lock:
// the capture layer takes locks of its own.
void CheckCaptureStore(uint8_t port, uint32_t blockCount, const PortCaptureProgress& capture) {
    if (capture.instant) return;
    const uint32_t held = blockCount >> 16;
    if (capture.mode == 2 && held != kCaptureStoreFull) {
        const bool enough = capture.sizeLimit == 0 ? held == Identity::Instance().Row().modelValue
                                                   : int64_t(held) >= capture.sizeLimit;
        if (enough) {
            stopNextLimit[port] = capture.sizeLimit;
            stopNextDue |= uint8_t(1 << port);
        }
    }
    if (!capture.idle && held == 0) MarkDeviceEmpty(port);
}

}  // namespace

uint8_t PollSelector() { return pollSelector; }

void SetPollSelector(uint8_t selector) { pollSelector = selector; }

void CountPollRound() { ++pollRounds; }

uint32_t PollRounds() { return pollRounds; }

void PollCounters() {
    const uint8_t selector = pollSelector;
    if (selector == 255 && UsesSecondMap()) {
        PollBothPortsSecondMap();
    } else if (selector == 255) {
        PollPort(0);
        PumpWait(2);
        PollPort(1);
    } else if (selector <= 1) {
        PollPort(selector);
    }
    RunDueStopNext();
}

void PollStreamCounters() {
    const uint8_t selector = pollSelector;
    for (uint8_t port : {0, 1}) {
        if (selector == 255 || selector == port) PollStreamPort(port);
    }
}

void ClearPortCounters(uint8_t port) {
    BrevixT_SeqR(42, reg::Blocks().counterClear + PortOffset(port));
    // The same counters at their clear-on-read addresses.
    uint32_t list[13];
    size_t n = 0;
    for (uint32_t address : reg::kTrafficCounters64) list[n++] = OnMap(address + reg::kClearOnRead, port);
    for (uint32_t address : reg::kTrafficCounters32) list[n++] = OnMap(address + reg::kClearOnRead, port);
    list[n] = OnMap(reg::kBlockCount, port);
    BrevixT_GenR(13, list);
}

int ClearPortStreamCounters(uint8_t port) {
    if (!BrevixT_SeqR(128, TxStreamClearBase(port))) return 0;
    const RxStreamSettings rx = StreamCounters::Instance().Rx(port);
    if (rx.Counting()) {
        for (uint32_t block = 0; block < rx.blocks; ++block) BrevixT_SeqR(256, RxStreamClearBase(port) + block * 1024);
        if (rx.VidLayout()) BrevixT_SeqR(128, VidStreamBase(port));
    }
    return 1;
}

void ClearStreamTables() { StreamCounters::Instance().ClearAll(); }

void ClearCounterBlocks() {
    CounterBlocks::Instance().ClearAll();
    StreamCounters::Instance().ClearAll();
    StreamCounters::Instance().ResetRx();
}

void OnCounterBlockA(uint8_t port, const ReplyBody& body) { StoreBlock(port, body, kBlockASlots, 42, UsesSecondMap()); }

void OnCounterBlockB(uint8_t port, const ReplyBody& body) { StoreBlock(port, body, kBlockBSlots, 12, false); }

void OnTrafficRegisters(uint8_t port, const ReplyBody& body) {
    if (!body.Has(0, 8 * 21)) return;
    const uint32_t blockCount = PairValue(body, 20);
    const PortCaptureProgress capture = CaptureProgress(port);
    CounterBlocks::Instance().Update(port, [&](PortBlocks& blocks) {
        for (size_t d = 0; d < 8; ++d) {
            blocks.Count(kTrafficSlots[d], PairValue(body, 2 * d) | uint64_t(PairValue(body, 2 * d + 1)) << 32);
        }
        for (size_t c = 0; c < 4; ++c) {
            blocks.statistics.Put32(kRateSlots[c], PairValue(body, 16 + c));
            blocks.rates.Put32(kRateSlots[c], PairValue(body, 16 + c));
        }
        // Whether the tester's capture store is full.
        const uint32_t held = blockCount >> 16;
        if (!capture.instant) blocks.rates.Put32(kCaptureFullSlot, held == kCaptureStoreFull ? kCaptureStoreFull : 0);
    });
    CheckCaptureStore(port, blockCount, capture);
}

// The status register is the last read of a port's poll: its reply completes the poll.
void OnStatusRegister(uint8_t port, const ReplyBody& body) {
    if (!body.Has(4, 4)) return;
    const uint32_t value = body.Word(4);
    CounterBlocks& counters = CounterBlocks::Instance();
    counters.Update(port, [&](PortBlocks& blocks) {
        const uint64_t old = blocks.statistics.Get64(kStatusSlot);
        blocks.rates.Put64(kStatusSlot, value > old ? value - old : 0);
        blocks.statistics.Put64(kStatusSlot, 0);
    });
    counters.Publish(port);
}

void OnTxStreamBlock(uint8_t port, const ReplyBody& body) { StreamCounters::Instance().OnTxBlock(port, body); }

void OnRxStreamBlock(uint8_t block, uint8_t port, const ReplyBody& body) {
    StreamCounters::Instance().OnRxBlock(block, port, body);
}

void OnVidStreamBlock(uint8_t, uint8_t port, const ReplyBody& body) { StreamCounters::Instance().OnVidBlock(port, body); }

}  // namespace capi
