#include "sim/Capture.h"

namespace sim {

Capture::Capture(std::unique_ptr<Link> link) : link_(std::move(link)) {
    listener_ = std::thread([this] {
        for (;;) {
            std::optional<WireFrame> frame = link_->Receive();
            std::lock_guard<std::mutex> guard(lock_);
            if (!running_) return;
            if (frame) {
                frames_.push_back(std::move(frame->bytes));
                heard_.notify_all();
            }
        }
    });
}

Capture::~Capture() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        running_ = false;
    }
    link_->Interrupt();
    listener_.join();
}

Bytes Capture::Take(const Match& match, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(lock_);
    Bytes taken;
    heard_.wait_for(lock, timeout, [&] {
        for (auto it = frames_.begin(); it != frames_.end(); ++it) {
            if (match(*it)) {
                taken = std::move(*it);
                frames_.erase(it);
                return true;
            }
        }
        return false;
    });
    return taken;
}

std::vector<Bytes> Capture::Frames() const {
    std::lock_guard<std::mutex> guard(lock_);
    return frames_;
}

void Capture::Clear() {
    std::lock_guard<std::mutex> guard(lock_);
    frames_.clear();
}

Capture::Match OfType(uint16_t etherType) {
    return [etherType](const Bytes& f) { return f.size() >= 14 && (f[12] << 8 | f[13]) == etherType; };
}

}  // namespace sim
