// The headers of a captured frame as the capture panels show them: one layer a header (Ethernet,
// VLAN tags, ARP, IPv4, UDP, TCP, ICMP), each with its named fields. The frame comes from the
// wire, so nothing is trusted: a header is read only as far as the frame holds it, a layer that
// does not fit ends the walk with a "Truncated" line, and lengths inside the frame never lead a
// read past its end. Pure, without Win32, so it is fuzzed on its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace capture {

struct HeaderField {
    std::string name;
    std::string value;
};

struct HeaderLayer {
    std::string name;     // "Ethernet II", "802.1Q VLAN", "ARP", "IPv4", "UDP", "TCP", "ICMP"...
    std::string summary;  // one line for the layer's own row
    std::vector<HeaderField> fields;
};

// The layers of the frame's first `length` bytes, outermost first; the first layer is the frame
// itself (its length). Null bytes with a length read as an empty frame.
std::vector<HeaderLayer> DecodeFrameHeaders(const uint8_t* frame, size_t length);

// "00 22 33 " : two upper-case digits and a blank a byte, the last byte included.
std::string FrameHexText(const uint8_t* frame, size_t length);

// The hex digits of the hex view's addresses for a frame of `length` bytes, whichever port caught
// it: as many as its last offset needs, and never fewer than 4 (a frame's length has 14 bits, so
// every frame's offsets fit in 4).
int HexAddressDigits(size_t length);

}  // namespace capture
