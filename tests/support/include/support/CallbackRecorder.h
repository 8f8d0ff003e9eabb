#pragma once
// Records what the device API passes to its host callback: the message bytes, its type, the
// stamps, the calling thread and the time. It can be told to block, to test callers that hold a
// library thread in the callback (as a modal box does).

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace support {

struct HostMessage {
    std::vector<uint8_t> bytes;
    uint32_t stampSeconds = 0;
    uint32_t stampMicroseconds = 0;
    DWORD thread = 0;
    std::chrono::steady_clock::time_point at;

    // Bytes 14-15, big-endian: the host message type (or the EtherType of a raw frame).
    uint16_t Type() const { return bytes.size() < 16 ? 0 : uint16_t(bytes[14] << 8 | bytes[15]); }
};

class CallbackRecorder {
public:
    // The one recorder a process has; the callback below reports to it.
    static CallbackRecorder& Instance();
    // Has the host callback's signature: (message, length, stamp seconds, stamp microseconds).
    static void WINAPI Callback(const uint8_t* message, int32_t length, uint32_t seconds, uint32_t microseconds);

    void Clear();
    std::vector<HostMessage> Messages() const;
    std::vector<HostMessage> OfType(uint16_t type) const;
    // Waits until a recorded message satisfies the predicate; returns it, or an empty message.
    HostMessage WaitFor(const std::function<bool(const HostMessage&)>& match, std::chrono::milliseconds timeout);
    HostMessage WaitForType(uint16_t type, std::chrono::milliseconds timeout);

    // While blocked, every call records its message and then waits until Unblock.
    void Block();
    void Unblock();
    // Calls waiting in Block right now.
    int Waiting() const;

private:
    CallbackRecorder() = default;
    void Record(HostMessage message);

    // Guarded by lock_: the library's threads write, the test reads.
    mutable std::mutex lock_;
    std::condition_variable changed_;
    std::vector<HostMessage> messages_;
    bool blocked_ = false;
    int waiting_ = 0;
};

}  // namespace support
