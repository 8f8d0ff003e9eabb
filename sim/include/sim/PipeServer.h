#pragma once
// The server end of a named pipe in message mode, as the simulator's pipe servers (the driver
// host, the control channel) have it: a number of instances, each on a thread of its own that
// serves one client at a time, every wait ended early by Stop.

#include "sim/Link.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace sim {

class PipeServer {
public:
    // One connected client of an instance.
    class Client {
    public:
        Client(HANDLE pipe, HANDLE ioEvent, HANDLE stop) : pipe_(pipe), ioEvent_(ioEvent), stop_(stop) {}
        // One whole message; false when the client went away or the server stops.
        bool Read(Bytes* message);
        bool Write(const Bytes& message);

    private:
        HANDLE pipe_, ioEvent_, stop_;
    };
    // Reads a client's messages and answers them until Read or Write fails.
    using Serve = std::function<void(Client& client)>;

    PipeServer() = default;
    ~PipeServer();
    PipeServer(const PipeServer&) = delete;
    PipeServer& operator=(const PipeServer&) = delete;

    // Every instance exists once Start returns: a client that opens the pipe right after finds it
    // (a missing pipe is not retried) and is connected to a free instance even before that
    // instance's thread waits for it.
    void Start(const std::wstring& name, int instances, DWORD bufferBytes, Serve serve);
    void Stop();

private:
    void Run(HANDLE pipe);

    Serve serve_;
    HANDLE stopEvent_ = nullptr;
    std::vector<std::thread> instances_;  // one thread per pipe instance; started and joined here
    std::atomic<bool> running_{false};
};

}  // namespace sim
