#include "sim/Tester.h"

#include <algorithm>

namespace sim {
namespace {

constexpr size_t kMinFrame = 60;
// Registers are 32 bits wide at byte addresses: a sequential command's register i sits at its
// start address + 4i, the 64-bit entries of command 3 included.
constexpr uint32_t kRegisterStride = 4;

uint32_t Nth(uint32_t start, size_t i) { return start + kRegisterStride * uint32_t(i); }

uint32_t GetBig32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

void PutBig32(Bytes& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v >> 24);
    b[at + 1] = uint8_t(v >> 16);
    b[at + 2] = uint8_t(v >> 8);
    b[at + 3] = uint8_t(v);
}

uint16_t EtherType(const Bytes& frame) {
    return frame.size() < 14 ? 0 : uint16_t(frame[12] << 8 | frame[13]);
}

}  // namespace

Tester::Tester(std::unique_ptr<Link> link) : link_(std::move(link)) {}

Tester::~Tester() { Stop(); }

void Tester::Start() {
    if (running_.exchange(true)) return;
    receiver_ = std::thread([this] { ReceiveLoop(); });
    outboxThread_ = std::thread([this] {
        std::unique_lock<std::mutex> lock(outboxLock_);
        while (running_) {
            if (outbox_.empty()) {
                outboxChanged_.wait(lock);
                continue;
            }
            auto next = std::min_element(outbox_.begin(), outbox_.end(),
                                         [](auto& a, auto& b) { return a.first < b.first; });
            if (Clock::now() < next->first) {
                outboxChanged_.wait_until(lock, next->first);
                continue;
            }
            Bytes frame = std::move(next->second);
            outbox_.erase(next);
            lock.unlock();
            SendRaw(frame);
            lock.lock();
        }
    });
}

void Tester::Stop() {
    if (!running_.exchange(false)) return;
    link_->Interrupt();
    {
        std::lock_guard<std::mutex> guard(outboxLock_);
        outboxChanged_.notify_all();
    }
    receiver_.join();
    outboxThread_.join();
}

void Tester::SetMac(const uint8_t mac[6]) { std::copy(mac, mac + 6, mac_); }

void Tester::AddFrameHandler(FrameHandler handler) {
    std::lock_guard<std::mutex> guard(logLock_);
    handlers_.push_back(std::move(handler));
}

void Tester::SetInterceptor(FrameHandler handler) {
    std::lock_guard<std::mutex> guard(interceptLock_);
    interceptor_ = std::move(handler);
}

Bytes Tester::Header(uint16_t etherType) const {
    Bytes frame(14, 0);
    std::fill(frame.begin(), frame.begin() + 6, 0xFF);
    std::copy(mac_, mac_ + 6, frame.begin() + 6);
    frame[12] = uint8_t(etherType >> 8);
    frame[13] = uint8_t(etherType);
    return frame;
}

bool Tester::SendNotice(uint8_t kind, uint8_t flags, const Bytes& extra) {
    Bytes frame = Header(kNoticeType);
    frame.push_back(kind);
    frame.push_back(flags);
    frame.insert(frame.end(), extra.begin(), extra.end());
    if (frame.size() < kMinFrame) frame.resize(kMinFrame, 0);
    return SendRaw(frame);
}

bool Tester::SendRaw(const Bytes& frame) {
    std::lock_guard<std::mutex> guard(sendLock_);
    return !vanished_ && link_->Send(frame);
}

void Tester::SetVanished(bool vanished) {
    {
        std::lock_guard<std::mutex> guard(sendLock_);
        vanished_ = vanished;
    }
    if (!vanished) return;
    std::lock_guard<std::mutex> guard(outboxLock_);
    outbox_.clear();
}

Bytes Tester::BuildReply(const Bytes& command) {
    if (command.size() < 20 || EtherType(command) != kCommandType) return {};
    const uint8_t kind = command[14];
    const uint8_t countByte = command[15];
    Bytes reply = Header(kReplyType);
    // The reply goes back to whoever sent the command.
    std::copy(command.begin() + 6, command.begin() + 12, reply.begin());
    reply.push_back(kind);
    reply.push_back(countByte);

    switch (kind) {
    case 0: {  // general (address, value) pairs; bit 31 of the address marks a read
        const size_t count = std::min<size_t>(countByte, (command.size() - 16) / 8);
        reply.resize(16 + 8 * count);
        for (size_t i = 0; i < count; ++i) {
            const uint32_t address = GetBig32(command, 16 + 8 * i);
            uint32_t value = GetBig32(command, 20 + 8 * i);
            if (address & 0x80000000u) value = registers_.Read(address & 0x7FFFFFFFu);
            else registers_.Write(address, value);
            PutBig32(reply, 16 + 8 * i, address);
            PutBig32(reply, 20 + 8 * i, value);
        }
        break;
    }
    case 1: {  // sequential 32-bit read; a count byte of 0 means 256
        const size_t count = countByte ? countByte : 256;
        const uint32_t start = GetBig32(command, 16);
        reply.resize(20 + 4 * count);
        PutBig32(reply, 16, start);
        for (size_t i = 0; i < count; ++i) PutBig32(reply, 20 + 4 * i, registers_.Read(Nth(start, i)));
        break;
    }
    case 2: {  // sequential write: echoed as received
        const size_t count = std::min<size_t>(countByte ? countByte : 256, (command.size() - 20) / 4);
        const uint32_t start = GetBig32(command, 16);
        reply.resize(20 + 4 * count);
        PutBig32(reply, 16, start);
        for (size_t i = 0; i < count; ++i) {
            const uint32_t value = GetBig32(command, 20 + 4 * i);
            registers_.Write(Nth(start, i), value);
            PutBig32(reply, 20 + 4 * i, value);
        }
        break;
    }
    case 3: {  // sequential 64-bit read: each value as its low word, then its high word
        const size_t count = countByte;
        const uint32_t start = GetBig32(command, 16);
        reply.resize(20 + 8 * count);
        PutBig32(reply, 16, start);
        for (size_t i = 0; i < count; ++i) {
            const uint64_t value = registers_.Read64(Nth(start, i));
            PutBig32(reply, 20 + 8 * i, uint32_t(value));
            PutBig32(reply, 24 + 8 * i, uint32_t(value >> 32));
        }
        break;
    }
    default:
        return {};
    }
    if (reply.size() < kMinFrame) reply.resize(kMinFrame, 0);
    return reply;
}

void Tester::SendReply(Bytes reply) {
    const auto delay = replyDelay_.load();
    if (delay.count() == 0) {
        SendRaw(reply);
        return;
    }
    std::lock_guard<std::mutex> guard(outboxLock_);
    if (vanished_) return;  // built just before the tester vanished
    outbox_.emplace_back(Clock::now() + delay, std::move(reply));
    outboxChanged_.notify_all();
}

void Tester::ReceiveLoop() {
    while (running_) {
        std::optional<WireFrame> received = link_->Receive();
        if (!received) {
            if (!link_->Healthy()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        const Bytes& frame = received->bytes;
        // The device side hears its own transmissions too; those are not the host's.
        if (frame.size() >= 12 && std::equal(mac_, mac_ + 6, frame.begin() + 6)) continue;

        std::vector<FrameHandler> handlers;
        {
            std::lock_guard<std::mutex> guard(logLock_);
            log_.push_back({Clock::now(), frame});
            handlers = handlers_;
        }
        logChanged_.notify_all();
        if (vanished_) continue;

        bool consumed = false;
        {
            std::lock_guard<std::mutex> guard(interceptLock_);
            consumed = interceptor_ && interceptor_(frame);
        }
        for (auto handler = handlers.begin(); !consumed && handler != handlers.end(); ++handler) consumed = (*handler)(frame);
        if (consumed || EtherType(frame) != kCommandType || silent_) continue;
        Bytes reply = BuildReply(frame);
        if (reply.empty()) continue;
        if (dropReplies_ > 0) {
            --dropReplies_;
            continue;
        }
        SendReply(std::move(reply));
    }
}

std::vector<LoggedFrame> Tester::Log() const {
    std::lock_guard<std::mutex> guard(logLock_);
    return log_;
}

void Tester::ClearLog() {
    std::lock_guard<std::mutex> guard(logLock_);
    log_.clear();
}

std::vector<LoggedFrame> Tester::Commands() const {
    std::vector<LoggedFrame> commands;
    for (auto& entry : Log()) {
        if (EtherType(entry.bytes) == kCommandType) commands.push_back(entry);
    }
    return commands;
}

bool Tester::WaitForFrame(const std::function<bool(const Bytes&)>& match, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(logLock_);
    size_t checked = 0;
    return logChanged_.wait_for(lock, timeout, [&] {
        for (; checked < log_.size(); ++checked) {
            if (match(log_[checked].bytes)) return true;
        }
        return false;
    });
}

}  // namespace sim
