#include "capture/FrameHeaders.h"

#include <cstdio>

namespace capture {
namespace {

constexpr uint16_t kTypeIpv4 = 0x0800;
constexpr uint16_t kTypeArp = 0x0806;
constexpr uint16_t kTypeIpv6 = 0x86DD;
// Ethernet's largest payload: a type field at or below it is an 802.3 length.
constexpr uint16_t kMaxLengthField = 1500;

constexpr uint8_t kProtocolIcmp = 1;
constexpr uint8_t kProtocolTcp = 6;
constexpr uint8_t kProtocolUdp = 17;

constexpr size_t kEthernetBytes = 14;
constexpr size_t kVlanTagBytes = 4;
constexpr size_t kArpFixedBytes = 8;
constexpr size_t kIpv4MinBytes = 20;
constexpr size_t kUdpBytes = 8;
constexpr size_t kTcpMinBytes = 20;
constexpr size_t kIcmpBytes = 4;
constexpr size_t kIcmpEchoBytes = 8;

// The bytes a layer may read: every read is checked against `size` first.
struct Bytes {
    const uint8_t* data;
    size_t size;

    bool Has(size_t count) const { return count <= size; }
    uint8_t U8(size_t at) const { return data[at]; }
    uint16_t U16(size_t at) const { return static_cast<uint16_t>(data[at] << 8 | data[at + 1]); }
    uint32_t U32(size_t at) const { return static_cast<uint32_t>(U16(at)) << 16 | U16(at + 2); }
    Bytes From(size_t at) const { return at <= size ? Bytes{data + at, size - at} : Bytes{data + size, 0}; }
    Bytes Take(size_t count) const { return Bytes{data, count < size ? count : size}; }
};

std::string Format(const char* format, unsigned long long a, unsigned long long b = 0) {
    char text[64];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

std::string Decimal(unsigned long long value) { return Format("%llu", value); }
std::string Hex16(uint16_t value) { return Format("0x%04llX", value); }

std::string Mac(Bytes b, size_t at) {
    char text[18];
    std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", b.U8(at), b.U8(at + 1), b.U8(at + 2),
                  b.U8(at + 3), b.U8(at + 4), b.U8(at + 5));
    return text;
}

std::string Ipv4Address(Bytes b, size_t at) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", b.U8(at), b.U8(at + 1), b.U8(at + 2), b.U8(at + 3));
    return text;
}

std::string HexBytes(Bytes b, size_t at, size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i) text += Format(i ? " %02llX" : "%02llX", b.U8(at + i));
    return text;
}

std::string Named(const std::string& value, const char* name) { return name ? value + " (" + name + ")" : value; }

const char* EtherTypeName(uint16_t type) {
    switch (type) {
    case kTypeIpv4:
        return "IPv4";
    case kTypeArp:
        return "ARP";
    case kTypeIpv6:
        return "IPv6";
    case 0x8100:
        return "802.1Q VLAN";
    case 0x88A8:
        return "802.1ad VLAN";
    case 0x9100:
        return "VLAN";
    case 0x8808:
        return "MAC Control";
    case 0x88CC:
        return "LLDP";
    default:
        return nullptr;
    }
}

bool IsVlanTag(uint16_t type) { return type == 0x8100 || type == 0x88A8 || type == 0x9100; }

const char* IpProtocolName(uint8_t protocol) {
    switch (protocol) {
    case kProtocolIcmp:
        return "ICMP";
    case 2:
        return "IGMP";
    case kProtocolTcp:
        return "TCP";
    case kProtocolUdp:
        return "UDP";
    default:
        return nullptr;
    }
}

const char* IcmpTypeName(uint8_t type) {
    switch (type) {
    case 0:
        return "Echo Reply";
    case 3:
        return "Destination Unreachable";
    case 5:
        return "Redirect";
    case 8:
        return "Echo Request";
    case 11:
        return "Time Exceeded";
    default:
        return nullptr;
    }
}

// The one's complement sum a received IPv4 header must give 0xFFFF for.
uint16_t OnesComplementSum(Bytes b, size_t count) {
    uint32_t sum = 0;
    for (size_t at = 0; at + 1 < count; at += 2) sum += b.U16(at);
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint16_t>(sum);
}

class Walk {
public:
    explicit Walk(std::vector<HeaderLayer>& layers) : layers_(layers) {}

    void Ethernet(Bytes b) {
        if (!Fits("Ethernet II", b, kEthernetBytes)) return;
        const uint16_t type = b.U16(12);
        if (type <= kMaxLengthField) {
            HeaderLayer& layer = Add("IEEE 802.3", Mac(b, 6) + " > " + Mac(b, 0));
            Field(layer, "Destination", Mac(b, 0));
            Field(layer, "Source", Mac(b, 6));
            Field(layer, "Length", Decimal(type));
            return;
        }
        HeaderLayer& layer = Add("Ethernet II", Mac(b, 6) + " > " + Mac(b, 0));
        Field(layer, "Destination", Mac(b, 0));
        Field(layer, "Source", Mac(b, 6));
        Field(layer, "Type", Named(Hex16(type), EtherTypeName(type)));
        Payload(type, b.From(kEthernetBytes));
    }

private:
    // The layer of `type` over `b`; each VLAN tag consumes bytes, so the walk ends.
    void Payload(uint16_t type, Bytes b) {
        if (IsVlanTag(type)) return Vlan(type, b);
        if (type == kTypeArp) return Arp(b);
        if (type == kTypeIpv4) return Ipv4(b);
    }

    void Vlan(uint16_t tagType, Bytes b) {
        const char* name = EtherTypeName(tagType);
        if (!Fits(name, b, kVlanTagBytes)) return;
        const uint16_t control = b.U16(0), type = b.U16(2);
        HeaderLayer& layer = Add(name, "VLAN ID " + Decimal(control & 0x0FFF));
        Field(layer, "Priority", Decimal(control >> 13));
        Field(layer, "DEI", Decimal(control >> 12 & 1));
        Field(layer, "VLAN ID", Decimal(control & 0x0FFF));
        Field(layer, "Type", Named(Hex16(type), EtherTypeName(type)));
        Payload(type, b.From(kVlanTagBytes));
    }

    void Arp(Bytes b) {
        if (!Fits("ARP", b, kArpFixedBytes)) return;
        const uint8_t hardwareSize = b.U8(4), protocolSize = b.U8(5);
        const uint16_t operation = b.U16(6);
        const char* operationName = operation == 1 ? "request" : operation == 2 ? "reply" : nullptr;
        const size_t sender = kArpFixedBytes, target = sender + hardwareSize + protocolSize;
        const bool ethernetIpv4 = hardwareSize == 6 && protocolSize == 4;
        std::string summary = operationName ? operationName : "operation " + Decimal(operation);
        if (ethernetIpv4 && b.Has(target + 10)) {
            summary = operation == 1 ? "Who has " + Ipv4Address(b, target + 6) + "? Tell " + Ipv4Address(b, sender + 6)
                      : operation == 2 ? Ipv4Address(b, sender + 6) + " is at " + Mac(b, sender)
                                       : summary;
        }
        HeaderLayer& layer = Add("ARP", summary);
        Field(layer, "Hardware type", Decimal(b.U16(0)));
        Field(layer, "Protocol type", Named(Hex16(b.U16(2)), EtherTypeName(b.U16(2))));
        Field(layer, "Hardware size", Decimal(hardwareSize));
        Field(layer, "Protocol size", Decimal(protocolSize));
        Field(layer, "Operation", Named(Decimal(operation), operationName));
        if (!b.Has(target + hardwareSize + protocolSize))
            return Truncated(layer, b, target + hardwareSize + protocolSize);
        Address(layer, "Sender MAC", b, sender, hardwareSize, ethernetIpv4);
        AddressIp(layer, "Sender IP", b, sender + hardwareSize, protocolSize, ethernetIpv4);
        Address(layer, "Target MAC", b, target, hardwareSize, ethernetIpv4);
        AddressIp(layer, "Target IP", b, target + hardwareSize, protocolSize, ethernetIpv4);
    }

    void Ipv4(Bytes b) {
        if (!Fits("IPv4", b, kIpv4MinBytes)) return;
        const uint8_t version = b.U8(0) >> 4;
        const size_t headerBytes = (b.U8(0) & 0x0F) * 4u;
        const uint16_t totalLength = b.U16(2), fragment = b.U16(6);
        const uint8_t protocol = b.U8(9);
        HeaderLayer& layer = Add("IPv4", Ipv4Address(b, 12) + " > " + Ipv4Address(b, 16));
        Field(layer, "Version", Decimal(version));
        Field(layer, "Header length", Decimal(headerBytes) + " bytes");
        Field(layer, "Type of service", Format("0x%02llX", b.U8(1)));
        Field(layer, "Total length", Decimal(totalLength));
        Field(layer, "Identification", Hex16(b.U16(4)));
        Field(layer, "Flags", Format("0x%llX", fragment >> 13) + FragmentFlags(fragment));
        Field(layer, "Fragment offset", Decimal((fragment & 0x1FFF) * 8u));
        Field(layer, "Time to live", Decimal(b.U8(8)));
        Field(layer, "Protocol", Named(Decimal(protocol), IpProtocolName(protocol)));
        Field(layer, "Source", Ipv4Address(b, 12));
        Field(layer, "Destination", Ipv4Address(b, 16));
        if (version != 4) return Problem(layer, "Not version 4");
        if (headerBytes < kIpv4MinBytes) return Problem(layer, "Header length below 20");
        if (!b.Has(headerBytes)) return Truncated(layer, b, headerBytes);
        const bool checksumHolds = OnesComplementSum(b, headerBytes) == 0xFFFF;
        Field(layer, "Header checksum", Hex16(b.U16(10)) + (checksumHolds ? " (correct)" : " (wrong)"));
        if (headerBytes > kIpv4MinBytes) Field(layer, "Options", Decimal(headerBytes - kIpv4MinBytes) + " bytes");
        if (totalLength < headerBytes) return Problem(layer, "Total length below the header");
        // Bytes past the total length are the Ethernet padding of a short packet.
        const Bytes payload = b.Take(totalLength).From(headerBytes);
        if ((fragment & 0x1FFF) != 0) return;
        if (protocol == kProtocolUdp) return Udp(payload);
        if (protocol == kProtocolTcp) return Tcp(payload);
        if (protocol == kProtocolIcmp) return Icmp(payload);
    }

    void Udp(Bytes b) {
        if (!Fits("UDP", b, kUdpBytes)) return;
        HeaderLayer& layer = Add("UDP", Ports(b));
        Field(layer, "Source port", Decimal(b.U16(0)));
        Field(layer, "Destination port", Decimal(b.U16(2)));
        Field(layer, "Length", Decimal(b.U16(4)));
        Field(layer, "Checksum", Hex16(b.U16(6)));
        Field(layer, "Data", Decimal(b.size - kUdpBytes) + " bytes");
    }

    void Tcp(Bytes b) {
        if (!Fits("TCP", b, kTcpMinBytes)) return;
        const size_t headerBytes = (b.U8(12) >> 4) * 4u;
        HeaderLayer& layer = Add("TCP", Ports(b) + " [" + TcpFlags(b.U8(13)) + "]");
        Field(layer, "Source port", Decimal(b.U16(0)));
        Field(layer, "Destination port", Decimal(b.U16(2)));
        Field(layer, "Sequence number", Decimal(b.U32(4)));
        Field(layer, "Acknowledgement number", Decimal(b.U32(8)));
        Field(layer, "Header length", Decimal(headerBytes) + " bytes");
        Field(layer, "Flags", Format("0x%02llX", b.U8(13)) + " (" + TcpFlags(b.U8(13)) + ")");
        Field(layer, "Window", Decimal(b.U16(14)));
        Field(layer, "Checksum", Hex16(b.U16(16)));
        Field(layer, "Urgent pointer", Decimal(b.U16(18)));
        if (headerBytes < kTcpMinBytes) return Problem(layer, "Header length below 20");
        if (!b.Has(headerBytes)) return Truncated(layer, b, headerBytes);
        if (headerBytes > kTcpMinBytes) Field(layer, "Options", Decimal(headerBytes - kTcpMinBytes) + " bytes");
        Field(layer, "Data", Decimal(b.size - headerBytes) + " bytes");
    }

    void Icmp(Bytes b) {
        if (!Fits("ICMP", b, kIcmpBytes)) return;
        const uint8_t type = b.U8(0);
        const char* typeName = IcmpTypeName(type);
        HeaderLayer& layer = Add("ICMP", typeName ? typeName : "type " + Decimal(type));
        Field(layer, "Type", Named(Decimal(type), typeName));
        Field(layer, "Code", Decimal(b.U8(1)));
        Field(layer, "Checksum", Hex16(b.U16(2)));
        if (type != 0 && type != 8) return;
        if (!b.Has(kIcmpEchoBytes)) return Truncated(layer, b, kIcmpEchoBytes);
        Field(layer, "Identifier", Decimal(b.U16(4)));
        Field(layer, "Sequence number", Decimal(b.U16(6)));
        Field(layer, "Data", Decimal(b.size - kIcmpEchoBytes) + " bytes");
    }

    // False, with a layer saying what is missing, when `b` holds fewer than `needed` bytes.
    bool Fits(const char* name, Bytes b, size_t needed) {
        if (b.Has(needed)) return true;
        Truncated(Add(name, "Truncated"), b, needed);
        return false;
    }

    HeaderLayer& Add(const char* name, std::string summary) {
        layers_.push_back(HeaderLayer{name, std::move(summary), {}});
        return layers_.back();
    }

    static void Field(HeaderLayer& layer, const char* name, std::string value) {
        layer.fields.push_back(HeaderField{name, std::move(value)});
    }
    static void Truncated(HeaderLayer& layer, Bytes b, size_t needed) {
        Field(layer, "Truncated", Format("%llu of %llu bytes", b.size, needed));
    }
    static void Problem(HeaderLayer& layer, const char* what) { Field(layer, "Malformed", what); }

    static void Address(HeaderLayer& layer, const char* name, Bytes b, size_t at, size_t count, bool mac) {
        Field(layer, name, mac ? Mac(b, at) : HexBytes(b, at, count));
    }
    static void AddressIp(HeaderLayer& layer, const char* name, Bytes b, size_t at, size_t count, bool ipv4) {
        Field(layer, name, ipv4 ? Ipv4Address(b, at) : HexBytes(b, at, count));
    }
    static std::string Ports(Bytes b) { return Decimal(b.U16(0)) + " > " + Decimal(b.U16(2)); }

    static std::string FragmentFlags(uint16_t fragment) {
        std::string names;
        if (fragment & 0x4000) names += " DF";
        if (fragment & 0x2000) names += " MF";
        return names.empty() ? "" : " (" + names.substr(1) + ")";
    }
    static std::string TcpFlags(uint8_t flags) {
        static const char* const kNames[8] = {"FIN", "SYN", "RST", "PSH", "ACK", "URG", "ECE", "CWR"};
        std::string names;
        for (int bit = 0; bit < 8; ++bit) {
            if (flags & (1 << bit)) names += (names.empty() ? "" : " ") + std::string(kNames[bit]);
        }
        return names.empty() ? "none" : names;
    }

    std::vector<HeaderLayer>& layers_;
};

}  // namespace

std::vector<HeaderLayer> DecodeFrameHeaders(const uint8_t* frame, size_t length) {
    const Bytes bytes{frame, frame ? length : 0};
    std::vector<HeaderLayer> layers;
    layers.push_back(HeaderLayer{"Frame", Decimal(bytes.size) + " bytes", {{"Length", Decimal(bytes.size)}}});
    Walk(layers).Ethernet(bytes);
    return layers;
}

std::string FrameHexText(const uint8_t* frame, size_t length) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text(frame ? length * 3 : 0, ' ');
    for (size_t i = 0; i < text.size() / 3; ++i) {
        text[i * 3] = kDigits[frame[i] >> 4];
        text[i * 3 + 1] = kDigits[frame[i] & 0x0F];
    }
    return text;
}

int HexAddressDigits(size_t length) {
    const size_t last = length > 0 ? length - 1 : 0;
    int digits = 4;
    while (digits < 16 && (last >> (4 * digits)) != 0) ++digits;
    return digits;
}

}  // namespace capture
