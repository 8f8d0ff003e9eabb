// Connects and terminates, and reconnects without terminating, many times over against the
// simulated tester while the counter and PHY pollers run: the process's threads, handles and
// private memory are counted before and after, and every register call is still answered.
//
// BREVIX_SOAK_CYCLES sets the number of cycles of each kind (10 when unset; scripts/soak runs 100).

#include "BrevixCPorts.h"
#include "TesterBench.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>

namespace {

// Host messages are dropped: a recorder would grow with every message and hide a leak.
void __stdcall IgnoreMessage(const uint8_t*, int32_t, uint32_t, uint32_t) {}

int Cycles() {
    const char* text = std::getenv("BREVIX_SOAK_CYCLES");
    const int cycles = text ? std::atoi(text) : 0;
    return cycles > 0 ? cycles : 10;
}

struct Usage {
    int threads = 0;
    DWORD handles = 0;
    size_t privateBytes = 0;
};

// Wine counts neither a process's handles nor its private bytes in the calls made for them: the
// handles are found by asking the handle table about every slot, the private bytes are the
// committed bytes when the private count is missing.
DWORD CountHandles() {
    DWORD handles = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &handles) && handles != 0) return handles;
    DWORD flags = 0;
    for (uintptr_t slot = 4; slot < 0x10000; slot += 4) {
        handles += GetHandleInformation(reinterpret_cast<HANDLE>(slot), &flags) ? 1 : 0;
    }
    return handles;
}

size_t PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory) &&
        memory.PrivateUsage != 0) {
        return memory.PrivateUsage;
    }
    PROCESS_MEMORY_COUNTERS plain = {};
    plain.cb = sizeof plain;
    GetProcessMemoryInfo(GetCurrentProcess(), &plain, sizeof plain);
    return plain.PagefileUsage;
}

Usage Measure() {
    Usage usage;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++usage.threads;
    }
    CloseHandle(snapshot);
    usage.handles = CountHandles();
    usage.privateBytes = PrivateBytes();
    return usage;
}

class Soak : public TesterBench {
protected:
    void SetUp() override {
        TesterBench::SetUp();
        ASSERT_EQ(BrevixC_SYS_Init(IgnoreMessage, 0), 1);
    }

    // Connects, with every register call answered and the pollers running.
    void ConnectAndUse(uint32_t value) {
        ASSERT_EQ(Detect(), 1);
        ASSERT_EQ(BrevixC_SYS_ConnectToBrevixCDevice(), 1);
        ASSERT_EQ(CountLibraryThreads(L"BrevixCAPI"), 5) << "receive, port queue, adapter watch and two pollers";
        tester_->Registers().Set(0x41000004, value);
        // A read gives up after a few milliseconds without its reply, which a loaded machine can
        // take: the call is answered when one of its tries is.
        ASSERT_TRUE(support::Eventually([value] {
            uint32_t read = 0;
            return BVT_Read(0x41000004, &read) == 1 && read == value;
        }));
        ASSERT_EQ(BrevixC_GetLinkStatus(), 1);
    }
};

// Growth that still counts as noise: the heap grows in chunks, and the allocator and Wine keep
// some memory and a handle or two of their own across calls. A leak of a few KiB a cycle shows
// over the long soak's hundred cycles.
constexpr size_t kPrivateBytesSlack = 512 * 1024;
constexpr size_t kPrivateBytesPerCycle = 4 * 1024;
constexpr DWORD kHandleSlack = 8;

void ExpectNothingGrew(const Usage& before, const Usage& after, int cycles) {
    std::printf("threads %d -> %d, handles %lu -> %lu, private memory %zu -> %zu KiB over %d cycles\n",
                before.threads, after.threads, static_cast<unsigned long>(before.handles),
                static_cast<unsigned long>(after.handles), before.privateBytes / 1024, after.privateBytes / 1024,
                cycles);
    ASSERT_GT(before.handles, 0u) << "handles are counted";
    ASSERT_GT(before.privateBytes, 0u) << "private memory is counted";
    EXPECT_EQ(after.threads, before.threads);
    EXPECT_LE(after.handles, before.handles + kHandleSlack);
    EXPECT_LE(after.privateBytes, before.privateBytes + kPrivateBytesSlack + cycles * kPrivateBytesPerCycle);
}

TEST_F(Soak, ConnectAndTerminateCyclesLeakNothing) {
    // The first connection sets up what the library keeps for good (its adapters, the capture
    // library); the count starts after it.
    ConnectAndUse(1);
    ASSERT_EQ(BrevixC_SYS_TerminateProcess(), 1);
    ASSERT_EQ(BrevixC_SYS_Init(IgnoreMessage, 0), 1);
    const Usage before = Measure();
    const int cycles = Cycles();
    for (int cycle = 0; cycle < cycles; ++cycle) {
        ConnectAndUse(0x1000 + cycle);
        ASSERT_EQ(BrevixC_SYS_TerminateProcess(), 1);
        ASSERT_EQ(CountLibraryThreads(L"BrevixCAPI"), 0) << "cycle " << cycle;
        ASSERT_EQ(BrevixC_SYS_Init(IgnoreMessage, 0), 1);
    }
    ExpectNothingGrew(before, Measure(), cycles);
}

TEST_F(Soak, ReconnectsWithoutTerminateLeakNothing) {
    ConnectAndUse(1);
    const Usage before = Measure();
    const int cycles = Cycles();
    for (int cycle = 0; cycle < cycles; ++cycle) ConnectAndUse(0x2000 + cycle);
    ExpectNothingGrew(before, Measure(), cycles);
}

}  // namespace
