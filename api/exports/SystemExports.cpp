// Start, detection, connection and shutdown: BrevixC_SYS_Init, BrevixC_SYS_DetectBrevixCDevice,
// BrevixC_SYS_GetAdapterName, BrevixC_SYS_ConnectToBrevixCDevice, BrevixC_SYS_TerminateProcess.

#include "BrevixCAPI.h"
#include "capture/Capture.h"
#include "connection/Connection.h"
#include "counters/Counters.h"
#include "exports/ExportGuard.h"
#include "identity/EepromAccess.h"
#include "identity/Identity.h"
#include "link/Detection.h"
#include "ports/LinkReports.h"
#include "runtime/DebugStream.h"
#include "runtime/HostMessages.h"
#include "runtime/NamedObjects.h"
#include "usb/Usb.h"

#include <initializer_list>

// The second argument is accepted for compatibility; the library does not use it.
extern "C" int __stdcall BrevixC_SYS_Init(BrevixC_HostCallback callback, int32_t) {
    return capi::Guarded("BrevixC_SYS_Init", 0, [&]() -> int {
        capi::SetHostCallback(callback);
        capi::EepromState::Instance().Reset();
        // A running connection ends: its threads would otherwise serve a library that starts over.
        if (capi::Connection::Instance().Connected()) capi::Connection::Instance().Terminate();
        for (uint8_t port : {0, 1}) {
            capi::ResetEntry(port);
            capi::Log("BVT_ReplayPortClear in Init");
            capi::BVT_ReplayPortClear(port);
        }
        capi::SetPollSelector(255);
        capi::Identity::Instance().Reset();
        capi::ClearStreamTables();
        capi::ResetCaptureThreads();
        if (capi::ProbeUsbUnit()) capi::Identity::Instance().SetUsbUnit();
        for (auto& code : capi::Links().multiGigCode) code = 13;
        return capi::CreateNamedEvents();
    });
}

extern "C" int __stdcall BrevixC_SYS_DetectBrevixCDevice(char* modelName) {
    return capi::Guarded("BrevixC_SYS_DetectBrevixCDevice", 0, [&]() -> int {
        return capi::Detection::Instance().Detect(modelName);
    });
}

extern "C" int __stdcall BrevixC_SYS_GetAdapterName(char* name) {
    return capi::Guarded("BrevixC_SYS_GetAdapterName", 0, [&]() -> int {
        return capi::Detection::Instance().GetAdapterName(name);
    });
}

extern "C" int __stdcall BrevixC_SYS_ConnectToBrevixCDevice() {
    return capi::Guarded("BrevixC_SYS_ConnectToBrevixCDevice", 0, [&]() -> int {
        return capi::Connection::Instance().Connect();
    });
}

extern "C" int __stdcall BrevixC_SYS_TerminateProcess() {
    return capi::Guarded("BrevixC_SYS_TerminateProcess", 0, [&]() -> int {
        capi::EndUsbDownload();
        capi::Connection::Instance().Terminate();
        return 1;
    });
}
