#include "capture/HostTxSdfr.h"

#include "BrevixCAPI.h"
#include "capture/CaptureRegisters.h"
#include "ports/PortMaps.h"
#include "protocol/RegisterImages.h"
#include "protocol/RegisterMap.h"

#include <atomic>
#include <vector>

namespace capi {
namespace {

// The last value given to BrevixC_SetSDFREnable, per port.
std::atomic<uint32_t> sdfrEnable[2];

// Port A's SDFR registers, in the order the configuration writes them.
namespace sdfr {
constexpr uint32_t kAddress1 = 0x41000050, kAddress2 = 0x41000058, kAddress3 = 0x41000060, kAddress4 = 0x41000068;
constexpr uint32_t kPairA = 0x41000070, kPairD = 0x41000074;
constexpr uint32_t kWord3 = 0x41000080, kWord4 = 0x41000084, kWord1 = 0x41000088, kWord2 = 0x4100008C;
constexpr uint32_t kPairC = 0x410000A0, kPairB = 0x410000A4;
constexpr uint32_t kAddress5 = 0x41000150, kAddress6 = 0x41000158, kAddress7 = 0x41000160, kAddress8 = 0x41000168;
constexpr uint32_t kPairE = 0x41000170, kWord5 = 0x41000178, kWord6 = 0x4100017C;
constexpr uint32_t kWord9 = 0x41000180, kWord10 = 0x41000184, kWord7 = 0x41000188, kWord8 = 0x4100018C;
}  // namespace sdfr

uint32_t Pair12(const uint16_t (&pair)[2]) { return uint32_t(pair[0] & 0xFFF) << 16 | (pair[1] & 0xFFF); }
uint32_t Pair16(const uint16_t (&pair)[2]) { return uint32_t(pair[0]) << 16 | pair[1]; }

// Writes both SDFR words of a port from their host copies after `change` edits them.
template <typename Change>
int WriteSdfrWords(uint8_t port, Change change) {
    uint32_t a = 0, b = 0;
    RegisterImages::Instance().Update([&](RegisterImageSet& images) {
        change(images.sdfrWordA[port], images.sdfrWordB[port]);
        a = images.sdfrWordA[port];
        b = images.sdfrWordB[port];
    });
    const uint32_t p = PortOffset(port);
    const uint32_t pairs[4] = {reg::kSdfrWordA + p, a, reg::kSdfrWordB + p, b};
    return BVT_GenW(2, pairs);
}

}  // namespace

void ResetSdfrEnable() {
    for (auto& value : sdfrEnable) value = 0xFFFF;
}

int HostTxConfigure(uint8_t port, const BrevixC_HostTxConfig_T& config) {
    const uint32_t base = reg::kAddressTable + 0x10 * port;
    const uint32_t pairs[8] = {base,     AddressHigh(config.address1), base + 4,   AddressLow(config.address1),
                               base + 8, AddressHigh(config.address2), base + 0xC, AddressLow(config.address2)};
    return BVT_GenW(4, pairs);
}

int SdfrConfigure(uint8_t port, const BrevixC_SdfrConfig_T& c) {
    using namespace sdfr;
    const uint32_t p = PortOffset(port);
    std::vector<uint32_t> pairs;
    const auto put = [&](uint32_t address, uint32_t value) {
        pairs.push_back(address + p);
        pairs.push_back(value);
    };
    const auto address = [&](uint32_t at, const uint8_t* bytes) {
        put(at, AddressHigh(bytes));
        put(at + 4, AddressLow(bytes));
    };
    address(kAddress1, c.address1_4[0]);
    address(kAddress2, c.address1_4[1]);
    address(kAddress3, c.address1_4[2]);
    address(kAddress4, c.address1_4[3]);
    put(kPairA, Pair12(c.pairA));
    put(kWord3, c.words1_4[2]);
    put(kWord4, c.words1_4[3]);
    put(kWord1, c.words1_4[0]);
    put(kWord2, c.words1_4[1]);
    put(kPairC, Pair16(c.pairC));
    put(kPairB, Pair16(c.pairB));
    address(kAddress5, c.address5_8[0]);
    address(kAddress6, c.address5_8[1]);
    address(kAddress7, c.address5_8[2]);
    address(kAddress8, c.address5_8[3]);
    put(kPairD, Pair12(c.pairD));
    put(kPairE, Pair12(c.pairE));
    put(kWord5, c.words5_10[0]);
    put(kWord6, c.words5_10[1]);
    put(kWord9, c.words5_10[4]);
    put(kWord10, c.words5_10[5]);
    put(kWord7, c.words5_10[2]);
    put(kWord8, c.words5_10[3]);
    BVT_GenW(uint32_t(pairs.size() / 2), pairs.data());
    return WriteSdfrWords(port, [&](uint32_t& a, uint32_t& b) {
        a = (a & 0xFFFF) | (c.configuration & 0xFFFF0000u);
        b = (b & 0xFFFF) | (c.configuration << 16);
    });
}

int SetSdfrEnable(uint8_t port, uint32_t value) {
    if (port > 1) return 0;
    sdfrEnable[port] = value;
    return WriteSdfrWords(port, [&](uint32_t& a, uint32_t& b) {
        a = (a & 0xFFFF0000u) | (value & 0xFFFF);
        b = (b & 0xFFFF0000u) | (value >> 16);
    });
}

uint32_t SdfrEnable(uint8_t port) { return port > 1 ? 0 : sdfrEnable[port].load(); }

}  // namespace capi
