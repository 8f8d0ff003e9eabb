#include "sim/ControlChannel.h"

#include "sim/PipeIo.h"

namespace sim {
namespace {

// Two clients at once: a person's and a test's.
constexpr int kPipeInstances = 2;
constexpr DWORD kPipeBuffer = 4096;

std::string Trimmed(std::string line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return line;
}

}  // namespace

ControlChannel::ControlChannel(TesterControl& control, std::wstring pipeName)
    : control_(control), pipeName_(std::move(pipeName)) {}

ControlChannel::~ControlChannel() { Stop(); }

void ControlChannel::Start() {
    if (running_.exchange(true)) return;
    stopEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    // Every instance exists before Start returns, so a client that opens the pipe right after finds one.
    for (int i = 0; i < kPipeInstances; ++i) {
        HANDLE pipe = CreateNamedPipeW(pipeName_.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                       PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, kPipeInstances,
                                       kPipeBuffer, kPipeBuffer, 0, nullptr);
        if (pipe == INVALID_HANDLE_VALUE) continue;
        instances_.emplace_back([this, pipe] { Serve(pipe); });
    }
}

void ControlChannel::Stop() {
    if (!running_.exchange(false)) return;
    SetEvent(stopEvent_);
    for (std::thread& t : instances_) t.join();
    instances_.clear();
    CloseHandle(stopEvent_);
    stopEvent_ = nullptr;
}

void ControlChannel::Serve(HANDLE pipe) {
    HANDLE ioEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    while (running_ && AwaitPipeClient(pipe, ioEvent, stopEvent_)) {
        Bytes request;
        while (ReadPipeMessage(pipe, ioEvent, stopEvent_, &request)) {
            const std::string reply = control_.Execute(Trimmed(std::string(request.begin(), request.end())));
            if (!WritePipeMessage(pipe, ioEvent, stopEvent_, Bytes(reply.begin(), reply.end()))) break;
        }
        DisconnectNamedPipe(pipe);
    }
    CloseHandle(ioEvent);
    CloseHandle(pipe);
}

void ControlChannel::ServeStream(std::FILE* in, std::FILE* out) {
    char line[512];
    while (std::fgets(line, sizeof line, in) != nullptr) {
        const std::string command = Trimmed(line);
        if (command.empty()) continue;
        std::fprintf(out, "%s\n", control_.Execute(command).c_str());
        std::fflush(out);
    }
}

std::string SendControlCommand(const std::wstring& pipeName, const std::string& line,
                               std::chrono::milliseconds timeout) {
    char reply[kPipeBuffer];
    DWORD read = 0;
    // Connects (waiting for a free instance up to the time-out), writes, reads the reply, closes.
    if (!CallNamedPipeW(pipeName.c_str(), const_cast<char*>(line.data()), DWORD(line.size()), reply, sizeof reply,
                        &read, DWORD(timeout.count()))) {
        return "";
    }
    return std::string(reply, read);
}

}  // namespace sim
