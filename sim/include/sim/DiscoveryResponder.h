#pragma once
// The servers and devices that answer discovery probes, behind the device side of a veth pair.
//
// It watches the interface for UDP broadcasts to the probe ports, logs every one, and answers each
// valid probe from every configured peer of the probe's kind with a frame of its own making (so a
// peer may have any address, also one the host calls its own). A peer can misbehave on demand.

#include "sim/Link.h"

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace sim {

class DiscoveryResponder {
public:
    enum class Fault {
        None,
        Short,            // the reply lacks its last byte
        WrongMagic,       // the reply's first letter is changed
        BadCrc,           // a device reply with the two CRC bytes swapped
        WrongSourcePort,  // answered from the port next to the right one
        Late,             // answered 1.5 s after the probe
        Duplicated,       // every reply sent three times
    };

    // kind 1: a server answering probes to UDP port 8787 from 8787; kind 2: a device answering
    // probes to port 8000 from 8000; kind 4: a device on port 9000.
    struct Peer {
        uint32_t address;  // first byte of the dotted form most significant
        uint8_t kind;
        Fault fault = Fault::None;
    };

    struct Probe {
        uint32_t sourceAddress;
        uint16_t sourcePort;
        uint32_t destinationAddress;
        uint16_t destinationPort;
        Bytes payload;
    };

    static std::unique_ptr<DiscoveryResponder> Open(const std::string& deviceInterface, std::string* error = nullptr);
    ~DiscoveryResponder();
    DiscoveryResponder(const DiscoveryResponder&) = delete;
    DiscoveryResponder& operator=(const DiscoveryResponder&) = delete;

    void SetPeers(std::vector<Peer> peers);
    // Every probe seen since the last Clear, in arrival order.
    std::vector<Probe> Probes() const;
    // Replies put on the wire since the last Clear (late ones once they are sent); late replies
    // still pending are not sent at all.
    int RepliesSent() const;
    void Clear();

    static uint32_t Address(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
        return uint32_t(a) << 24 | uint32_t(b) << 16 | uint32_t(c) << 8 | d;
    }

private:
    explicit DiscoveryResponder(std::unique_ptr<PcapLink> link);
    void Run();
    void Answer(const Bytes& frame);
    void SendLater(Bytes reply);

    std::unique_ptr<PcapLink> link_;
    // Guarded by lock_: peers_ and probes_ are written by the test thread and the receive thread;
    // replies_ by the receive thread and the late senders; stopping_ wakes the late senders.
    mutable std::mutex lock_;
    std::condition_variable stopped_;
    std::vector<Peer> peers_;
    std::vector<Probe> probes_;
    int replies_ = 0;
    int generation_ = 0;  // counts Clear calls: a late reply of an earlier generation is dropped
    bool stopping_ = false;
    std::vector<std::thread> lateSenders_;  // joined by the destructor
    std::thread receiver_;
};

}  // namespace sim
