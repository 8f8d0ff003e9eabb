// The mutation loop of the fuzz targets that run under Wine: the target's LLVMFuzzerTestOneInput
// fed with its seeds, then with random mutations of them for a bounded time. Without coverage
// feedback it relies on the seeds and on many cheap executions; the standard library's assertions
// and Wine's heap checking turn a quiet fault into a crash.
//
//   <target>_fuzz.exe [--seconds N] [--seed S] [--findings DIR] CORPUS-DIR-OR-FILE...
//
// A crash (an exception, an abort) or an execution longer than kHangSeconds leaves the input in
// DIR as <target>-crash.bin or <target>-hang.bin and ends the program with a failure. With files
// and no --seconds, each file runs once: the way to replay a finding.

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

using Bytes = std::vector<uint8_t>;

constexpr size_t kMaxInput = 65536;
constexpr int kHangSeconds = 10;

// The input being run, for the crash and hang reports: written by the loop's thread only.
Bytes current;
std::string findings = ".";
std::atomic<int64_t> runStartedMs{0};

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void SaveCurrent(const char* kind) {
    const std::string path = findings + "/" BREVIX_FUZZ_NAME "-" + kind + ".bin";
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(current.data(), 1, current.size(), file);
        std::fclose(file);
    }
    std::fprintf(stderr, "fuzz " BREVIX_FUZZ_NAME ": %s on a %zu-byte input, saved as %s\n", kind, current.size(),
                 path.c_str());
    std::fflush(stderr);
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* exception) {
    std::fprintf(stderr, "fuzz " BREVIX_FUZZ_NAME ": exception 0x%08lX\n",
                 static_cast<unsigned long>(exception->ExceptionRecord->ExceptionCode));
    SaveCurrent("crash");
    ExitProcess(2);
}

void OnAbort(int) {
    SaveCurrent("crash");
    ExitProcess(2);
}

void WatchForHangs() {
    for (;;) {
        Sleep(500);
        const int64_t started = runStartedMs.load();
        if (started != 0 && NowMs() - started > kHangSeconds * 1000) {
            SaveCurrent("hang");
            ExitProcess(3);
        }
    }
}

void Run(const Bytes& input) {
    current = input;
    runStartedMs = NowMs();
    LLVMFuzzerTestOneInput(current.data(), current.size());
    runStartedMs = 0;
}

Bytes ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class Mutator {
public:
    Mutator(uint32_t seed, const std::vector<Bytes>& corpus) : random_(seed), corpus_(corpus) {}

    Bytes Next() {
        Bytes input = corpus_.empty() ? Bytes{} : corpus_[Below(corpus_.size())];
        for (size_t steps = 1 + Below(4); steps > 0; --steps) Mutate(input);
        if (input.size() > kMaxInput) input.resize(kMaxInput);
        return input;
    }

private:
    size_t Below(size_t n) { return n == 0 ? 0 : std::uniform_int_distribution<size_t>(0, n - 1)(random_); }
    uint8_t Byte() { return static_cast<uint8_t>(random_()); }

    // Values at the edges of what a length, count or offset field holds.
    uint32_t Interesting() {
        static const uint32_t values[] = {0, 1, 2, 0x7F, 0x80, 0xFF, 0x100, 0x7FFF, 0x8000, 0xFFFF,
                                          0x10000, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu, 16, 64, 1514};
        return values[Below(std::size(values))];
    }

    void Mutate(Bytes& input) {
        const size_t size = input.size();
        switch (Below(9)) {
        case 0:
            if (size) input[Below(size)] ^= uint8_t(1u << Below(8));
            break;
        case 1:
            if (size) input[Below(size)] = Byte();
            break;
        case 2:  // an edge value, either byte order
            if (size >= 4) {
                const uint32_t value = Interesting();
                const size_t at = Below(size - 3);
                const bool big = Below(2);
                for (size_t k = 0; k < 4; ++k) input[at + k] = uint8_t(value >> (big ? 24 - 8 * k : 8 * k));
            }
            break;
        case 3: {
            const size_t at = Below(size + 1);
            Bytes bytes(1 + Below(16));
            for (uint8_t& b : bytes) b = Byte();
            input.insert(input.begin() + at, bytes.begin(), bytes.end());
            break;
        }
        case 4:
            if (size) {
                const size_t at = Below(size);
                input.erase(input.begin() + at, input.begin() + at + 1 + Below(std::min<size_t>(size - at, 32)));
            }
            break;
        case 5:  // a run copied to elsewhere in the input
            if (size) {
                const size_t from = Below(size), length = 1 + Below(std::min<size_t>(size - from, 64));
                const Bytes run(input.begin() + from, input.begin() + from + length);
                input.insert(input.begin() + Below(size + 1), run.begin(), run.end());
            }
            break;
        case 6:  // the tail of another seed
            if (!corpus_.empty()) {
                const Bytes& other = corpus_[Below(corpus_.size())];
                const size_t cut = Below(size + 1), from = Below(other.size() + 1);
                input.resize(cut);
                input.insert(input.end(), other.begin() + from, other.end());
            }
            break;
        case 7:
            if (size) input.resize(Below(size));
            break;
        default:
            if (size) input[Below(size)] = uint8_t(Interesting());
            break;
        }
    }

    std::mt19937 random_;
    const std::vector<Bytes>& corpus_;
};

}  // namespace

int main(int argc, char** argv) {
    double seconds = -1;
    uint32_t seed = static_cast<uint32_t>(NowMs());
    std::vector<Bytes> corpus;
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        if (arg == "--seconds" && k + 1 < argc) {
            seconds = std::atof(argv[++k]);
        } else if (arg == "--seed" && k + 1 < argc) {
            seed = static_cast<uint32_t>(std::strtoul(argv[++k], nullptr, 0));
        } else if (arg == "--findings" && k + 1 < argc) {
            findings = argv[++k];
        } else if (std::filesystem::is_directory(arg)) {
            for (const auto& entry : std::filesystem::directory_iterator(arg)) {
                if (entry.is_regular_file()) corpus.push_back(ReadFile(entry.path()));
            }
        } else if (std::filesystem::is_regular_file(arg)) {
            corpus.push_back(ReadFile(arg));
        } else {
            std::fprintf(stderr, "fuzz " BREVIX_FUZZ_NAME ": no such file or folder: %s\n", arg.c_str());
            return 1;
        }
    }
    std::error_code ignored;
    std::filesystem::create_directories(findings, ignored);
    SetUnhandledExceptionFilter(OnCrash);
    std::signal(SIGABRT, OnAbort);
    std::thread(WatchForHangs).detach();

    const int64_t start = NowMs();
    uint64_t executions = 0;
    for (const Bytes& input : corpus) {
        Run(input);
        ++executions;
    }
    if (seconds > 0) {
        Mutator mutator(seed, corpus);
        const int64_t end = start + static_cast<int64_t>(seconds * 1000);
        while (NowMs() < end) {
            for (int k = 0; k < 64; ++k) Run(mutator.Next());
            executions += 64;
        }
    }
    const double elapsed = std::max<int64_t>(NowMs() - start, 1) / 1000.0;
    std::printf("fuzz %-20s wine    %10llu executions, %8.0f per second (seed %u)\n", BREVIX_FUZZ_NAME,
                static_cast<unsigned long long>(executions), executions / elapsed, seed);
    return 0;
}
