#include "sim/PipeServer.h"

namespace sim {
namespace {

// Waits for an overlapped pipe operation. False when it failed (GetLastError tells why, and
// ERROR_MORE_DATA means a message goes on) or the stop event was set.
bool Finish(HANDLE pipe, OVERLAPPED& overlapped, BOOL started, HANDLE stop, DWORD* transferred) {
    if (!started && GetLastError() == ERROR_IO_PENDING) {
        HANDLE events[2] = {overlapped.hEvent, stop};
        if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0) {
            CancelIo(pipe);
            GetOverlappedResult(pipe, &overlapped, transferred, TRUE);
            SetLastError(ERROR_OPERATION_ABORTED);
            return false;
        }
    } else if (!started && GetLastError() != ERROR_MORE_DATA) {
        return false;
    }
    return GetOverlappedResult(pipe, &overlapped, transferred, TRUE);
}

bool AwaitClient(HANDLE pipe, HANDLE ioEvent, HANDLE stop) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = ioEvent;
    if (!ConnectNamedPipe(pipe, &overlapped) && GetLastError() == ERROR_PIPE_CONNECTED) return true;
    DWORD unused = 0;
    return Finish(pipe, overlapped, FALSE, stop, &unused);
}

}  // namespace

bool PipeServer::Client::Read(Bytes* message) {
    message->clear();
    for (;;) {
        uint8_t chunk[16384];
        OVERLAPPED overlapped{};
        overlapped.hEvent = ioEvent_;
        DWORD read = 0;
        const bool done =
            Finish(pipe_, overlapped, ReadFile(pipe_, chunk, sizeof chunk, nullptr, &overlapped), stop_, &read);
        message->insert(message->end(), chunk, chunk + read);
        if (done) return true;
        if (GetLastError() != ERROR_MORE_DATA) return false;
    }
}

bool PipeServer::Client::Write(const Bytes& message) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = ioEvent_;
    DWORD written = 0;
    return Finish(pipe_, overlapped, WriteFile(pipe_, message.data(), DWORD(message.size()), nullptr, &overlapped),
                  stop_, &written) &&
           written == message.size();
}

PipeServer::~PipeServer() { Stop(); }

void PipeServer::Start(const std::wstring& name, int instances, DWORD bufferBytes, Serve serve) {
    if (running_.exchange(true)) return;
    serve_ = std::move(serve);
    stopEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    for (int i = 0; i < instances; ++i) {
        HANDLE pipe = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                       PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES,
                                       bufferBytes, bufferBytes, 0, nullptr);
        if (pipe == INVALID_HANDLE_VALUE) continue;
        instances_.emplace_back([this, pipe] { Run(pipe); });
    }
}

void PipeServer::Stop() {
    if (!running_.exchange(false)) return;
    SetEvent(stopEvent_);
    for (std::thread& t : instances_) t.join();
    instances_.clear();
    CloseHandle(stopEvent_);
    stopEvent_ = nullptr;
}

void PipeServer::Run(HANDLE pipe) {
    HANDLE ioEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    while (running_ && AwaitClient(pipe, ioEvent, stopEvent_)) {
        Client client(pipe, ioEvent, stopEvent_);
        serve_(client);
        DisconnectNamedPipe(pipe);
    }
    CloseHandle(ioEvent);
    CloseHandle(pipe);
}

}  // namespace sim
