#pragma once
// A simulated Brevix tester: answers the host's register command frames on its side of a veth
// pair, sends device notices, and misbehaves on request so that time-outs and loss can be tested.

#include "sim/Link.h"
#include "sim/RegisterFile.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace sim {

// EtherTypes of the register protocol.
constexpr uint16_t kCommandType = 0xFF03;
constexpr uint16_t kReplyType = 0xFF04;
constexpr uint16_t kNoticeType = 0xFF06;

struct LoggedFrame {
    std::chrono::steady_clock::time_point at;
    Bytes bytes;
};

class Tester {
public:
    using Clock = std::chrono::steady_clock;
    // Sees every received frame before the command handler; returns true when it consumed it.
    using FrameHandler = std::function<bool(const Bytes& frame)>;

    explicit Tester(std::unique_ptr<Link> link);
    ~Tester();
    Tester(const Tester&) = delete;
    Tester& operator=(const Tester&) = delete;

    void Start();
    void Stop();

    RegisterFile& Registers() { return registers_; }

    // The tester's own MAC address: the source of its replies and notices.
    void SetMac(const uint8_t mac[6]);
    void AddFrameHandler(FrameHandler handler);
    // A handler asked before the frame handlers, which can be replaced or cleared (nullptr) at any
    // time: once the call returns, the handler it replaced is not running and is not asked again.
    void SetInterceptor(FrameHandler handler);

    // Misbehaviour. Silent: commands get no reply (frames are still logged). DropReplies: the
    // next n replies are not sent. ReplyDelay: every reply leaves this long after its command.
    void SetSilent(bool silent) { silent_ = silent; }
    void DropReplies(int count) { dropReplies_ = count; }
    void SetReplyDelay(std::chrono::milliseconds delay) { replyDelay_ = delay; }
    // Vanished: the tester is gone from the wire until it is told to come back. It sends nothing
    // at all (no reply, no probe answer, no notice; held-back replies are discarded) and takes
    // nothing in: frames reach neither the frame handlers nor the register file, and are only
    // logged, as the wire carried them. Once the call returns, nothing more leaves.
    void SetVanished(bool vanished);

    // Device notice: EtherType FF 06, byte 14 the kind, byte 15 the flags, then extra bytes.
    // False when nothing was sent (a vanished tester sends nothing).
    bool SendNotice(uint8_t kind, uint8_t flags, const Bytes& extra = {});
    // Any frame at all, for foreign and oversized frames. False when nothing was sent.
    bool SendRaw(const Bytes& frame);

    // Every frame received, time-stamped, in order of arrival.
    std::vector<LoggedFrame> Log() const;
    void ClearLog();
    // The received command frames only.
    std::vector<LoggedFrame> Commands() const;
    // Waits until a logged frame satisfies the predicate; false on time-out.
    bool WaitForFrame(const std::function<bool(const Bytes&)>& match, std::chrono::milliseconds timeout);

    // The reply to one command frame, built from the register file (empty for no reply).
    Bytes BuildReply(const Bytes& command);

private:
    void ReceiveLoop();
    void SendReply(Bytes reply);
    Bytes Header(uint16_t etherType) const;

    std::unique_ptr<Link> link_;
    RegisterFile registers_;
    uint8_t mac_[6] = {0x02, 0x5E, 0xC1, 0x0D, 0xFF, 0x00};

    std::atomic<bool> silent_{false};
    std::atomic<bool> vanished_{false};  // changed under sendLock_, so no send straddles a change
    std::atomic<int> dropReplies_{0};
    std::atomic<std::chrono::milliseconds> replyDelay_{std::chrono::milliseconds(0)};

    // Frame log and handlers: guarded by logLock_; written by the receive thread, read by tests.
    mutable std::mutex logLock_;
    std::condition_variable logChanged_;
    std::vector<LoggedFrame> log_;
    std::vector<FrameHandler> handlers_;
    std::mutex interceptLock_;  // held while the interceptor runs
    FrameHandler interceptor_;

    // Replies held back by a reply delay: guarded by outboxLock_, sent by the outbox thread.
    std::mutex outboxLock_;
    std::condition_variable outboxChanged_;
    std::vector<std::pair<Clock::time_point, Bytes>> outbox_;

    std::mutex sendLock_;  // one frame at a time on the link
    std::atomic<bool> running_{false};
    std::thread receiver_;
    std::thread outboxThread_;
};

}  // namespace sim
