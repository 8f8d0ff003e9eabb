#include "protocol/CommandProtocol.h"

#include "runtime/PumpWait.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace capi {

CommandChannel& CommandChannel::Instance() {
    static CommandChannel channel;
    return channel;
}

void CommandChannel::Attach(std::shared_ptr<Link> link) {
    std::lock_guard<std::mutex> guard(linkLock_);
    link_ = std::move(link);
}

void CommandChannel::Detach() {
    std::lock_guard<std::mutex> guard(linkLock_);
    link_.reset();
}

std::shared_ptr<Link> CommandChannel::CurrentLink() const {
    std::lock_guard<std::mutex> guard(linkLock_);
    return link_;
}

bool CommandChannel::SendRaw(const uint8_t* frame, size_t length) {
    const std::shared_ptr<Link> link = CurrentLink();
    return link && link->Send(frame, length);
}

bool CommandChannel::SendNoWait(const CommandFrame& frame) { return SendRaw(frame.bytes, frame.length); }

DWORD CommandChannel::ReplyWaitMs() {
    static const DWORD wait = [] {
        char value[16];
        const DWORD length = GetEnvironmentVariableA(kReplyWaitVariable, value, sizeof value);
        if (length == 0 || length >= sizeof value) return kReplyTimeoutMs;
        const unsigned long asked = std::strtoul(value, nullptr, 10);
        return DWORD(std::clamp<unsigned long>(asked, kReplyTimeoutMs, kLongestReplyWaitMs));
    }();
    return wait;
}

Exchange CommandChannel::SendAndWait(const CommandFrame& frame, const ReplyReader& read) {
    if (GetCurrentThreadId() == receiveThread_) return SendNoWait(frame) ? Exchange::NoReply : Exchange::NotSent;

    // Every tenth call (the first, the eleventh ...) lets the caller's window messages through
    // before it sends, so long runs of register calls keep a GUI responsive. It dispatches what
    // is waiting and does not wait for more: a millisecond's wait in every tenth call made those
    // calls twice as slow as the rest and the mean a quarter slower than the wire.
    if (sendCount_.fetch_add(1) % 10 == 0) PumpMessages();

    std::lock_guard<std::mutex> exchange(exchangeLock_);
    {
        std::lock_guard<SlimLock> guard(slotLock_);
        awaiting_ = true;
        answered_ = false;
        expected_ = ExpectedReply(frame.bytes);
    }
    const bool sent = SendRaw(frame.bytes, frame.length);
    std::lock_guard<SlimLock> slot(slotLock_);
    if (sent) replied_.WaitFor(slotLock_, ReplyWaitMs(), [this] { return answered_ || !awaiting_; });
    awaiting_ = false;
    if (!sent) return Exchange::NotSent;
    if (!answered_) return Exchange::NoReply;
    if (read) read(reply_, replyLength_);
    return Exchange::Replied;
}

void CommandChannel::CancelWait() {
    {
        std::lock_guard<SlimLock> guard(slotLock_);
        awaiting_ = false;
    }
    replied_.NotifyAll();
    PumpMessages();
}

bool CommandChannel::OfferReply(const uint8_t* frame, size_t length) {
    {
        std::lock_guard<SlimLock> guard(slotLock_);
        if (!awaiting_ || answered_ || length > sizeof reply_ || !Answers(expected_, frame, length)) return false;
        std::memcpy(reply_, frame, length);
        replyLength_ = length;
        answered_ = true;
    }
    replied_.NotifyAll();
    return true;
}

}  // namespace capi
