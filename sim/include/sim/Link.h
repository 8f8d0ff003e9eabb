#pragma once
// The simulator's side of the wire: one network interface, opened through wpcap.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct pcap;

namespace sim {

using Bytes = std::vector<uint8_t>;

struct WireFrame {
    Bytes bytes;
    uint32_t seconds = 0;       // capture time stamp
    uint32_t microseconds = 0;
};

class Link {
public:
    virtual ~Link() = default;
    virtual bool Send(const Bytes& frame) = 0;
    // Waits for the next frame; empty when Interrupt was called or the interface failed.
    virtual std::optional<WireFrame> Receive() = 0;
    // Makes a Receive that waits now (or the next one) return empty. Callable from any thread.
    virtual void Interrupt() = 0;
    // False once the interface failed (for example, it went down).
    virtual bool Healthy() const = 0;
};

// The wpcap device name of a Linux interface: Wine lists adapters as \Device\NPF_{...}
// with the Linux interface name as their description.
std::string FindPcapDevice(const std::string& interfaceName);

class PcapLink : public Link {
public:
    // Opens the interface promiscuously with a 1 ms read time-out: Wine's wpcap hands a frame
    // over only when the read time-out expires, so a short one keeps answers prompt. With no
    // traffic at all a read waits for ever (Linux capture retires no empty block), so waiting
    // readers are released by Interrupt, which breaks the capture loop.
    static std::unique_ptr<PcapLink> Open(const std::string& interfaceName, std::string* error = nullptr);
    ~PcapLink() override;

    bool Send(const Bytes& frame) override;
    std::optional<WireFrame> Receive() override;
    void Interrupt() override;
    bool Healthy() const override { return healthy_; }

private:
    explicit PcapLink(pcap* handle) : handle_(handle) {}
    pcap* handle_;
    bool healthy_ = true;
};

}  // namespace sim
