// Tx stream tables and traffic generation.

#include "BrevixCTx.h"
#include "connection/DeviceMode.h"
#include "exports/ExportGuard.h"
#include "ports/PortMaps.h"
#include "runtime/DebugStream.h"
#include "tx/TxControl.h"

using capi::PortsOf;

namespace {

bool Generating() { return capi::DeviceModeNow() == capi::kPacketGeneratorMode; }

// A command to port 0, 1 or 255 in packet-generator operation.
int Command(uint8_t port, capi::TxCommand command) {
    if (!Generating() || PortsOf(port).empty()) return 0;
    return capi::SendTxCommand(port, command);
}

}  // namespace

extern "C" uint16_t __stdcall BrevixC_FillTxPkt_Addentry(BrevixC_TxEntry_T entry) {
    return capi::Guarded("BrevixC_FillTxPkt_Addentry", uint16_t(0), [&]() -> uint16_t {
        const capi::PortList ports = capi::PortsOfWord(entry.port);
        if (!Generating() || ports.empty() || entry.entry >= capi::kTxEntries) return 0;
        uint16_t result = 1;
        for (uint8_t p : ports) {
            if (!capi::WriteTxEntry(p, entry)) result = 0;
        }
        return result;
    });
}

extern "C" bool __stdcall BrevixC_FillTxPkt_ModifyEntry(BrevixC_TxModify_T modify) {
    return capi::Guarded("BrevixC_FillTxPkt_ModifyEntry", false, [&]() -> bool {
        const capi::PortList ports = capi::PortsOfWord(modify.port);
        if (!Generating() || ports.empty()) return false;
        for (uint8_t p : ports) {
            if (!capi::ModifyTxEntries(p, modify)) return false;
        }
        return true;
    });
}

extern "C" int __stdcall BrevixC_FillTxPkt_TxConfig(uint8_t port, uint32_t w1, uint32_t w2, uint32_t w3, uint32_t w4,
                                                    uint32_t gapHigh, uint32_t gapLow, uint32_t) {
    const capi::PortList ports = PortsOf(port);
    if (!Generating() || ports.empty()) return 0;
    for (uint8_t p : ports) {
        if (!capi::ConfigureTx(p, w1, w2, w3, w4, gapHigh, gapLow)) return 0;
    }
    return 1;
}

extern "C" int __stdcall BrevixC_StartTxConfig(uint32_t port, uint32_t mode, uint32_t count, uint32_t amount, uint32_t) {
    return capi::Guarded("BrevixC_StartTxConfig", 0, [&]() -> int {
        if (!Generating() || port > 1) return 0;
        return capi::WriteRunParameters(uint8_t(port), mode, count, amount);
    });
}

extern "C" int __stdcall BrevixC_StartTxPkt(uint32_t port, uint32_t mode, uint32_t count, uint32_t amount, uint32_t) {
    return capi::Guarded("BrevixC_StartTxPkt", 0, [&]() -> int {
        if (!Generating() || PortsOf(port).empty()) return 0;
        if (port != 255) {
            capi::Log("(API)(StartTx) Port:", port, ", Tx = ", amount);
            if (!capi::WriteRunParameters(uint8_t(port), mode, count, amount)) return 0;
        }
        return capi::SendTxCommand(uint8_t(port), capi::kTxStart);
    });
}

extern "C" int __stdcall BrevixC_StopTxPkt(uint8_t port) {
    return capi::Guarded("BrevixC_StopTxPkt", 0, [&]() -> int {
        return Command(port, capi::kTxStop);
    });
}

extern "C" int __stdcall BrevixC_PauseTxPkt(uint8_t port) {
    return capi::Guarded("BrevixC_PauseTxPkt", 0, [&]() -> int {
        return Command(port, capi::kTxPause);
    });
}

extern "C" int __stdcall BrevixC_ResumeTxPkt(uint8_t port) {
    return capi::Guarded("BrevixC_ResumeTxPkt", 0, [&]() -> int {
        return Command(port, capi::kTxResume);
    });
}

extern "C" int __stdcall BrevixC_SetTxGap(uint32_t gap) {
    return capi::Guarded("BrevixC_SetTxGap", 0, [&]() -> int {
        return capi::SetTxGap(gap);
    });
}

extern "C" int __stdcall BrevixC_TinyGAP(uint8_t port, uint8_t enable) {
    return capi::Guarded("BrevixC_TinyGAP", 0, [&]() -> int {
        return capi::SetTinyGap(port, enable);
    });
}

extern "C" int __stdcall BrevixC_EnableTxSend(uint8_t port, uint8_t enable, uint32_t, uint32_t, uint32_t) {
    return capi::Guarded("BrevixC_EnableTxSend", 0, [&]() -> int {
        return capi::SetHostSend(port, enable);
    });
}

extern "C" int __stdcall BrevixC_TxSend(uint8_t port, const uint8_t* frame, uint32_t length) {
    return capi::Guarded("BrevixC_TxSend", 0, [&]() -> int {
        return capi::SendHostFrame(port, frame, length);
    });
}
