// A UDP datagram that answers a discovery probe, and the result record it would be added to.
//
// Byte 0 is the kind mask the host asked for, bytes 1-2 the datagram's source port; the rest is
// the datagram. The same bytes, taken as a result record the host passed in, get one entry
// appended: a record is the host's memory, so its count byte can hold anything.

#include "core/DiscoveryWire.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const uint8_t kinds = sorvane::EffectiveKinds(data[0]);
    const uint16_t port = uint16_t(data[1] | data[2] << 8);
    const uint8_t kind = sorvane::MatchReply(kinds, data + 3, size - 3, port);
    if (kind != 0 && !(kind & kinds)) __builtin_trap();

    std::array<uint8_t, sorvane::kDiscoveryResultSize> record{};
    std::memcpy(record.data(), data + 3, std::min(record.size(), size - 3));
    sorvane::AppendDiscoveryEntry(record.data(), 0x0A4D0002, kind ? kind : sorvane::kDeviceKind);
    return 0;
}
