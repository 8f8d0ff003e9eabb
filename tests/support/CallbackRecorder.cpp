#include "support/CallbackRecorder.h"

namespace support {

CallbackRecorder& CallbackRecorder::Instance() {
    static CallbackRecorder recorder;
    return recorder;
}

void WINAPI CallbackRecorder::Callback(const uint8_t* message, int32_t length, uint32_t seconds,
                                       uint32_t microseconds) {
    HostMessage recorded;
    if (message && length > 0) recorded.bytes.assign(message, message + length);
    recorded.stampSeconds = seconds;
    recorded.stampMicroseconds = microseconds;
    recorded.thread = GetCurrentThreadId();
    recorded.at = std::chrono::steady_clock::now();
    Instance().Record(std::move(recorded));
}

void CallbackRecorder::Record(HostMessage message) {
    std::unique_lock<std::mutex> lock(lock_);
    messages_.push_back(std::move(message));
    changed_.notify_all();
    if (!blocked_) return;
    ++waiting_;
    changed_.wait(lock, [this] { return !blocked_; });
    --waiting_;
}

void CallbackRecorder::Clear() {
    std::lock_guard<std::mutex> guard(lock_);
    messages_.clear();
}

std::vector<HostMessage> CallbackRecorder::Messages() const {
    std::lock_guard<std::mutex> guard(lock_);
    return messages_;
}

std::vector<HostMessage> CallbackRecorder::OfType(uint16_t type) const {
    std::vector<HostMessage> found;
    for (auto& message : Messages()) {
        if (message.Type() == type) found.push_back(message);
    }
    return found;
}

HostMessage CallbackRecorder::WaitFor(const std::function<bool(const HostMessage&)>& match,
                                      std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(lock_);
    size_t checked = 0;
    HostMessage found;
    changed_.wait_for(lock, timeout, [&] {
        for (; checked < messages_.size(); ++checked) {
            if (match(messages_[checked])) {
                found = messages_[checked];
                return true;
            }
        }
        return false;
    });
    return found;
}

HostMessage CallbackRecorder::WaitForType(uint16_t type, std::chrono::milliseconds timeout) {
    return WaitFor([type](const HostMessage& m) { return m.Type() == type; }, timeout);
}

void CallbackRecorder::Block() {
    std::lock_guard<std::mutex> guard(lock_);
    blocked_ = true;
}

void CallbackRecorder::Unblock() {
    std::lock_guard<std::mutex> guard(lock_);
    blocked_ = false;
    changed_.notify_all();
}

int CallbackRecorder::Waiting() const {
    std::lock_guard<std::mutex> guard(lock_);
    return waiting_;
}

}  // namespace support
