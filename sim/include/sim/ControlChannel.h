#pragma once
// The control channel of a running simulator: command lines (TesterControl's language) from a
// stream such as stdin, answered on another stream, and from a named pipe in message mode, one
// command a message, answered with one reply message.

#include "sim/PipeServer.h"
#include "sim/TesterControl.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace sim {

class ControlChannel {
public:
    static constexpr const wchar_t* kDefaultPipeName = L"\\\\.\\pipe\\brevix-sim-control";

    ControlChannel(TesterControl& control, std::wstring pipeName = kDefaultPipeName);
    ~ControlChannel();
    ControlChannel(const ControlChannel&) = delete;
    ControlChannel& operator=(const ControlChannel&) = delete;

    // Serves the pipe; once Start returns, a client finds it.
    void Start();
    void Stop();
    // Reads lines from `in` until it ends, answering each on `out`. Runs on the caller's thread.
    void ServeStream(std::FILE* in, std::FILE* out);

    const std::wstring& PipeName() const { return pipeName_; }

private:
    void Serve(PipeServer::Client& client);

    TesterControl& control_;
    const std::wstring pipeName_;
    PipeServer server_;
};

// A client's command through the pipe: the reply line, or empty when no channel answered within
// the time-out.
std::string SendControlCommand(const std::wstring& pipeName, const std::string& line,
                               std::chrono::milliseconds timeout);

}  // namespace sim
