#include "responder/Checksums.h"

namespace capi {

uint32_t OnesSum(const uint8_t* data, size_t length, uint32_t sum) {
    for (size_t i = 0; i + 1 < length; i += 2) sum += uint32_t(data[i]) << 8 | data[i + 1];
    if (length & 1) sum += uint32_t(data[length - 1]) << 8;
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return sum;
}

uint16_t FoldComplement(uint32_t sum) {
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return uint16_t(~sum);
}

uint16_t InternetChecksum(const uint8_t* data, size_t length) { return FoldComplement(OnesSum(data, length)); }

uint16_t UdpChecksum(const uint8_t* frame, uint16_t udpLength) {
    uint32_t sum = OnesSum(frame + 26, 8, 17u + udpLength);
    const uint16_t checksum = FoldComplement(OnesSum(frame + 34, udpLength, sum));
    return checksum == 0 ? 0xFFFF : checksum;
}

uint16_t Icmpv6Checksum(const uint8_t* frame, uint16_t payloadLength) {
    const uint32_t sum = OnesSum(frame + 22, 32, 58u + payloadLength);
    return FoldComplement(OnesSum(frame + 54, payloadLength, sum));
}

}  // namespace capi
