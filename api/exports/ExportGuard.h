#pragma once
// No C++ exception leaves the library: each export runs its body through Guarded, which turns an
// exception (an allocation that failed in connect or detection, say) into the export's failure
// result and one debug log line naming the export.

#include <exception>

namespace capi {

// The log line of a body that threw; itself never throws.
void LogExportFailure(const char* exportName, const char* what) noexcept;

template <typename Result, typename Body>
Result Guarded(const char* exportName, Result failure, Body&& body) noexcept {
    try {
        return body();
    } catch (const std::exception& e) {
        LogExportFailure(exportName, e.what());
    } catch (...) {
        LogExportFailure(exportName, "unknown exception");
    }
    return failure;
}

template <typename Body>
void Guarded(const char* exportName, Body&& body) noexcept {
    try {
        body();
    } catch (const std::exception& e) {
        LogExportFailure(exportName, e.what());
    } catch (...) {
        LogExportFailure(exportName, "unknown exception");
    }
}

}  // namespace capi
