#include "capture/CaptureControl.h"

#include "BrevixCAPI.h"
#include "BrevixCCounters.h"
#include "capture/Capture.h"
#include "capture/CaptureRegisters.h"
#include "capture/CaptureStore.h"
#include "connection/DeviceMode.h"
#include "counters/Counters.h"
#include "ports/PortMaps.h"
#include "protocol/RegisterImages.h"
#include "protocol/RegisterMap.h"
#include "protocol/Wire.h"
#include "runtime/DebugStream.h"
#include "runtime/PumpWait.h"

#include <atomic>
#include <cstring>
#include <cwchar>
#include <mutex>

namespace capi {
namespace {

// The kept configuration text; nothing in the library reads it. Guarded by textLock.
std::mutex textLock;
wchar_t configurationText[200];

// Mask bit -> filter word bit, as (mask bit, word, word bit).
struct BitMove {
    uint8_t from;
    uint8_t word;
    uint8_t to;
};
constexpr BitMove kMaskA[] = {
    {29, 0, 7},  {28, 0, 6},  {27, 0, 5},  {26, 0, 4},  {25, 0, 3},  {24, 0, 2},  {23, 0, 1},  {22, 0, 0},
    {21, 1, 31}, {20, 1, 30}, {19, 1, 29}, {18, 1, 28}, {17, 1, 23}, {16, 1, 22}, {15, 1, 21}, {14, 1, 20},
    {13, 1, 17}, {12, 1, 16}, {8, 1, 8},   {7, 1, 7},   {6, 1, 6},   {5, 1, 5},   {2, 1, 2},   {1, 1, 1},
    {0, 1, 0},
};
constexpr BitMove kMaskB[] = {
    {20, 0, 22}, {19, 0, 21}, {18, 0, 20}, {17, 0, 19}, {16, 0, 18}, {15, 0, 17}, {14, 0, 16}, {13, 0, 8},
    {12, 1, 27}, {11, 1, 26}, {10, 1, 25}, {9, 1, 24},  {8, 1, 19},  {7, 1, 18},  {6, 1, 15},  {5, 1, 14},
    {4, 1, 13},  {3, 1, 12},  {2, 1, 11},  {1, 1, 4},   {0, 1, 3},
};

void Move(uint32_t mask, const BitMove* moves, size_t count, CaptureFilters& filters) {
    for (size_t i = 0; i < count; ++i) {
        if (!(mask >> moves[i].from & 1)) continue;
        (moves[i].word ? filters.word1 : filters.word0) |= 1u << moves[i].to;
    }
}

// The three pairs that start a port's capture: the replay command, the run word with its run bit,
// and the mode word. The kept mode word of a both-ports instant capture stays without its instant
// bit: such a capture forwards through entry 2 only.
int WriteCaptureStart(uint8_t g, uint32_t mode, bool bothPorts) {
    CaptureWords& words = Words();
    const uint32_t command = kReplayStartCapture | (words.vlanExchange ? kReplayVlanExchange : 0);
    words.lastReplayControl = command;
    words.runWord[g] |= kRunBit;
    uint32_t modeValue = words.modeWord[g] & ~kInstantBit;
    words.modeWord[g] = modeValue;
    if (mode == 1) {
        modeValue |= kInstantBit;
        if (!bothPorts) words.modeWord[g] = modeValue;
        if (!InTapCapture(g)) {
            modeValue |= kCaptureToHost;
            if (!CaptureThreadRuns(g)) {
                CaptureState(g).terminate = 0;
                if (!bothPorts) CreateCaptureThread(g);
            }
        }
    }
    const uint32_t p = PortOffset(g);
    const uint32_t pairs[6] = {reg::kReplayCommand + p, command, reg::kCaptureRunWord + p, words.runWord[g],
                               reg::kCaptureModeWord + p, modeValue};
    return BVT_GenW(3, pairs);
}

// Resets a port's entry and empties its queue and vector, under the capture queue lock. False when
// the queue is not empty afterwards.
bool ResetPortForStart(uint8_t g, bool clearBoth) {
    std::lock_guard<std::mutex> guard(CaptureQueueLock());
    ResetEntry(g);
    BVT_Delay(100);
    ClearCaptureQueue(g);
    ClearCaptureVector(g);
    if (!clearBoth) return true;
    {
        MutexHold hold;
        if (!CaptureQueue(g).empty()) return false;
    }
    ClearCaptureVector(2);
    return true;
}

// Ends port g's forwarding or upload and entry 2's, each port under its capture lock, and empties
// the queues of what it ended: nothing reads them any more, and a later upload of entry 2 must not
// find this capture's frames in its queue. A both-ports instant capture forwards through entry 2
// alone; ending it ends the other port too when nothing of its own reads that port's queue.
void EndEntries(uint8_t g) {
    const bool bothForwarding = IsInstant(2);
    SetBothPortsInstant(false);
    for (uint8_t p : {0, 1}) {
        if (p != g && (!bothForwarding || CaptureThreadRuns(p))) continue;
        {
            std::lock_guard<std::mutex> guard(PortCaptureLock(p));
            CaptureState(p).terminate = 1;
            CaptureState(2).terminate = 1;
        }
        ClearCaptureQueue(p);
    }
    ClearCaptureQueue(2);
}

// Captures started on each port, counted by every capture start (each writes the port's replay
// command). A cancel that lets the host's messages through looks at it afterwards: a start that a
// message made meanwhile owns the port, and the rest of the cancel would undo it. Touched by the
// calling threads.
std::atomic<uint32_t> captureStarts[2];

// Cancels port g unless a capture started on it since the cancel counted `starts`.
int CancelPort(uint8_t g, uint32_t starts) {
    if (captureStarts[g] != starts) return 1;
    EndEntries(g);
    {
        std::lock_guard<std::mutex> guard(PortCaptureLock(g));
        CaptureState(g).mode = 0;
        CaptureState(2).mode = 0;
        ClearCaptureVector(g);
    }
    {
        // No block is asked for the port from here on: a request the port-queue worker is sending
        // holds this lock through its write, and the worker looks at the port's blocks again under
        // it. The upload thread ends at its terminate byte.
        std::lock_guard<std::mutex> guard(CaptureQueueLock());
        BVT_ReplayPortClear(g);
    }
    CaptureWords& words = Words();
    words.runWord[g] &= ~kRunBit;
    const uint32_t pair[2] = {reg::kCaptureRunWord + PortOffset(g), words.runWord[g]};
    {
        HeldMessages held;
        BVT_GenW(1, pair);
    }
    // The host's messages go through between the two writes, with no lock held: one of them may
    // cancel again on this same thread, or start a capture, which then needs the halt no more (its
    // replay command replaces it) and must not meet it after its own.
    PumpMessages();
    if (captureStarts[g] != starts) return 1;
    {
        HeldMessages held;
        BVT_ReplayPortHalt(g);
    }
    BVT_Delay(100);
    return 1;
}

}  // namespace

CaptureFilters FiltersOf(uint32_t maskA, uint32_t maskB) {
    CaptureFilters filters;
    Move(maskA, kMaskA, sizeof kMaskA / sizeof *kMaskA, filters);
    Move(maskB, kMaskB, sizeof kMaskB / sizeof *kMaskB, filters);
    return filters;
}

uint32_t CaptureOptionsOf(uint32_t options, uint32_t flags, uint16_t lengthValue, uint16_t lengthMode) {
    const auto put = [&](int bit, bool on) { options = on ? options | 1u << bit : options & ~(1u << bit); };
    put(31, flags >> 29 & 1);
    if (flags >> 28 & 1) {
        options |= 1u << 30;
        options = (options & ~(0x7FFu << 16)) | uint32_t(lengthValue & 0x7FF) << 16;
        options = (options & ~(3u << 14)) | uint32_t(lengthMode & 3) << 14;
    } else {
        options &= ~(1u << 30);
    }
    put(13, flags >> 22 & 1);
    put(12, flags >> 21 & 1);
    put(5, flags >> 5 & 1);
    return options;
}

void KeepConfigurationText(const wchar_t* text) {
    std::lock_guard<std::mutex> guard(textLock);
    configurationText[0] = 0;
    if (!text) return;
    // A longer text is cut: the kept copy holds 199 characters and the terminator.
    const size_t length = wcsnlen(text, 199);
    std::wmemcpy(configurationText, text, length);
    configurationText[length] = 0;
}

const wchar_t* ConfigurationText() { return configurationText; }

int CaptureConfigure(uint8_t port, const BrevixC_RxCaptureConfig_T& config) {
    const uint32_t jumbo = (config.jumbo & 1) ? kJumboBit : 0;
    const CaptureFilters filters = FiltersOf(config.maskA, config.maskB);
    Words().runWord[port] = config.flags & kRunWordFlags;
    uint32_t options = 0;
    uint32_t control = 0;
    RegisterImages::Instance().Update([&](RegisterImageSet& images) {
        images.captureOptions[port] =
            CaptureOptionsOf(images.captureOptions[port], config.flags, config.lengthValue, config.lengthMode);
        images.captureControl[port] = (images.captureControl[port] & ~kJumboBit) | jumbo;
        options = images.captureOptions[port];
        control = images.captureControl[port];
    });
    const uint32_t p = PortOffset(port);
    const uint32_t pairs[10] = {reg::kCaptureFilter0 + p,  filters.word0,         reg::kCaptureFilter1 + p, filters.word1,
                                reg::kCaptureRunWord + p,  Words().runWord[port], reg::kCaptureOptions + p, options,
                                reg::kCaptureControl + p,  control};
    BVT_GenW(5, pairs);
    PumpWait(100);
    return 1;
}

int CaptureStart(uint8_t port, uint32_t mode) {
    for (uint8_t p : {0, 1})
        if (port == p || port == kBothPorts) ++captureStarts[p];
    if (port != kBothPorts) {
        EndCaptureThreads({port});
        if (!ResetPortForStart(port, true)) return 0;
        if (mode != 1) BVT_ReplayPortClear(port);
        else ConfigureOwnWrap(port);
        CaptureState(port).mode = int32_t(mode);
        return WriteCaptureStart(port, mode, false);
    }
    EndCaptureThreads({0, 1, 2});
    ResetEntry(2);
    ClearCaptureQueue(2);
    BVT_Delay(100);
    ClearCaptureVector(2);
    SetBothPortsInstant(mode == 1);
    if (mode == 1) {
        if (!CaptureThreadRuns(2)) {
            CaptureState(2).terminate = 0;
            CreateCaptureThread(2);
        }
    }
    for (uint8_t i : {0, 1}) {
        ResetPortForStart(i, false);
        if (mode != 1) {
            Log("BVT_ReplayPortClear in StartCapture All");
            BVT_ReplayPortClear(i);
        } else {
            ConfigureOwnWrap(i);
        }
        CaptureState(i).mode = int32_t(mode);
        WriteCaptureStart(i, mode, true);
    }
    return 1;
}

int InstantStart(uint8_t port, uint8_t enable) {
    CaptureWords& words = Words();
    // A forwarding switched off a moment ago may still be ending: its thread is waited for, or the
    // new start would find it and start none.
    if (port != kBothPorts) EndCaptureThreads({port});
    else EndCaptureThreads({0, 1, 2});
    const auto onePort = [&](uint8_t g) {
        ClearCaptureQueue(g);
        words.runWord[g] |= kRunBit;
        words.modeWord[g] = (words.modeWord[g] & ~kInstantBit) | ((enable & 1) ? kInstantBit : 0);
        if (enable && !CaptureThreadRuns(g)) {
            CaptureState(g).terminate = 0;
            CreateCaptureThread(g);
        }
        const uint32_t p = PortOffset(g);
        const uint32_t pairs[4] = {reg::kCaptureRunWord + p, words.runWord[g], reg::kCaptureModeWord + p,
                                   (enable & 1u) * kInstantBit};
        return BVT_GenW(2, pairs);
    };
    if (port != kBothPorts) {
        ClearCaptureQueue(2);
        return onePort(port);
    }
    ClearCaptureQueue(2);
    // Switching forwarding off ends the both-ports forwarding and starts nothing.
    SetBothPortsInstant(enable != 0);
    if (enable && !CaptureThreadRuns(2)) {
        CaptureState(2).terminate = 0;
        CreateCaptureThread(2);
    }
    onePort(0);
    onePort(1);
    return 1;
}

int CaptureStop(uint8_t g) {
    CaptureWords& words = Words();
    if (IsInstant(g) || IsInstant(2)) EndEntries(g);
    CaptureState(g).mode = 0;
    CaptureState(2).mode = 0;
    words.runWord[g] &= ~kRunBit;
    const uint32_t pair[2] = {reg::kCaptureRunWord + PortOffset(g), words.runWord[g]};
    BVT_GenW(1, pair);
    return 1;
}

int BVT_CancelCapture(uint8_t port) {
    if (port != kBothPorts) {
        Log("(API)(BVT_CancelCapture)Set Capture Terminate");
        return CancelPort(port, captureStarts[port]);
    }
    // Both counted first: a both-ports start that Port A's cancel dispatches is not cancelled on Port B.
    const uint32_t startsA = captureStarts[0], startsB = captureStarts[1];
    CaptureState(2).terminate = 1;
    CaptureState(2).mode = 0;
    ClearCaptureVector(2);
    CancelPort(0, startsA);
    CancelPort(1, startsB);
    return 1;
}

int BVT_ReadCaptureStatus(uint8_t port) {
    // The values reach the two hooks through the reply dispatcher; the copy only tells that the
    // tester answered.
    uint32_t registers[2] = {reg::kCaptureStatus + PortOffset(port), reg::kBlockCount + PortOffset(port)};
    return BVT_GenR(2, registers);
}

// The pairs arrive with their addresses in host order, their values as the tester sent them.
namespace {
bool PortOfPair(const ReplyBody& body, uint32_t portA, uint8_t& port, uint32_t& value) {
    if (!body.Has(0, 8)) return false;
    uint32_t address;
    std::memcpy(&address, body.bytes, 4);
    if (address != portA && address != portA + PortOffset(1)) return false;
    port = address == portA ? 0 : 1;
    value = body.Word(4);
    return true;
}
}  // namespace

void OnCaptureStatus(const ReplyBody& body) {
    uint8_t port;
    uint32_t value;
    if (!PortOfPair(body, reg::kCaptureStatus, port, value)) return;
    CaptureState(port).statusHigh = int32_t(value >> 16 & 0x7FFF);
    CaptureState(port).statusLow = int32_t(value & 0x7FFF);
}

void OnBlockCount(const ReplyBody& body) {
    uint8_t port;
    uint32_t v;
    if (!PortOfPair(body, reg::kBlockCount, port, v)) return;
    // One answer a stop-next: a repeated one, or one that came after the stop-next gave up on the
    // tester, would start or end an upload nobody asked for.
    if (!CaptureState(port).awaitingCount.exchange(0)) return;
    CaptureState(port).deviceCount = int32_t(v >> 16);
    if (v > 0xFFFF) CaptureState(2).deviceCount = CaptureState(0).deviceCount + CaptureState(1).deviceCount;
    CaptureState(2).terminate = 0;
    if (v > 0xFFFF && (v >> 16) != 0xFFFF && !InTapCapture(port)) {
        CaptureState(port).mode = 0;
        CaptureState(port).terminate = 0;
        CreateCaptureThread(port);
        if (port == 0) {
            CaptureState(2).mode = 0;
            CaptureState(2).terminate = 0;
            CreateCaptureThread(2);
        }
    }
    if (v < 0x10000) {
        CaptureState(2).terminate = 1;
        CaptureState(port).terminate = 1;
    }
}

int SetTapCaptureMode(uint8_t port, uint8_t mode) {
    if (DeviceModeNow() != kTapMode) return 0;
    if ((port > 1 && port != kBothPorts) || mode >= 3) return 0;
    int result = 1;
    for (uint8_t p : {0, 1}) {
        if (port != kBothPorts && p != port) continue;
        if (!CaptureState(p).terminate) {
            if (port != kBothPorts) return 0;
            result = 0;
            continue;
        }
        if (CaptureSettings(p).tapCaptureMode == 2) BrevixC_ClearCounterStatistics(p);
        CaptureSettings(p).tapCaptureMode = mode;
    }
    const bool a = CaptureSettings(0).tapCaptureMode == 2;
    const bool b = CaptureSettings(1).tapCaptureMode == 2;
    SetPollSelector(a && b ? 254 : a ? 0 : b ? 1 : 255);
    return result;
}

}  // namespace capi
