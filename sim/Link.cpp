#include "sim/Link.h"

#include <pcap/pcap.h>

#include <cstring>

namespace sim {

std::string FindPcapDevice(const std::string& interfaceName) {
    pcap_if_t* devices = nullptr;
    char error[PCAP_ERRBUF_SIZE] = {};
    if (pcap_findalldevs(&devices, error) != 0) return {};
    std::string found;
    for (pcap_if_t* d = devices; d; d = d->next) {
        if ((d->description && interfaceName == d->description) || interfaceName == d->name) {
            found = d->name;
            break;
        }
    }
    pcap_freealldevs(devices);
    return found;
}

std::unique_ptr<PcapLink> PcapLink::Open(const std::string& interfaceName, std::string* error) {
    auto fail = [&](const std::string& why) -> std::unique_ptr<PcapLink> {
        if (error) *error = why;
        return nullptr;
    };
    const std::string device = FindPcapDevice(interfaceName);
    if (device.empty()) return fail("no capture device for interface " + interfaceName);
    char text[PCAP_ERRBUF_SIZE] = {};
    pcap_t* handle = pcap_create(device.c_str(), text);
    if (!handle) return fail(text);
    pcap_set_snaplen(handle, 65535);
    pcap_set_promisc(handle, 1);
    pcap_set_timeout(handle, 1);
    if (pcap_activate(handle) < 0) {
        std::string why = pcap_geterr(handle);
        pcap_close(handle);
        return fail(why);
    }
    return std::unique_ptr<PcapLink>(new PcapLink(handle));
}

PcapLink::~PcapLink() { pcap_close(handle_); }

bool PcapLink::Send(const Bytes& frame) {
    if (pcap_sendpacket(handle_, frame.data(), static_cast<int>(frame.size())) != 0) {
        healthy_ = false;
        return false;
    }
    return true;
}

void PcapLink::Interrupt() { pcap_breakloop(handle_); }

std::optional<WireFrame> PcapLink::Receive() {
    pcap_pkthdr* header = nullptr;
    const u_char* data = nullptr;
    const int result = pcap_next_ex(handle_, &header, &data);
    if (result == PCAP_ERROR_BREAK) return std::nullopt;
    if (result < 0) {
        healthy_ = false;
        return std::nullopt;
    }
    if (result == 0) return std::nullopt;
    WireFrame frame;
    frame.bytes.assign(data, data + header->caplen);
    frame.seconds = static_cast<uint32_t>(header->ts.tv_sec);
    frame.microseconds = static_cast<uint32_t>(header->ts.tv_usec);
    return frame;
}

}  // namespace sim
