#pragma once
// Sending command frames and waiting for their replies.
//
// One send-and-wait is outstanding at a time, across all threads: a caller holds the exchange lock
// from setting up the awaited reply until it has copied the reply out. A reply completes the wait
// only when it repeats the command, count and first address of the frame sent and is long enough
// for its body. The receive thread, the only thread that can deliver a reply, never waits.

#include "link/Link.h"
#include "protocol/CommandFrame.h"
#include "runtime/SlimLock.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace capi {

enum class Exchange {
    NotSent,  // not connected, or the adapter refused the frame
    NoReply,  // sent; no matching reply within the reply time-out
    Replied,  // sent and answered
};

class CommandChannel {
public:
    // Reads the reply while the channel still holds it.
    using ReplyReader = std::function<void(const uint8_t* reply, size_t length)>;

    // The tester answers within microseconds; 10 ms is the wait it was made for.
    static constexpr DWORD kReplyTimeoutMs = 10;
    // The name of the environment variable that may lengthen the wait (never shorten it), up to
    // kLongestReplyWaitMs: a simulated tester on a busy machine answers later than the hardware.
    static constexpr const char* kReplyWaitVariable = "BREVIX_REPLY_WAIT_MS";
    static constexpr DWORD kLongestReplyWaitMs = 1000;
    // The wait in force, read from the environment on first use.
    static DWORD ReplyWaitMs();

    static CommandChannel& Instance();

    // The connection hands over its link once the adapter is open, and takes it back when it ends;
    // without a link nothing is sent.
    void Attach(std::shared_ptr<Link> link);
    void Detach();
    // The thread that delivers replies: its own sends never wait. A receive thread that ends
    // clears only its own id (a stopping connection's thread may end after the next one started).
    void SetReceiveThread(DWORD threadId) { receiveThread_ = threadId; }
    void ClearReceiveThread(DWORD threadId) { receiveThread_.compare_exchange_strong(threadId, 0); }
    // The calling thread delivers the replies: a wait there cannot be answered.
    bool OnReceiveThread() const { return GetCurrentThreadId() == receiveThread_; }

    bool SendRaw(const uint8_t* frame, size_t length);
    // Sends and waits up to ReplyWaitMs() for the reply; the every-tenth-call message pump runs
    // first, outside every lock. On the receive thread it sends without waiting.
    Exchange SendAndWait(const CommandFrame& frame, const ReplyReader& read = {});
    bool SendNoWait(const CommandFrame& frame);
    // Ends a wait early (terminate) and pumps the caller's pending messages once.
    void CancelWait();

    // Receive thread: a reply frame arrived; true when it completed the waiting call.
    bool OfferReply(const uint8_t* frame, size_t length);

private:
    CommandChannel() = default;
    std::shared_ptr<Link> CurrentLink() const;

    // Held by a sending thread from setting up the awaited reply to copying the reply out.
    std::mutex exchangeLock_;

    // slotLock_ guards the awaited reply: the sending thread sets it up and reads the reply, the
    // receive thread fills it in.
    SlimLock slotLock_;
    SlimCondition replied_;
    bool awaiting_ = false;
    bool answered_ = false;
    ReplyPattern expected_;
    uint8_t reply_[kCommandFrameBytes] = {};
    size_t replyLength_ = 0;

    // linkLock_ guards link_: the connection sets it, every sending thread copies it.
    mutable std::mutex linkLock_;
    std::shared_ptr<Link> link_;

    std::atomic<uint32_t> sendCount_{0};
    std::atomic<DWORD> receiveThread_{0};
};

}  // namespace capi
