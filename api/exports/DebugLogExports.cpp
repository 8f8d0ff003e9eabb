// The debug log: BrevixC_SYS_OpenDebugLog shows the library's trace lines in a console window,
// BrevixC_SYS_CloseDebugLog discards them again.

#include "BrevixCAPI.h"
#include "exports/ExportGuard.h"
#include "runtime/DebugStream.h"

extern "C" int __stdcall BrevixC_SYS_OpenDebugLog() {
    return capi::Guarded("BrevixC_SYS_OpenDebugLog", 0, [&]() -> int {
        capi::LibraryLog().Open();
        return 1;
    });
}

extern "C" int __stdcall BrevixC_SYS_CloseDebugLog() {
    return capi::Guarded("BrevixC_SYS_CloseDebugLog", 0, [&]() -> int {
        capi::LibraryLog().Close();
        return 1;
    });
}
