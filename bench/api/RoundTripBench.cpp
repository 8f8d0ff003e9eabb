// api_round_trip_bench: how long one register read takes through the library (BVT_Read), beside
// the raw round trip of the same command frame and its answer through wpcap on the same veth pair
// with the same read time-out, as percentiles; what the library does while it is connected and
// idle (the pollers running): how often each of its threads wakes, its CPU time, and the command
// frames the tester receives; and register reads while a full-size capture upload (32,768 frames of
// 1,518 bytes) floods the receive thread, against the same reads just before it (goal: p99 at most
// 2x), split into the way to the tester, the tester's own delay and the way back through the
// receive thread, with the receive thread's processor time a captured frame.

#include "BrevixCAPI.h"
#include "BrevixCCapture.h"
#include "LibraryThreads.h"
#include "bench/Timing.h"
#include "sim/CaptureEngine.h"
#include "sim/Tester.h"
#include "sim/TesterModel.h"
#include "support/Environment.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kWarmUp = 50;
constexpr int kReads = 2000;
constexpr DWORD kIdleMs = 10000;
constexpr uint32_t kRegister = 0x41000004;

using bench::NowSeconds;

struct Timing {
    double meanUs = 0;
    double medianUs = 0;
    double p90Us = 0;
    double p99Us = 0;
    double maxUs = 0;
    int answered = 0;
};

Timing Summarise(std::vector<double> seconds, int answered) {
    Timing t;
    t.answered = answered;
    if (seconds.empty()) return t;
    double sum = 0;
    for (double s : seconds) sum += s;
    std::sort(seconds.begin(), seconds.end());
    t.meanUs = sum / seconds.size() * 1e6;
    const auto percentile = [&](size_t p) {
        return seconds[std::min(seconds.size() - 1, seconds.size() * p / 100)] * 1e6;
    };
    t.medianUs = percentile(50);
    t.p90Us = percentile(90);
    t.p99Us = percentile(99);
    t.maxUs = seconds.back() * 1e6;
    return t;
}

// A slow call: over half a millisecond beyond the median, the start and end of it as the tester's
// journal counts time.
struct SlowCall {
    std::chrono::steady_clock::time_point start;
    std::chrono::steady_clock::time_point end;
};

Timing LibraryRoundTrip(std::vector<SlowCall>* slow) {
    uint32_t value = 0;
    for (int i = 0; i < kWarmUp; ++i) BVT_Read(kRegister, &value);
    std::vector<double> times;
    std::vector<SlowCall> calls;
    int answered = 0;
    for (int i = 0; i < kReads; ++i) {
        const auto at = std::chrono::steady_clock::now();
        const double start = NowSeconds();
        const int ok = BVT_Read(kRegister, &value);
        const double took = NowSeconds() - start;
        calls.push_back({at, std::chrono::steady_clock::now()});
        if (ok) ++answered, times.push_back(took);
    }
    const Timing timing = Summarise(times, answered);
    for (size_t i = 0; i < times.size(); ++i) {
        if (times[i] * 1e6 > timing.medianUs + 500) slow->push_back(calls[i]);
    }
    return timing;
}

// How many slow calls had a command of another thread (not this read) reach the tester while they
// waited: the pollers' commands take the one reply slot in turn with the caller's.
size_t SlowCallsBesideOtherCommands(const std::vector<SlowCall>& slow, const std::vector<sim::LoggedFrame>& commands) {
    size_t shared = 0;
    for (const SlowCall& call : slow) {
        for (const sim::LoggedFrame& command : commands) {
            const bool ours = command.bytes.size() >= 20 && command.bytes[14] == 0 &&
                              (uint32_t(command.bytes[16]) << 24 | command.bytes[17] << 16 | command.bytes[18] << 8 |
                               command.bytes[19]) == (kRegister | 0x80000000u);
            if (!ours && command.at >= call.start && command.at <= call.end) {
                ++shared;
                break;
            }
        }
    }
    return shared;
}

// The same general read, from a source of its own so the library's filter does not take it for
// one of its commands, and its answer picked out of what the host side hears.
Timing RawRoundTrip(sim::Link& link) {
    sim::Bytes command(60, 0);
    std::fill(command.begin(), command.begin() + 6, 0xFF);
    const uint8_t source[6] = {0x02, 0x5E, 0xC1, 0x0D, 0x00, 0x01};
    std::copy(source, source + 6, command.begin() + 6);
    command[12] = 0xFF, command[13] = 0x03, command[14] = 0, command[15] = 1;
    const uint32_t address = kRegister | 0x80000000u;
    for (int i = 0; i < 4; ++i) command[16 + i] = uint8_t(address >> (24 - 8 * i));
    auto isAnswer = [&](const sim::Bytes& f) {
        return f.size() >= 24 && f[12] == 0xFF && f[13] == 0x04 && std::equal(source, source + 6, f.begin()) &&
               std::equal(command.begin() + 16, command.begin() + 20, f.begin() + 16);
    };
    auto exchange = [&] {
        if (!link.Send(command)) return false;
        const double deadline = NowSeconds() + 0.1;
        while (NowSeconds() < deadline) {
            std::optional<sim::WireFrame> frame = link.Receive();
            if (frame && isAnswer(frame->bytes)) return true;
        }
        return false;
    };
    for (int i = 0; i < kWarmUp; ++i) exchange();
    std::vector<double> times;
    int answered = 0;
    for (int i = 0; i < kReads; ++i) {
        const double start = NowSeconds();
        const bool ok = exchange();
        const double took = NowSeconds() - start;
        if (ok) ++answered, times.push_back(took);
    }
    return Summarise(times, answered);
}

uint64_t FileTimeTicks(const FILETIME& t) { return uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime; }

// One library thread as the system counts it: CPU time in 100 ns ticks, and how often it went to
// sleep and woke again (its context switches).
struct ThreadSample {
    uint64_t cpuTicks = 0;
    uint64_t switches = 0;
};

std::wstring Description(HANDLE thread) {
    using GetDescription = HRESULT(WINAPI*)(HANDLE, PWSTR*);
    static const auto get = reinterpret_cast<GetDescription>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetThreadDescription")));
    std::wstring name;
    PWSTR description = nullptr;
    if (get && SUCCEEDED(get(thread, &description)) && description) {
        name = description;
        LocalFree(description);
    }
    return name;
}

std::string ReadWholeFile(const std::string& path) {
    std::string text;
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return text;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) text.append(chunk, got);
    CloseHandle(file);
    return text;
}

uint64_t StatusField(const std::string& status, const char* field) {
    const size_t at = status.find(field);
    return at == std::string::npos ? 0 : std::strtoull(status.c_str() + at + std::strlen(field), nullptr, 10);
}

// This process's own folder in the system's process table, which Wine shows through the Z: drive:
// the one whose command line names this program (a file opened there is opened by the wine
// server, so "self" would be the server).
std::string OwnProcessFolder() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string program = std::strrchr(path, '\\') ? std::strrchr(path, '\\') + 1 : path;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA("Z:\\proc\\*", &entry);
    if (find == INVALID_HANDLE_VALUE) return {};
    std::string found;
    do {
        if (entry.cFileName[0] < '0' || entry.cFileName[0] > '9') continue;
        const std::string folder = std::string("Z:\\proc\\") + entry.cFileName + "\\";
        if (ReadWholeFile(folder + "cmdline").find(program) != std::string::npos) found = folder;
    } while (found.empty() && FindNextFileA(find, &entry));
    FindClose(find);
    return found;
}

// Context switches by the system's thread name (the first 15 characters of the library's name).
std::map<std::string, uint64_t> SwitchesByShortName() {
    static const std::string process = OwnProcessFolder();
    std::map<std::string, uint64_t> switches;
    if (process.empty()) return switches;
    const std::string tasks = process + "task\\";
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((tasks + "*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return switches;
    do {
        if (entry.cFileName[0] == '.') continue;
        const std::string task = tasks + entry.cFileName + "\\";
        std::string name = ReadWholeFile(task + "comm");
        while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
        const std::string status = ReadWholeFile(task + "status");
        switches[name] +=
            StatusField(status, "voluntary_ctxt_switches:") + StatusField(status, "nonvoluntary_ctxt_switches:");
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return switches;
}

std::map<std::wstring, ThreadSample> SampleLibraryThreads() {
    std::map<std::wstring, ThreadSample> samples;
    const std::map<std::string, uint64_t> switches = SwitchesByShortName();
    for (DWORD id : LibraryThreadIds(L"BrevixCAPI")) {
        HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, id);
        if (!thread) continue;
        const std::wstring name = Description(thread);
        ThreadSample& sample = samples[name];
        FILETIME created, ended, kernel, user;
        if (GetThreadTimes(thread, &created, &ended, &kernel, &user))
            sample.cpuTicks += FileTimeTicks(kernel) + FileTimeTicks(user);
        CloseHandle(thread);
        const std::string shortName(name.begin(), name.begin() + std::min<size_t>(name.size(), 15));
        const auto found = switches.find(shortName);
        if (found != switches.end()) sample.switches = found->second;
    }
    return samples;
}

uint32_t Big32(const uint8_t* p) { return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

// Each thread's wakes and CPU a second, then the command frames that reached the tester a second,
// by command and first address: the work the wakes were for.
void PrintIdle(const std::map<std::wstring, ThreadSample>& before, const std::map<std::wstring, ThreadSample>& after,
               const std::vector<sim::LoggedFrame>& commands, double wall) {
    uint64_t cpuTicks = 0;
    std::printf("library connected and idle for %.0f s, each thread a second:\n", wall);
    for (const auto& [name, end] : after) {
        const auto found = before.find(name);
        const ThreadSample begin = found == before.end() ? ThreadSample{} : found->second;
        cpuTicks += end.cpuTicks - begin.cpuTicks;
        std::printf("  %-28ls %7.1f wakes  %6.3f ms CPU\n", name.c_str(), (end.switches - begin.switches) / wall,
                    (end.cpuTicks - begin.cpuTicks) / 1e4 / wall);
    }
    std::map<std::pair<int, uint32_t>, int> kinds;
    for (const sim::LoggedFrame& command : commands) {
        if (command.bytes.size() >= 20) ++kinds[{command.bytes[14], Big32(command.bytes.data() + 16)}];
    }
    std::printf("  command frames to the tester: %.1f a second", commands.size() / wall);
    for (const auto& [kind, count] : kinds)
        std::printf("%s command %d at 0x%08X x%.1f", &kind == &kinds.begin()->first ? ":" : ",", kind.first,
                    kind.second, count / wall);
    std::printf("\n");
    std::printf("library CPU while connected and idle: %.2f ms per second = %.3f%% of one core (%zu threads)\n",
                cpuTicks / 1e4 / wall, cpuTicks / 1e5 / wall, after.size());
}

// Register reads while a capture upload runs. The tester answers the probe's reads itself, noting
// when each command reached it and when its answer left, so that a read's time splits into the way
// out (the wire and the tester's own backlog: it sends a block's frames before it reads the next
// command), and the way back (the wire, the capture library's delivery, and the receive thread,
// which takes every captured frame that came before the answer first).
constexpr uint32_t kCaptureFrames = 32768;
constexpr uint32_t kCaptureBytes = 1518;
constexpr int kProbePauseMs = 5;

std::atomic<uint32_t> capturedHeld{0};

void __stdcall OnCaptureReport(const uint8_t* message, int32_t length, uint32_t, uint32_t) {
    if (length < 24 || (message[14] << 8 | message[15]) != BREVIXC_MSG_CAPTURE || (message[16] | message[17] << 8) != 0)
        return;
    capturedHeld = uint32_t(message[22] | message[23] << 8);
}

struct ProbeCall {
    double start = 0;
    double end = 0;
    bool answered = false;
};

struct TesterSide {
    double arrived = 0;
    double answered = 0;
};

class CaptureLoadProbe {
public:
    explicit CaptureLoadProbe(sim::Tester& tester) : tester_(tester) {
        tester_.SetInterceptor([this](const sim::Bytes& frame) { return Answer(frame); });
    }
    ~CaptureLoadProbe() { tester_.SetInterceptor(nullptr); }

    // Reads every kProbePauseMs until `done` says stop.
    template <typename Done>
    void Run(Done done) {
        calls_.clear();
        {
            std::lock_guard<std::mutex> guard(lock_);
            side_.clear();
        }
        while (!done()) {
            uint32_t value = 0;
            ProbeCall call;
            call.start = NowSeconds();
            call.answered = BVT_Read(kRegister, &value) == 1;
            call.end = NowSeconds();
            calls_.push_back(call);
            Sleep(kProbePauseMs);
        }
    }

    // The percentile `p`, in ms, of every read (one that gave up counts with the time it waited) and
    // of the three parts of the answered ones. Each read sends one command, which the tester
    // answers whether or not the read still waits: its n-th answer is the n-th read's.
    struct Split {
        double whole, out, tester, back;
        size_t reads, answered;
    };
    Split Percentile(size_t p) const {
        std::vector<double> whole, out, tester, back;
        std::lock_guard<std::mutex> guard(lock_);
        const size_t paired = std::min(calls_.size(), side_.size());
        size_t answered = 0;
        for (size_t i = 0; i < calls_.size(); ++i) {
            // A read that gave up waited its whole reply time-out: it counts with that time.
            whole.push_back(calls_[i].end - calls_[i].start);
            if (!calls_[i].answered) continue;
            ++answered;
            if (i >= paired) continue;
            out.push_back(side_[i].arrived - calls_[i].start);
            tester.push_back(side_[i].answered - side_[i].arrived);
            back.push_back(calls_[i].end - side_[i].answered);
        }
        const auto at = [p](std::vector<double> v) {
            if (v.empty()) return 0.0;
            std::sort(v.begin(), v.end());
            return v[std::min(v.size() - 1, v.size() * p / 100)] * 1e3;
        };
        return {at(whole), at(out), at(tester), at(back), calls_.size(), answered};
    }

private:
    bool Answer(const sim::Bytes& frame) {
        const bool probe = frame.size() >= 20 && frame[12] == 0xFF && frame[13] == 0x03 && frame[14] == 0 &&
                           Big32(frame.data() + 16) == (kRegister | 0x80000000u);
        if (!probe) return false;
        TesterSide side;
        side.arrived = NowSeconds();
        tester_.SendRaw(tester_.BuildReply(frame));
        side.answered = NowSeconds();
        std::lock_guard<std::mutex> guard(lock_);
        side_.push_back(side);
        return true;
    }

    sim::Tester& tester_;
    std::vector<ProbeCall> calls_;
    mutable std::mutex lock_;  // side_: written on the tester's thread
    std::vector<TesterSide> side_;
};

double ReceiveThreadSeconds() {
    for (DWORD id : LibraryThreadIds(L"BrevixCAPI receive")) {
        HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, id);
        if (!thread) continue;
        FILETIME created, ended, kernel, user;
        const bool got = GetThreadTimes(thread, &created, &ended, &kernel, &user);
        CloseHandle(thread);
        if (got) return (FileTimeTicks(kernel) + FileTimeTicks(user)) / 1e7;
    }
    return 0;
}

// A full-size capture on Port A, uploaded while the probe reads; the same probe for 3 s before, with
// the capture held in the tester, is the reference.
bool PrintCaptureLoad(sim::Tester& tester, sim::CaptureEngine& engine) {
    CaptureLoadProbe probe(tester);
    if (BrevixC_StartRxCapture(0, 0, uint16_t(kCaptureFrames)) != 1) return false;
    engine.ReceiveNumbered(0, 0, kCaptureFrames, kCaptureBytes);
    const double idleStart = NowSeconds();
    probe.Run([&] { return NowSeconds() - idleStart > 3; });
    const CaptureLoadProbe::Split idle99 = probe.Percentile(99), idle50 = probe.Percentile(50);

    const size_t sentBefore = engine.Sent(0);
    const double cpuBefore = ReceiveThreadSeconds();
    const double start = NowSeconds();
    capturedHeld = 0;
    BrevixC_StopRxCaptureNext(0, uint16_t(kCaptureFrames));
    probe.Run([&] { return capturedHeld >= kCaptureFrames || NowSeconds() - start > 120; });
    const double seconds = NowSeconds() - start;
    const double cpu = ReceiveThreadSeconds() - cpuBefore;
    const size_t frames = engine.Sent(0) - sentBefore;
    const CaptureLoadProbe::Split load99 = probe.Percentile(99), load50 = probe.Percentile(50);
    if (capturedHeld < kCaptureFrames) {
        std::fprintf(stderr, "the capture upload held %u of %u frames after %.0f s\n", unsigned(capturedHeld),
                     unsigned(kCaptureFrames), seconds);
        return false;
    }
    std::printf("register read during a capture upload of %u frames of %u bytes (%.1f s, %.0f frames/s):\n",
                unsigned(kCaptureFrames), kCaptureBytes, seconds, frames / seconds);
    const auto line = [](const char* what, const CaptureLoadProbe::Split& s50, const CaptureLoadProbe::Split& s99) {
        std::printf("  %-13s p50 %5.2f p99 %5.2f ms; p99 of its parts: to the tester %5.2f, in the tester %5.2f,"
                    " back through the receive thread %5.2f ms (%zu of %zu answered)\n",
                    what, s50.whole, s99.whole, s99.out, s99.tester, s99.back, s99.answered, s99.reads);
    };
    line("idle", idle50, idle99);
    line("upload", load50, load99);
    std::printf("  receive thread: %.1f us of processor time a captured frame\n", frames ? cpu * 1e6 / frames : 0.0);
    std::printf("  p99 ratio upload / idle: %.2fx (goal: at most 2x); the way back alone: %.2fx\n",
                idle99.whole > 0 ? load99.whole / idle99.whole : 0.0, idle99.back > 0 ? load99.back / idle99.back : 0.0);
    return true;
}

}  // namespace

int main() {
    const std::string host = support::GetEnv("BREVIX_HOST_IF");
    const std::string device = support::GetEnv("BREVIX_DEVICE_IF");
    if (host.empty() || device.empty()) {
        std::fprintf(stderr, "api_round_trip_bench needs the test network: run it through scripts/bench\n");
        return 2;
    }
    std::string error;
    auto deviceSide = sim::PcapLink::Open(device, &error);
    auto hostSide = sim::PcapLink::Open(host, &error);
    if (!deviceSide || !hostSide) {
        std::fprintf(stderr, "cannot open the veth pair: %s\n", error.c_str());
        return 1;
    }
    sim::Tester tester(std::move(deviceSide));
    sim::TesterModel model(tester, 1);
    sim::CaptureEngine engine(tester, 1);
    tester.Registers().Set(kRegister, 0x12345678);
    tester.Start();

    SetEnvironmentVariableA("BREVIXCAPI_ADAPTERS", host.c_str());
    char name[21] = {};
    if (!BrevixC_SYS_Init(OnCaptureReport, 0) || !BrevixC_SYS_DetectBrevixCDevice(name) || !BrevixC_SYS_ConnectToBrevixCDevice()) {
        std::fprintf(stderr, "the library did not connect to the simulated tester\n");
        return 1;
    }

    const Timing raw = RawRoundTrip(*hostSide);
    tester.ClearLog();
    std::vector<SlowCall> slow;
    const Timing library = LibraryRoundTrip(&slow);
    const size_t besideOthers = SlowCallsBesideOtherCommands(slow, tester.Commands());
    const auto print = [](const char* what, const Timing& t) {
        std::printf("  %-34s mean %5.0f  p50 %5.0f  p90 %5.0f  p99 %5.0f  max %6.0f us, %d of %d answered\n", what,
                    t.meanUs, t.medianUs, t.p90Us, t.p99Us, t.maxUs, t.answered, kReads);
    };
    std::printf("register round trip (1 ms read time-out on both):\n");
    print("raw wpcap frame and answer", raw);
    print("BVT_Read through BrevixCAPI", library);
    std::printf("ratio library / raw: mean %.3f, median %.3f\n", raw.meanUs > 0 ? library.meanUs / raw.meanUs : 0.0,
                raw.medianUs > 0 ? library.medianUs / raw.medianUs : 0.0);
    std::printf("slow library calls (over the median + 0.5 ms): %zu, %zu of them while a poller's command went out\n",
                slow.size(), besideOthers);

    Sleep(1000);
    tester.ClearLog();
    const std::map<std::wstring, ThreadSample> before = SampleLibraryThreads();
    const double start = NowSeconds();
    Sleep(kIdleMs);
    const double wall = NowSeconds() - start;
    const std::map<std::wstring, ThreadSample> after = SampleLibraryThreads();
    const std::vector<sim::LoggedFrame> commands = tester.Commands();
    PrintIdle(before, after, commands, wall);

    const bool loaded = PrintCaptureLoad(tester, engine);
    BrevixC_SYS_TerminateProcess();
    tester.Stop();
    return loaded ? 0 : 1;
}
