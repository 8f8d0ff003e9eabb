// The headers of captured frames, read from frames that the simulator's wire builders make (an
// independent writer of the same formats), and from every shorter piece of them.
#include "capture/FrameHeaders.h"

#include <sim/PortPeers.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using capture::DecodeFrameHeaders;
using capture::HeaderLayer;

const sim::Mac kStation = {0x00, 0x1C, 0x7E, 0x5D, 0x01, 0xA0};
const sim::Mac kPartner = {0x00, 0x1C, 0x7E, 0x5D, 0x00, 0xA0};
const sim::Ipv4 kStationIp = {10, 77, 80, 3};
const sim::Ipv4 kPartnerIp = {10, 77, 80, 2};

std::vector<HeaderLayer> Decode(const sim::Bytes& frame) { return DecodeFrameHeaders(frame.data(), frame.size()); }

std::vector<std::string> Names(const std::vector<HeaderLayer>& layers) {
    std::vector<std::string> names;
    for (const HeaderLayer& layer : layers) names.push_back(layer.name);
    return names;
}

// The value of the first field `field` of the first layer `layer`, or "<absent>".
std::string Value(const std::vector<HeaderLayer>& layers, const std::string& layer, const std::string& field) {
    for (const HeaderLayer& l : layers) {
        if (l.name != layer) continue;
        for (const auto& f : l.fields) {
            if (f.name == field) return f.value;
        }
        break;
    }
    return "<absent>";
}

sim::Bytes UdpFrame(size_t dataBytes) {
    sim::Bytes data(dataBytes);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i);
    return sim::wire::Udp(kStation, kPartner, kPartnerIp, kStationIp, 49153, 9, data);
}

sim::Bytes VlanTagged(sim::Bytes frame, uint16_t control) {
    const uint8_t tag[4] = {0x81, 0x00, static_cast<uint8_t>(control >> 8), static_cast<uint8_t>(control)};
    frame.insert(frame.begin() + 12, tag, tag + 4);
    return frame;
}

// A TCP segment with a SYN and ACK and 8 option bytes: the UDP frame's IPv4 header with the
// protocol and lengths changed and its checksum set again.
sim::Bytes TcpFrame() {
    sim::Bytes frame = UdpFrame(0);
    frame.resize(14 + 20);
    const uint8_t tcp[28] = {0x01, 0xBB, 0xC3, 0x50, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00, 0x00, 0x2A, 0x70, 0x12,
                             0xFA, 0xF0, 0x12, 0x34, 0x00, 0x00, 0x02, 0x04, 0x05, 0xB4, 0x01, 0x01, 0x04, 0x02};
    frame.insert(frame.end(), tcp, tcp + sizeof tcp);
    frame[14 + 9] = 6;
    sim::wire::Put16(frame, 14 + 2, 20 + sizeof tcp);
    sim::wire::Put16(frame, 14 + 10, 0);
    sim::wire::Put16(frame, 14 + 10, sim::wire::Checksum(frame, 14, 20));
    return frame;
}

TEST(FrameHeaders, UdpFrameShowsEthernetIpv4AndUdpFields) {
    const auto layers = Decode(UdpFrame(18));
    EXPECT_EQ(Names(layers), (std::vector<std::string>{"Frame", "Ethernet II", "IPv4", "UDP"}));
    EXPECT_EQ(Value(layers, "Frame", "Length"), "60");
    EXPECT_EQ(Value(layers, "Ethernet II", "Destination"), "00-1C-7E-5D-01-A0");
    EXPECT_EQ(Value(layers, "Ethernet II", "Source"), "00-1C-7E-5D-00-A0");
    EXPECT_EQ(Value(layers, "Ethernet II", "Type"), "0x0800 (IPv4)");
    EXPECT_EQ(Value(layers, "IPv4", "Source"), "10.77.80.2");
    EXPECT_EQ(Value(layers, "IPv4", "Destination"), "10.77.80.3");
    EXPECT_EQ(Value(layers, "IPv4", "Total length"), "46");
    EXPECT_EQ(Value(layers, "IPv4", "Protocol"), "17 (UDP)");
    EXPECT_NE(Value(layers, "IPv4", "Header checksum").find("(correct)"), std::string::npos);
    EXPECT_EQ(Value(layers, "UDP", "Source port"), "49153");
    EXPECT_EQ(Value(layers, "UDP", "Destination port"), "9");
    EXPECT_EQ(Value(layers, "UDP", "Length"), "26");
    EXPECT_EQ(Value(layers, "UDP", "Data"), "18 bytes");
    EXPECT_EQ(layers[2].summary, "10.77.80.2 > 10.77.80.3");
}

TEST(FrameHeaders, ArpRequestShowsWhoAsksForWhom) {
    const sim::Ipv4 target = {10, 77, 80, 9};
    const sim::Mac broadcast = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const auto layers = Decode(sim::wire::Arp(1, broadcast, kPartner, kPartnerIp, sim::Mac{}, target));
    EXPECT_EQ(Names(layers), (std::vector<std::string>{"Frame", "Ethernet II", "ARP"}));
    EXPECT_EQ(Value(layers, "Ethernet II", "Type"), "0x0806 (ARP)");
    EXPECT_EQ(Value(layers, "ARP", "Operation"), "1 (request)");
    EXPECT_EQ(Value(layers, "ARP", "Sender MAC"), "00-1C-7E-5D-00-A0");
    EXPECT_EQ(Value(layers, "ARP", "Sender IP"), "10.77.80.2");
    EXPECT_EQ(Value(layers, "ARP", "Target IP"), "10.77.80.9");
    EXPECT_EQ(layers[2].summary, "Who has 10.77.80.9? Tell 10.77.80.2");
}

TEST(FrameHeaders, VlanTagComesBetweenEthernetAndItsPayload) {
    const auto layers = Decode(VlanTagged(UdpFrame(18), 0xA064));
    EXPECT_EQ(Names(layers), (std::vector<std::string>{"Frame", "Ethernet II", "802.1Q VLAN", "IPv4", "UDP"}));
    EXPECT_EQ(Value(layers, "Ethernet II", "Type"), "0x8100 (802.1Q VLAN)");
    EXPECT_EQ(Value(layers, "802.1Q VLAN", "Priority"), "5");
    EXPECT_EQ(Value(layers, "802.1Q VLAN", "VLAN ID"), "100");
    EXPECT_EQ(Value(layers, "802.1Q VLAN", "Type"), "0x0800 (IPv4)");
    EXPECT_EQ(Value(layers, "UDP", "Destination port"), "9");
}

TEST(FrameHeaders, EchoRequestShowsIcmpIdentifierAndSequence) {
    const auto layers = Decode(sim::wire::EchoRequest(kStation, kPartner, kPartnerIp, kStationIp, 0x0301, 7, 32));
    EXPECT_EQ(Names(layers), (std::vector<std::string>{"Frame", "Ethernet II", "IPv4", "ICMP"}));
    EXPECT_EQ(Value(layers, "ICMP", "Type"), "8 (Echo Request)");
    EXPECT_EQ(Value(layers, "ICMP", "Identifier"), "769");
    EXPECT_EQ(Value(layers, "ICMP", "Sequence number"), "7");
    EXPECT_EQ(Value(layers, "ICMP", "Data"), "32 bytes");
}

TEST(FrameHeaders, TcpSegmentShowsPortsNumbersFlagsAndOptions) {
    const auto layers = Decode(TcpFrame());
    EXPECT_EQ(Names(layers), (std::vector<std::string>{"Frame", "Ethernet II", "IPv4", "TCP"}));
    EXPECT_NE(Value(layers, "IPv4", "Header checksum").find("(correct)"), std::string::npos);
    EXPECT_EQ(Value(layers, "TCP", "Source port"), "443");
    EXPECT_EQ(Value(layers, "TCP", "Destination port"), "50000");
    EXPECT_EQ(Value(layers, "TCP", "Sequence number"), "4096");
    EXPECT_EQ(Value(layers, "TCP", "Acknowledgement number"), "42");
    EXPECT_EQ(Value(layers, "TCP", "Flags"), "0x12 (SYN ACK)");
    EXPECT_EQ(Value(layers, "TCP", "Window"), "64240");
    EXPECT_EQ(Value(layers, "TCP", "Options"), "8 bytes");
    EXPECT_EQ(Value(layers, "TCP", "Data"), "0 bytes");
}

TEST(FrameHeaders, WrongIpv4ChecksumIsShownAsWrong) {
    sim::Bytes frame = UdpFrame(18);
    frame[14 + 8] ^= 1;  // the time to live, under the checksum
    EXPECT_NE(Value(Decode(frame), "IPv4", "Header checksum").find("(wrong)"), std::string::npos);
}

TEST(FrameHeaders, EthernetPaddingIsNotReadAsUdpData) {
    sim::Bytes frame = UdpFrame(2);  // 44 bytes, which the builder pads to the shortest frame
    EXPECT_EQ(Value(Decode(frame), "UDP", "Data"), "2 bytes");
}

TEST(FrameHeaders, Ipv4TotalLengthPastTheFrameReadsOnlyTheFrame) {
    sim::Bytes frame = UdpFrame(18);
    sim::wire::Put16(frame, 14 + 2, 1400);
    EXPECT_EQ(Value(Decode(frame), "UDP", "Data"), "18 bytes");
}

TEST(FrameHeaders, Ipv4HeaderLengthPastTheFrameIsTruncated) {
    sim::Bytes frame = UdpFrame(0);
    frame.resize(14 + 24);
    frame[14] = 0x4F;  // 60 header bytes claimed, 24 there
    const auto layers = Decode(frame);
    EXPECT_EQ(Names(layers).back(), "IPv4");
    EXPECT_EQ(Value(layers, "IPv4", "Truncated"), "24 of 60 bytes");
}

TEST(FrameHeaders, FragmentAfterTheFirstShowsNoTransportHeader) {
    sim::Bytes frame = UdpFrame(18);
    sim::wire::Put16(frame, 14 + 6, 0x0010);
    EXPECT_EQ(Names(Decode(frame)).back(), "IPv4");
}

// The fragments of one 4,000-byte ICMP echo over a 1,500-byte MTU, written out byte by byte: each
// IPv4 header carries its offset in 8-byte units (0, 185, 370), the last one without More Fragments.
sim::Bytes EchoFragment(uint16_t flagsAndUnits, uint16_t totalLength) {
    sim::Bytes frame = {0x00, 0x1C, 0x7E, 0x5D, 0x01, 0xA0, 0x00, 0x1C, 0x7E, 0x5D, 0x00, 0xA0, 0x08, 0x00,
                        0x45, 0x00, 0x00, 0x00, 0x1F, 0x3A, 0x00, 0x00, 0x40, 0x01, 0x00, 0x00,
                        10,   77,   80,   2,    10,   77,   80,   3};
    sim::wire::Put16(frame, 14 + 2, totalLength);
    sim::wire::Put16(frame, 14 + 6, flagsAndUnits);
    sim::wire::Put16(frame, 14 + 10, sim::wire::Checksum(frame, 14, 20));
    frame.resize(14 + totalLength, 0x5A);
    return frame;
}

TEST(FrameHeaders, FragmentsShowTheirOffsetInBytesAndTheirFlags) {
    const struct {
        uint16_t field;
        uint16_t totalLength;
        const char* offset;
        const char* flags;
    } kFragments[] = {
        {0x2000, 1500, "0", "0x1 (MF)"},
        {0x20B9, 1500, "1480", "0x1 (MF)"},
        {0x0172, 1068, "2960", "0x0"},
    };
    for (const auto& fragment : kFragments) {
        const auto layers = Decode(EchoFragment(fragment.field, fragment.totalLength));
        EXPECT_EQ(Value(layers, "IPv4", "Fragment offset"), fragment.offset) << fragment.field;
        EXPECT_EQ(Value(layers, "IPv4", "Flags"), fragment.flags) << fragment.field;
        EXPECT_EQ(Value(layers, "IPv4", "Identification"), "0x1F3A") << fragment.field;
        EXPECT_NE(Value(layers, "IPv4", "Header checksum").find("(correct)"), std::string::npos) << fragment.field;
    }
    // With Don't Fragment set, the offset is still the low 13 bits alone.
    EXPECT_EQ(Value(Decode(EchoFragment(0x4000, 1500)), "IPv4", "Fragment offset"), "0");
    EXPECT_EQ(Value(Decode(EchoFragment(0x4000, 1500)), "IPv4", "Flags"), "0x2 (DF)");
}

TEST(FrameHeaders, LengthFieldFrameIsIeee8023) {
    sim::Bytes frame = UdpFrame(18);
    sim::wire::Put16(frame, 12, 46);
    const auto layers = Decode(frame);
    EXPECT_EQ(Names(layers), (std::vector<std::string>{"Frame", "IEEE 802.3"}));
    EXPECT_EQ(Value(layers, "IEEE 802.3", "Length"), "46");
}

TEST(FrameHeaders, ShortFrameSaysHowMuchOfEthernetIsThere) {
    const sim::Bytes frame(9, 0xAB);
    const auto layers = Decode(frame);
    EXPECT_EQ(Names(layers), (std::vector<std::string>{"Frame", "Ethernet II"}));
    EXPECT_EQ(Value(layers, "Ethernet II", "Truncated"), "9 of 14 bytes");
    EXPECT_EQ(Names(DecodeFrameHeaders(nullptr, 40)), (std::vector<std::string>{"Frame", "Ethernet II"}));
}

// Every prefix of every kind of frame is read within itself (each prefix is copied to a buffer of
// exactly its size, which the checked heap guards) and ends in a whole layer or a "Truncated" one.
TEST(FrameHeaders, EveryPrefixEndsInAWholeOrATruncatedLayer) {
    const std::vector<sim::Bytes> frames = {
        UdpFrame(18), VlanTagged(VlanTagged(UdpFrame(4), 0x0064), 0x0200), TcpFrame(),
        sim::wire::Arp(2, kPartner, kStation, kStationIp, kPartner, kPartnerIp),
        sim::wire::EchoRequest(kStation, kPartner, kPartnerIp, kStationIp, 1, 2, 8)};
    for (const sim::Bytes& frame : frames) {
        const size_t wholeLayers = Decode(frame).size();
        for (size_t n = 0; n < frame.size(); ++n) {
            std::vector<uint8_t> prefix(frame.begin(), frame.begin() + n);
            const auto layers = DecodeFrameHeaders(prefix.data(), prefix.size());
            ASSERT_GE(layers.size(), 2u) << n;
            EXPECT_LE(layers.size(), wholeLayers) << n;
            EXPECT_EQ(Value(layers, "Frame", "Length"), std::to_string(n));
        }
        EXPECT_EQ(Value(Decode(frame), Names(Decode(frame)).back(), "Truncated"), "<absent>");
    }
}

TEST(FrameHeaders, HexTextIsTwoUpperCaseDigitsAndABlankAByte) {
    const uint8_t bytes[] = {0x00, 0x22, 0x3A, 0xFF};
    EXPECT_EQ(capture::FrameHexText(bytes, sizeof bytes), "00 22 3A FF ");
    EXPECT_EQ(capture::FrameHexText(bytes, 0), "");
}

}  // namespace

// The hex view's addresses have the digits the frame's last offset needs, at least four: a frame's
// length decides them, never the port that caught it.
TEST(FrameHeaders, HexAddressDigitsFollowTheFramesLastOffset) {
    EXPECT_EQ(capture::HexAddressDigits(0), 4);
    EXPECT_EQ(capture::HexAddressDigits(60), 4);
    EXPECT_EQ(capture::HexAddressDigits(796), 4);
    EXPECT_EQ(capture::HexAddressDigits(16383), 4);
    EXPECT_EQ(capture::HexAddressDigits(0x10000), 4);  // last offset 0xFFFF
    EXPECT_EQ(capture::HexAddressDigits(0x10001), 5);
}
