#include "sim/ControlChannel.h"

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
    server_.Start(pipeName_, kPipeInstances, kPipeBuffer, [this](PipeServer::Client& client) { Serve(client); });
}

void ControlChannel::Stop() { server_.Stop(); }

void ControlChannel::Serve(PipeServer::Client& client) {
    Bytes request;
    while (client.Read(&request)) {
        const std::string reply = control_.Execute(Trimmed(std::string(request.begin(), request.end())));
        if (!client.Write(Bytes(reply.begin(), reply.end()))) break;
    }
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
