#pragma once
// A link and an adapter source that a test scripts: frames sent are recorded, frames to deliver
// are queued, and the adapter can fail or go down on request.

#include "link/AdapterSource.h"
#include "link/Link.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

namespace scripted {

using Bytes = std::vector<uint8_t>;

class ScriptedLink : public capi::Link {
public:
    // Called for every frame sent; what it returns is delivered (nothing when empty).
    std::function<Bytes(const Bytes& sent)> answer;

    bool Send(const uint8_t* frame, size_t length) override {
        Bytes sent(frame, frame + length);
        Bytes reply = answer ? answer(sent) : Bytes{};
        std::lock_guard<std::mutex> guard(lock_);
        sent_.push_back(sent);
        if (!reply.empty()) inbox_.push_back(reply);
        changed_.notify_all();
        return true;
    }

    capi::ReceiveStatus Receive(capi::ReceivedFrame& frame) override {
        std::unique_lock<std::mutex> lock(lock_);
        changed_.wait(lock, [this] { return interrupted_ || failing_ || !inbox_.empty(); });
        if (interrupted_) {
            interrupted_ = false;
            return capi::ReceiveStatus::Interrupted;
        }
        // Frames that arrived before the failure are delivered first.
        if (inbox_.empty()) {
            ++failedReads_;
            changed_.notify_all();
            return capi::ReceiveStatus::Failed;
        }
        current_ = inbox_.front();
        inbox_.pop_front();
        frame.bytes = current_.data();
        frame.length = current_.size();
        frame.stampSeconds = 100;
        frame.stampMicroseconds = 200;
        return capi::ReceiveStatus::Frame;
    }

    // Reads answered with a failure so far: a reader that has seen one more has handled the last.
    int FailedReads() const {
        std::lock_guard<std::mutex> guard(lock_);
        return failedReads_;
    }

    void Interrupt() override {
        std::lock_guard<std::mutex> guard(lock_);
        interrupted_ = true;
        changed_.notify_all();
    }

    bool SetFilter(const std::string&) override { return true; }

    void Deliver(const Bytes& frame) {
        std::lock_guard<std::mutex> guard(lock_);
        inbox_.push_back(frame);
        changed_.notify_all();
    }
    void Fail() {
        std::lock_guard<std::mutex> guard(lock_);
        failing_ = true;
        changed_.notify_all();
    }
    std::vector<Bytes> Sent() const {
        std::lock_guard<std::mutex> guard(lock_);
        return sent_;
    }

private:
    mutable std::mutex lock_;
    std::condition_variable changed_;
    std::deque<Bytes> inbox_;
    std::vector<Bytes> sent_;
    Bytes current_;
    bool interrupted_ = false;
    bool failing_ = false;
    int failedReads_ = 0;
};

class ScriptedAdapters : public capi::AdapterSource {
public:
    std::vector<capi::CaptureDevice> devices;
    std::vector<capi::NetworkAdapter> adapters;
    capi::AdapterList listResult = capi::AdapterList::Listed;
    std::function<std::shared_ptr<ScriptedLink>(const std::string& device)> open;
    std::atomic<bool> up{true};

    bool ListCaptureDevices(std::vector<capi::CaptureDevice>& out) override {
        out = devices;
        return true;
    }
    capi::AdapterList ListAdapters(std::vector<capi::NetworkAdapter>& out) override {
        out = adapters;
        return listResult;
    }
    std::unique_ptr<capi::Link> Open(const std::string& device, std::string*) override {
        if (!open) return nullptr;
        return std::make_unique<Forwarding>(open(device));
    }
    std::optional<bool> AdapterUp(const std::string&) override { return up.load(); }

private:
    // The library owns what Open returns; the test keeps the scripted link behind it.
    class Forwarding : public capi::Link {
    public:
        explicit Forwarding(std::shared_ptr<ScriptedLink> link) : link_(std::move(link)) {}
        bool Send(const uint8_t* frame, size_t length) override { return link_->Send(frame, length); }
        capi::ReceiveStatus Receive(capi::ReceivedFrame& frame) override { return link_->Receive(frame); }
        void Interrupt() override { link_->Interrupt(); }
        bool SetFilter(const std::string& expression) override { return link_->SetFilter(expression); }

    private:
        std::shared_ptr<ScriptedLink> link_;
    };
};

}  // namespace scripted
