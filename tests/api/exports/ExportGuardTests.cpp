// No C++ exception leaves an export: an allocation that fails inside one gives the export's
// failure result. This program's allocator can be told to fail, and the static library uses it.

#include "BrevixCAPI.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> failAllocations{false};

}  // namespace

// The replacements pair malloc with free; the compiler cannot see that they replace each other.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
    if (failAllocations) throw std::bad_alloc();
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept { std::free(block); }

void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace {

TEST(ExportGuardTest, AnAllocationThatFailsInDetectionGivesTheFailureResult) {
    char model[21] = {};
    int result = -1;
    failAllocations = true;
    try {
        result = BrevixC_SYS_DetectBrevixCDevice(model);
    } catch (...) {
        failAllocations = false;
        FAIL() << "an exception left the export";
    }
    failAllocations = false;
    EXPECT_EQ(result, 0);
}

}  // namespace
