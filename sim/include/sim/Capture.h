#pragma once
// Listens on one interface on a thread of its own and keeps every frame it hears, so a test can
// wait for a frame with a time-out (a bare capture read may wait for ever on a quiet wire).

#include "sim/Link.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace sim {

class Capture {
public:
    using Match = std::function<bool(const Bytes&)>;

    explicit Capture(std::unique_ptr<Link> link);
    ~Capture();
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    bool Send(const Bytes& frame) { return link_->Send(frame); }
    // The first frame heard since the last Clear (or since it was taken) that matches; empty on
    // time-out. A frame is taken by the call that returns it.
    Bytes Take(const Match& match, std::chrono::milliseconds timeout);
    // Every frame heard and not yet taken.
    std::vector<Bytes> Frames() const;
    void Clear();

private:
    std::unique_ptr<Link> link_;
    // Guarded by lock_: the listening thread appends, the test takes.
    mutable std::mutex lock_;
    std::condition_variable heard_;
    std::vector<Bytes> frames_;
    bool running_ = true;
    std::thread listener_;
};

// Frames of one EtherType.
Capture::Match OfType(uint16_t etherType);

}  // namespace sim
