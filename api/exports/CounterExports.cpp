// Counters and rates: copies of the blocks the poller keeps, the clearing calls, the 1 ms reads
// and the stream counters.

#include "BrevixCCounters.h"
#include "counters/CounterBlocks.h"
#include "counters/Counters.h"
#include "counters/StreamCounters.h"
#include "exports/ExportGuard.h"
#include "ports/PortMaps.h"
#include "protocol/RegisterMap.h"
#include "runtime/PumpWait.h"

#include <cstring>

using capi::PortsOf;
using capi::StreamCounters;

namespace {

// A stream clear: the clearing reads of each port, then its table.
template <typename Clear>
int ForPorts(uint8_t port, Clear clear) {
    const capi::PortList ports = PortsOf(port);
    if (ports.empty()) return 0;
    for (uint8_t p : ports) clear(p);
    return 1;
}

void ReadRxStreamClearBlocks(uint8_t port) {
    for (uint32_t k = 0; k < 4; ++k) BrevixT_SeqR(256, capi::RxStreamClearBase(port) + k * 1024);
}

// The 1 ms registers of the port's counter bank.
int ReadMsRegister(uint8_t port, uint32_t firstMap, uint32_t secondMap, uint32_t count) {
    for (uint8_t p : PortsOf(port)) {
        BrevixT_SeqR(count, (capi::UsesSecondMap() ? secondMap : firstMap) + capi::PortOffset(p));
    }
    return 1;
}

}  // namespace

extern "C" int __stdcall BrevixC_ReadCounterStatistics(uint8_t port, void* statistics) {
    return capi::Guarded("BrevixC_ReadCounterStatistics", 0, [&]() -> int {
        if (port > 1 || !statistics) return 0;
        capi::CounterBlocks::Instance().CopyStatistics(port, statistics);
        return 1;
    });
}

extern "C" int __stdcall BrevixC_ReadCounterRate(uint8_t port, void* rates) {
    return capi::Guarded("BrevixC_ReadCounterRate", 0, [&]() -> int {
        if (port > 1 || !rates) return 0;
        capi::CounterBlocks::Instance().CopyRates(port, rates);
        return 1;
    });
}

extern "C" uint32_t __stdcall BrevixC_ReadCounterPollRounds() {
    return capi::Guarded("BrevixC_ReadCounterPollRounds", uint32_t(0), [] { return capi::PollRounds(); });
}

extern "C" int __stdcall BrevixC_ClearCounterStatistics(uint8_t port) {
    return capi::Guarded("BrevixC_ClearCounterStatistics", 0, [&]() -> int {
        return ForPorts(port, [](uint8_t p) {
            capi::ClearPortCounters(p);
            capi::CounterBlocks::Instance().ClearStatistics(p);
        });
    });
}

uint16_t __stdcall BrevixC_ReadCounterStatistics(BrevixC_Inner_Counter_T* record) {
    return capi::Guarded("BrevixC_ReadCounterStatistics", uint16_t(0), [&]() -> uint16_t {
        if (!record) return 0;
        // Nothing fills the inner counters: the tester keeps none the library reads.
        std::memset(record, 0, sizeof *record);
        return 1;
    });
}

uint16_t __stdcall BrevixC_ClearCounterStatistics() {
    return capi::Guarded("BrevixC_ClearCounterStatistics", uint16_t(0), [&]() -> uint16_t {
        const uint32_t pair[2] = {capi::reg::kHostSwitch, 0x80000000};
        return static_cast<uint16_t>(BVT_GenW(1, pair));
    });
}

extern "C" int __stdcall BrevixC_ReadMsByteRate(uint8_t port) {
    return capi::Guarded("BrevixC_ReadMsByteRate", 0, [&]() -> int {
        return ReadMsRegister(port, capi::reg::kFirstMap.byteRate1ms, capi::reg::kSecondMap.byteRate1ms, 1);
    });
}

extern "C" int __stdcall BrevixC_ReadMsPktRate(uint8_t port) {
    return capi::Guarded("BrevixC_ReadMsPktRate", 0, [&]() -> int {
        return ReadMsRegister(port, capi::reg::kFirstMap.packetRate1ms, capi::reg::kSecondMap.packetRate1ms, 1);
    });
}

// The counter stack has one address on both maps.
extern "C" int __stdcall BrevixC_ReadMsCounterStack(uint8_t port) {
    return capi::Guarded("BrevixC_ReadMsCounterStack", 0, [&]() -> int {
        return ReadMsRegister(port, capi::reg::kFirstMap.stackCounter1ms, capi::reg::kSecondMap.stackCounter1ms, 256);
    });
}

extern "C" int __stdcall BrevixC_SetRxStreamCounterStatistics(BrevixC_RxStreamConfig_T config) {
    return capi::Guarded("BrevixC_SetRxStreamCounterStatistics", 0, [&]() -> int {
        const capi::PortList ports = capi::PortsOfWord(config.port);
        if (ports.empty()) return 0;
        for (uint8_t p : ports) {
            if (!StreamCounters::Instance().Configure(p, config)) return 0;
        }
        return 1;
    });
}

extern "C" int __stdcall BrevixC_ReadTXStreamCounterStatistics(uint8_t port, uint16_t stream, void* record) {
    return capi::Guarded("BrevixC_ReadTXStreamCounterStatistics", 0, [&]() -> int {
        if (port > 1 || stream >= StreamCounters::kTxStreams || !record) return 0;
        StreamCounters::Instance().CopyTx(port, stream, record);
        return 1;
    });
}

extern "C" int __stdcall BrevixC_ReadRXStreamCounterStatistics(uint8_t port, uint16_t stream, void* record) {
    return capi::Guarded("BrevixC_ReadRXStreamCounterStatistics", 0, [&]() -> int {
        if (port > 1 || stream >= StreamCounters::kRxStreams || !record) return 0;
        StreamCounters::Instance().CopyRx(port, stream, record);
        return 1;
    });
}

extern "C" uint16_t __stdcall BrevixC_ReadVIDStreamCounterStatistics(uint8_t port, uint16_t index,
                                                                      BrevixC_RXVID_Report_T* record) {
    if (port > 1 || index >= StreamCounters::kRxStreams || !record) return 0;
    StreamCounters::Instance().CopyVid(port, index, record);
    return 1;
}

extern "C" int __stdcall BrevixC_ClearStreamCounterStatistics(uint8_t port) {
    return capi::Guarded("BrevixC_ClearStreamCounterStatistics", 0, [&]() -> int {
        const capi::PortList ports = PortsOf(port);
        if (ports.empty()) return 0;
        for (uint8_t p : ports) capi::ClearPortStreamCounters(p);
        capi::PumpWait(500);
        for (uint8_t p : ports) {
            StreamCounters::Instance().ClearTx(p);
            StreamCounters::Instance().ClearRx(p);
            StreamCounters::Instance().ClearVid(p);
        }
        return 1;
    });
}

extern "C" int __stdcall BrevixC_ClearTxStreamCounterStatistics(uint8_t port) {
    return capi::Guarded("BrevixC_ClearTxStreamCounterStatistics", 0, [&]() -> int {
        return ForPorts(port, [](uint8_t p) {
            BrevixT_SeqR(128, capi::TxStreamClearBase(p));
            StreamCounters::Instance().ClearTx(p);
        });
    });
}

extern "C" int __stdcall BrevixC_ClearRxStreamCounterStatistics(uint8_t port) {
    return capi::Guarded("BrevixC_ClearRxStreamCounterStatistics", 0, [&]() -> int {
        return ForPorts(port, [](uint8_t p) {
            ReadRxStreamClearBlocks(p);
            StreamCounters::Instance().ClearRx(p);
        });
    });
}

extern "C" int __stdcall BrevixC_ClearVIDStreamCounterStatistics(uint8_t port) {
    return capi::Guarded("BrevixC_ClearVIDStreamCounterStatistics", 0, [&]() -> int {
        return ForPorts(port, [](uint8_t p) {
            ReadRxStreamClearBlocks(p);
            StreamCounters::Instance().ClearVid(p);
        });
    });
}
