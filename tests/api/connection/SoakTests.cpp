// Connects and terminates, and reconnects without terminating, many times over against the
// simulated tester while the counter and PHY pollers run, both ports transmit, one port's capture
// is uploaded and the other forwards each frame it captures: the process's threads, handles and
// private memory are counted before and after, as are the blocks and bytes in use on the process's
// heaps, and every register call is still answered.
//
// BREVIX_SOAK_CYCLES sets the number of cycles of each kind (10 when unset; scripts/soak runs 100).

#include "BrevixCCapture.h"
#include "BrevixCPorts.h"
#include "BrevixCTx.h"
#include "TesterBench.h"
#include "sim/CaptureEngine.h"
#include "sim/CounterBanks.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// Host messages are counted, not kept: a recorder would grow with every message and hide a leak.
// Only the frames an instant capture forwards are counted.
std::atomic<size_t> forwardedFrames{0};
constexpr uint16_t kForwardedFrame = 0x0201;

void __stdcall CountForwardedFrames(const uint8_t* message, int32_t length, uint32_t, uint32_t) {
    if (length >= 16 && uint16_t(message[14] << 8 | message[15]) == kForwardedFrame) ++forwardedFrames;
}

int Cycles() {
    const char* text = std::getenv("BREVIX_SOAK_CYCLES");
    const int cycles = text ? std::atoi(text) : 0;
    return cycles > 0 ? cycles : 10;
}

struct Usage {
    int threads = 0;
    DWORD handles = 0;
    size_t privateBytes = 0;
    size_t heapBlocks = 0;  // blocks in use on every heap of the process
    size_t heapBytes = 0;
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

// The committed size of a heap grows in steps and stays, however much of it is free again; what
// is in use on it comes back to its value when everything a cycle allocated has been freed.
void CountHeapUse(Usage& usage) {
    std::vector<HANDLE> heaps(64);
    DWORD count = GetProcessHeaps(DWORD(heaps.size()), heaps.data());
    if (count > heaps.size()) {
        heaps.resize(count + 16);
        count = GetProcessHeaps(DWORD(heaps.size()), heaps.data());
    }
    heaps.resize(count < heaps.size() ? count : heaps.size());
    for (HANDLE heap : heaps) {
        if (!HeapLock(heap)) continue;
        PROCESS_HEAP_ENTRY entry = {};
        while (HeapWalk(heap, &entry)) {
            if (!(entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)) continue;
            ++usage.heapBlocks;
            usage.heapBytes += entry.cbData;
        }
        HeapUnlock(heap);
    }
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
    CountHeapUse(usage);
    return usage;
}

// Each cycle's traffic: frames a second on each port while its Tx runs, frames captured.
constexpr double kTxFramesPerSecond = 148809;
constexpr uint32_t kUploadedFrames = 100;
constexpr uint32_t kForwardedFrames = 10;

class Soak : public TesterBench {
protected:
    void SetUp() override {
        TesterBench::SetUp();
        counters_ = std::make_unique<sim::CounterBanks>(*tester_, sim::RegisterMap::First);
        engine_ = std::make_unique<sim::CaptureEngine>(*tester_, 1);
        for (int port : {0, 1}) counters_->SetTraffic(port, kTxFramesPerSecond, 64);
        ASSERT_EQ(BrevixC_SYS_Init(CountForwardedFrames, 0), 1);
    }
    void TearDown() override {
        TesterBench::TearDown();
        engine_.reset();
        counters_.reset();
    }

    // Both ports transmit; Port A captures frames and uploads them in blocks, Port B forwards
    // each frame it captures at once. Tx and Port B's capture are left running for what follows
    // (a terminate, or a connect over the running connection).
    void RunTraffic(uint32_t cycle) {
        ASSERT_EQ(BrevixC_SYS_ChangeToPGMode(), 1);
        ASSERT_EQ(BrevixC_StartTxPkt(255, 0, 0, 0, 0), 1);
        ASSERT_TRUE(support::Eventually([this] { return counters_->Transmitting(0) && counters_->Transmitting(1); }));

        ASSERT_EQ(BrevixC_StartRxCapture(1, 1, 0), 1);
        ASSERT_TRUE(support::Eventually([this] { return engine_->Running(1); }));
        const size_t forwarded = forwardedFrames;
        engine_->ReceiveNumbered(1, cycle, kForwardedFrames, 80);
        ASSERT_TRUE(support::Eventually([&] { return forwardedFrames == forwarded + kForwardedFrames; }))
            << "cycle " << cycle << ": " << forwardedFrames - forwarded << " frames forwarded";

        ASSERT_EQ(BrevixC_StartRxCapture(0, 0, kUploadedFrames), 1);
        ASSERT_TRUE(support::Eventually([this] { return engine_->Running(0); }));
        engine_->ReceiveNumbered(0, cycle * kUploadedFrames, kUploadedFrames, 64);
        ASSERT_EQ(BrevixC_StopRxCaptureNext(0, kUploadedFrames), 1);
        BrevixC_CaptureVector copy;
        ASSERT_TRUE(support::Eventually(
            [&] { return BrevixC_CopyCaptureBuffer(0, copy) && copy.size() == kUploadedFrames; }))
            << "cycle " << cycle;
        const uint8_t* first = copy.front().data;
        EXPECT_EQ(uint32_t(first[0] << 24 | first[1] << 16 | first[2] << 8 | first[3]), cycle * kUploadedFrames)
            << "this cycle's frames";
        // The upload's thread ends after the records are in place: the counts are taken with it gone.
        ASSERT_TRUE(support::Eventually([] { return CountLibraryThreads(L"BrevixCAPI capture A") == 0; }));
    }

    // Connects, with every register call answered and the pollers running. The simulated tester
    // keeps every frame it hears in its log, in this same process: the soak reads none of it, and
    // it is emptied at each cycle's start so that only the library's memory is counted.
    void ConnectAndUse(uint32_t value) {
        tester_->ClearLog();
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

    // The counts, with the simulated tester's log emptied first.
    Usage Count() {
        tester_->ClearLog();
        return Measure();
    }

    std::unique_ptr<sim::CounterBanks> counters_;
    std::unique_ptr<sim::CaptureEngine> engine_;
};

// Growth that still counts as noise: the heap grows in chunks, and the allocator and Wine keep
// some memory and a handle or two of their own across calls. A leak of a few KiB a cycle shows
// over the long soak's hundred cycles.
constexpr size_t kPrivateBytesSlack = 512 * 1024;
constexpr size_t kPrivateBytesPerCycle = 4 * 1024;
constexpr DWORD kHandleSlack = 8;
// What is in use on the heaps comes back to its value after each cycle but for the odd block a
// library thread or the simulated tester holds for a moment: no allowance a cycle.
constexpr size_t kHeapBytesSlack = 32 * 1024;
constexpr size_t kHeapBlocksSlack = 64;

void ExpectNothingGrew(const Usage& before, const Usage& after, int cycles) {
    std::printf("threads %d -> %d, handles %lu -> %lu, private memory %zu -> %zu KiB, heap blocks in use %zu -> %zu "
                "(%zu -> %zu bytes) over %d cycles\n",
                before.threads, after.threads, static_cast<unsigned long>(before.handles),
                static_cast<unsigned long>(after.handles), before.privateBytes / 1024, after.privateBytes / 1024,
                before.heapBlocks, after.heapBlocks, before.heapBytes, after.heapBytes, cycles);
    ASSERT_GT(before.handles, 0u) << "handles are counted";
    ASSERT_GT(before.privateBytes, 0u) << "private memory is counted";
    ASSERT_GT(before.heapBlocks, 0u) << "the heaps are walked";
    EXPECT_EQ(after.threads, before.threads);
    EXPECT_LE(after.handles, before.handles + kHandleSlack);
    EXPECT_LE(after.privateBytes, before.privateBytes + kPrivateBytesSlack + cycles * kPrivateBytesPerCycle);
    EXPECT_LE(after.heapBytes, before.heapBytes + kHeapBytesSlack) << "bytes in use on the heaps";
    EXPECT_LE(after.heapBlocks, before.heapBlocks + kHeapBlocksSlack) << "blocks in use on the heaps";
}

TEST_F(Soak, ConnectAndTerminateCyclesLeakNothing) {
    // The first connection sets up what the library keeps for good (its adapters, the capture
    // library); the count starts after it.
    ConnectAndUse(1);
    RunTraffic(0);
    ASSERT_EQ(BrevixC_SYS_TerminateProcess(), 1);
    ASSERT_EQ(BrevixC_SYS_Init(CountForwardedFrames, 0), 1);
    const Usage before = Count();
    const int cycles = Cycles();
    for (int cycle = 0; cycle < cycles; ++cycle) {
        ConnectAndUse(0x1000 + cycle);
        RunTraffic(1 + cycle);
        ASSERT_EQ(BrevixC_SYS_TerminateProcess(), 1);
        ASSERT_EQ(CountLibraryThreads(L"BrevixCAPI"), 0) << "cycle " << cycle;
        ASSERT_EQ(BrevixC_SYS_Init(CountForwardedFrames, 0), 1);
    }
    ExpectNothingGrew(before, Count(), cycles);
}

TEST_F(Soak, ReconnectsWithoutTerminateLeakNothing) {
    ConnectAndUse(1);
    RunTraffic(0);
    const Usage before = Count();
    const int cycles = Cycles();
    for (int cycle = 0; cycle < cycles; ++cycle) {
        ConnectAndUse(0x2000 + cycle);
        RunTraffic(1 + cycle);
    }
    ExpectNothingGrew(before, Count(), cycles);
}

}  // namespace
