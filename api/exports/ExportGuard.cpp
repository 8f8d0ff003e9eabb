#include "exports/ExportGuard.h"

#include "runtime/DebugStream.h"

namespace capi {

void LogExportFailure(const char* exportName, const char* what) noexcept {
    try {
        Log("(API)(", exportName, ") failed: ", what);
    } catch (...) {
        // Out of memory for the line itself: the failure result is all the host gets.
    }
}

}  // namespace capi
