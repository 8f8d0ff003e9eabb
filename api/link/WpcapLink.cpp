// The link over Wine's (or WinPcap's) wpcap.dll.

#include "link/Link.h"

#include <pcap/pcap.h>

namespace capi {
namespace {

constexpr int kSnapshotLength = 65536;

class WpcapLink : public Link {
public:
    explicit WpcapLink(pcap_t* handle) : handle_(handle) {}
    ~WpcapLink() override { pcap_close(handle_); }

    bool Send(const uint8_t* frame, size_t length) override {
        return pcap_sendpacket(handle_, frame, static_cast<int>(length)) != -1;
    }

    ReceiveStatus Receive(ReceivedFrame& frame) override {
        pcap_pkthdr* header = nullptr;
        const u_char* data = nullptr;
        switch (pcap_next_ex(handle_, &header, &data)) {
        case 1:
            frame.bytes = data;
            frame.length = header->caplen;
            frame.stampSeconds = static_cast<uint32_t>(header->ts.tv_sec);
            frame.stampMicroseconds = static_cast<uint32_t>(header->ts.tv_usec);
            return ReceiveStatus::Frame;
        case 0:
            return ReceiveStatus::TimedOut;
        case PCAP_ERROR_BREAK:
            return ReceiveStatus::Interrupted;
        default:
            return ReceiveStatus::Failed;
        }
    }

    void Interrupt() override { pcap_breakloop(handle_); }

    bool SetFilter(const std::string& expression) override {
        bpf_program program;
        if (pcap_compile(handle_, &program, expression.c_str(), 1, 0xFFFFFFFF) != 0) return false;
        const bool set = pcap_setfilter(handle_, &program) == 0;
        pcap_freecode(&program);
        return set;
    }

private:
    pcap_t* handle_;
};

}  // namespace

std::unique_ptr<Link> OpenCaptureLink(const std::string& device, std::string* error) {
    char text[PCAP_ERRBUF_SIZE] = {};
    pcap_t* handle = pcap_create(device.c_str(), text);
    if (!handle) {
        if (error) *error = text;
        return nullptr;
    }
    pcap_set_snaplen(handle, kSnapshotLength);
    pcap_set_promisc(handle, 1);
    pcap_set_timeout(handle, kReadTimeoutMs);
    pcap_set_buffer_size(handle, kCaptureBufferBytes);
    if (pcap_activate(handle) < 0) {
        if (error) *error = pcap_geterr(handle);
        pcap_close(handle);
        return nullptr;
    }
    return std::make_unique<WpcapLink>(handle);
}

}  // namespace capi
