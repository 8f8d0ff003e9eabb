// Network tests and the host responder's set-up.

#include "BrevixCNetwork.h"
#include "exports/ExportGuard.h"
#include "responder/NetworkTests.h"

extern "C" int __stdcall BrevixC_StartAutoReply(BrevixC_AutoReply_T record) {
    return capi::Guarded("BrevixC_StartAutoReply", 0, [&]() -> int { return capi::StartAutoReply(record); });
}

extern "C" int __stdcall BrevixC_StopAutoReply(uint8_t port, uint32_t entry) {
    return capi::Guarded("BrevixC_StopAutoReply", 0, [&]() -> int { return capi::StopAutoReply(port, entry); });
}

extern "C" int __stdcall BrevixC_StartPing(BrevixC_Ping_T record) {
    return capi::Guarded("BrevixC_StartPing", 0, [&]() -> int { return capi::StartPing(record); });
}

// Both names stand for one operation that sends nothing.
extern "C" int __stdcall BrevixC_TxPing(BrevixC_Ping_T) { return 1; }

extern "C" int __stdcall BrevixC_TxARP(BrevixC_Ping_T) { return 1; }

extern "C" int __stdcall BrevixC_AutoGetIPv4(uint8_t port, uint8_t entry, uint8_t waitSeconds) {
    return capi::Guarded("BrevixC_AutoGetIPv4", 0,
                         [&]() -> int { return capi::AutoGetIPv4(port, entry, waitSeconds); });
}

extern "C" int __stdcall BrevixC_RouterTest(BrevixC_RouterTest_T* record) {
    return capi::Guarded("BrevixC_RouterTest", 0, [&]() -> int { return record ? capi::RouterTest(*record) : 0; });
}
