// The counters and rates layer as far as the core needs it until that layer is complete: the poll
// selector, and the read sequences of the poll rounds and of the clearing at connection. The
// replies reach hooks that keep nothing yet; no Rx stream counting is ever switched on here, so
// the stream rounds read the Tx stream block only.

#include "Counters.h"

#include "BrevixCAPI.h"
#include "DeviceState.h"
#include "PumpWait.h"

#include <atomic>
#include <initializer_list>

namespace capi {
namespace {

// Written by BrevixC_SYS_Init and the capture calls, read by the pollers and the link request.
std::atomic<uint8_t> pollSelector{255};

constexpr uint32_t kPortOffset = 0x02000000;

bool SecondRegisterMap() { return MachineId() == 3 || MachineId() == 4; }

// Each 64-bit traffic counter is read as its low register followed by 0x4000002C, which yields
// the high word latched by that read; the last entry is the capture block-count register.
void TrafficRegisterList(uint8_t port, uint32_t list[21]) {
    static const uint32_t kPortA[21] = {0x42000200, 0x4000002C, 0x42000100, 0x4000002C, 0x42000204, 0x4000002C,
                                        0x42000208, 0x4000002C, 0x4200020C, 0x4000002C, 0x42000214, 0x4000002C,
                                        0x42000300, 0x4000002C, 0x42000304, 0x4000002C, 0x42000110, 0x42000114,
                                        0x42000310, 0x42000314, 0x41000028};
    const uint32_t mapShift = SecondRegisterMap() ? 0x00600000 : 0;
    for (int i = 0; i < 21; ++i) {
        uint32_t address = kPortA[i];
        if ((address & 0xFF000000) == 0x42000000) address += mapShift + port * kPortOffset;
        else if (address == 0x41000028) address += port * kPortOffset;
        list[i] = address;
    }
}

uint32_t CounterBase(uint8_t port) { return (SecondRegisterMap() ? 0x42600000 : 0x42000000) + port * kPortOffset; }

uint32_t StatusRegister(uint8_t port) { return (SecondRegisterMap() ? 0x426000F0 : 0x42000050) + port * kPortOffset; }

void PollPort(uint8_t port) {
    BrevixT_SeqR64(42, CounterBase(port));
    PumpWait(2);
    BrevixT_SeqR64(12, CounterBase(port) + 0xC0);
    PumpWait(2);
    uint32_t list[21];
    TrafficRegisterList(port, list);
    BrevixT_GenR(21, list);
    PumpWait(2);
    const uint32_t status = StatusRegister(port);
    BrevixT_GenR(1, &status);
}

void PollBothPortsSecondMap() {
    for (uint8_t port : {0, 1}) {
        BrevixT_SeqR64(42, CounterBase(port));
        PumpWait(2);
        BrevixT_SeqR64(42, CounterBase(port) + 0xC0);
        PumpWait(2);
    }
    for (uint8_t port : {0, 1}) {
        uint32_t list[21];
        TrafficRegisterList(port, list);
        BrevixT_GenR(21, list);
        PumpWait(2);
    }
    const uint32_t statusA[2] = {0x426000F0, 0x446000F0};
    BrevixT_GenR(2, statusA);
    PumpWait(2);
    const uint32_t statusB[2] = {0x446000F0, 0x42600200};
    BrevixT_GenR(2, statusB);
    PumpWait(2);
}

}  // namespace

uint8_t PollSelector() { return pollSelector; }

void SetPollSelector(uint8_t selector) { pollSelector = selector; }

void PollCounters() {
    const uint8_t selector = pollSelector;
    if (selector == 255 && SecondRegisterMap()) {
        PollBothPortsSecondMap();
    } else if (selector == 255) {
        PollPort(0);
        PumpWait(2);
        PollPort(1);
    } else if (selector <= 1) {
        PollPort(selector);
    }
}

void PollStreamCounters() {
    const uint8_t selector = pollSelector;
    const uint32_t txBase = SecondRegisterMap() ? 0x42400000 : 0x42300000;
    for (uint8_t port : {0, 1}) {
        if (selector == 255 || selector == port) BrevixT_SeqR64(128, txBase + port * kPortOffset);
    }
}

void ClearPortCounters(uint8_t port) {
    const uint32_t clearBase = SecondRegisterMap() ? 0x42680000 : 0x42040000;
    BrevixT_SeqR(42, clearBase + port * kPortOffset);
    static const uint32_t kClearA[13] = {0x42040200, 0x42040100, 0x42040204, 0x42040208, 0x4204020C,
                                         0x42040214, 0x42040300, 0x42040304, 0x42040110, 0x42040114,
                                         0x42040310, 0x42040314, 0x41000028};
    uint32_t list[13];
    for (int i = 0; i < 13; ++i) {
        uint32_t address = kClearA[i];
        if ((address & 0xFF000000) == 0x42000000 && SecondRegisterMap()) address += 0x00600000;
        list[i] = address + port * kPortOffset;
    }
    BrevixT_GenR(13, list);
}

int ClearPortStreamCounters(uint8_t port) {
    const uint32_t txClearBase = SecondRegisterMap() ? 0x42440000 : 0x42340000;
    return BrevixT_SeqR(128, txClearBase + port * kPortOffset) ? 1 : 0;
}

void ClearStreamTables() {}

void ClearCounterBlocks() {}

void OnCounterBlockA(uint8_t, const ReplyBody&) {}
void OnCounterBlockB(uint8_t, const ReplyBody&) {}
void OnTrafficRegisters(uint8_t, const ReplyBody&) {}
void OnStatusRegister(uint8_t, const ReplyBody&) {}
void OnTxStreamBlock(uint8_t, const ReplyBody&) {}
void OnRxStreamBlock(uint8_t, uint8_t, const ReplyBody&) {}
void OnVidStreamBlock(uint8_t, uint8_t, const ReplyBody&) {}

}  // namespace capi
