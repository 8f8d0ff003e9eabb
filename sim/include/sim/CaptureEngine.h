#pragma once
// The capture engine of both ports: frames a port receives while its capture runs are stored in
// the tester (up to the machine's capacity) and sent to the host in blocks when it asks, or
// forwarded at once, each wrapped in the 36-byte capture header. Registers (Port B at + 0x02000000):
//   0x41000000  capture control: bit 31 jumbo capture (frames over 2032 bytes go in chunks)
//   0x41000024  capture status (read): bit 31 running, the low half the frames held
//   0x41000028  block count (read): frames held in the high half; 0xFFFF there while a running
//               capture has refused a frame for want of room; below 0x10000 when nothing is held
//   0x41000038  replay command: 4 start (the store emptied), 8/16/32/64/128/256 send the next block
//               of 1/100/10/20/30/60 frames, 512 halt the upload (what the store still holds is
//               dropped); bit 10 (VLAN exchange) is ignored
//   0x410000B0-BC the wrap's destination and source; 0x410000C0 the mode word (0x100: forward each
//   frame at once); 0x410000C4 the wrap tag; 0x410000C8 the run word (bit 31 running)
// Wrap layout: machine ids 1 and 2 put the stamp at 16, the length word (wire length in bits 0-13)
// at 20, an extra word at 28 and a status word at 32; ids 3 and 4 put the length word (speed code
// in bits 29-31) at 12, the stamp at 16 and the extra word at 20. Every id puts the wrap tag at 24,
// where the host does not look. The payload starts at byte 36.

#include "sim/Tester.h"

#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

namespace sim {

class CaptureEngine {
public:
    static constexpr uint32_t kChunkBytes = 2000;
    static constexpr uint32_t kLongestWhole = 2032;

    CaptureEngine(Tester& tester, int machineId);
    CaptureEngine(const CaptureEngine&) = delete;
    CaptureEngine& operator=(const CaptureEngine&) = delete;

    // A frame the port receives from its link partner: captured while the port's capture runs.
    void Receive(int port, const Bytes& frame);
    // `count` frames of `length` bytes, each numbered in its first four bytes from `first` on.
    void ReceiveNumbered(int port, uint32_t first, uint32_t count, uint32_t length);

    size_t Capacity() const { return capacity_; }
    size_t Held(int port) const;
    bool Running(int port) const;
    // Wrapped frames sent to the host so far.
    size_t Sent(int port) const;
    // Halt commands the port received.
    size_t Halts(int port) const;
    // The stamp the next captured frame gets; stamps grow by 1000 a frame (microseconds).
    uint32_t StampOf(int port, size_t index) const;
    // A slow tester: while held, the host's block requests wait in order and the store keeps their
    // frames; the release serves them.
    void HoldBlocks(bool hold);
    // Block requests waiting for the release.
    size_t WaitingRequests(int port) const;

private:
    struct Stored {
        Bytes bytes;
        uint32_t stamp;
    };
    struct Port {
        std::deque<Stored> store;
        bool refused = false;
        uint32_t nextStamp = 0x1000;
        size_t sent = 0;
        size_t halts = 0;
        std::vector<uint32_t> waitingRequests;
    };

    void OnReplayCommand(int port, uint32_t value);
    // Takes the next block of a block request from the store; lock_ held.
    std::vector<Stored> TakeBlock(Port& state, uint32_t command);
    void SendWrapped(int port, const Stored& frame);
    Bytes Wrap(int port, const Bytes& payload, uint32_t wireLength, uint32_t stamp) const;

    Tester& tester_;
    const int machineId_;
    const size_t capacity_;
    // Guarded by lock_: the tester's receive thread (register hooks) and test threads.
    mutable std::mutex lock_;
    Port ports_[2];
    bool holdBlocks_ = false;
};

}  // namespace sim
