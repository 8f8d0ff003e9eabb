#include "counters/StreamCounters.h"

#include "BrevixCAPI.h"
#include "connection/DeviceSetUp.h"
#include "ports/PortMaps.h"
#include "protocol/RegisterImages.h"
#include "protocol/RegisterMap.h"
#include "runtime/PumpWait.h"

#include <cstring>

namespace capi {
namespace {

constexpr uint8_t kClassOff = 0xFF;
constexpr uint8_t kVidClass = 14;

uint8_t ClassOf(const BrevixC_RxStreamConfig_T& config) {
    static const uint8_t kClasses[13] = {0, 1, 2, 8, 3, 4, 5, 6, 7, 14, 10, 11, 12};
    if (config.classifier > 12) return kClassOff;
    if (config.classifier == 3 && config.variant) return 9;
    return kClasses[config.classifier];
}

uint32_t MatchMask(uint8_t streamClass) {
    switch (streamClass) {
    case 0: case 1: case 4: case 5: case 11: case 12:
        return 0xFFFFFFFF;
    case 2: case 8: case 10:
        return 0xFFF;
    case 3:
        return 0xFFFFF;
    case 6: case 7:
        return 0xFFFF;
    default:  // 9, the VID class and counting off
        return 0x7FFF;
    }
}

// A 64-bit value of two value words, the first one low.
uint64_t Join(uint32_t low, uint32_t high) { return low | uint64_t(high) << 32; }

// One stream's 64 bytes of an Rx stream block reply, in wire order.
struct StreamSlice {
    const uint8_t* bytes;
    uint32_t w(int j) const { return GetBig32(bytes + 4 * j); }
    uint16_t Big16(int at) const { return GetBig16(bytes + at); }
};

BrevixC_RxStreamCounter_T FirstLayout(const StreamSlice& s) {
    BrevixC_RxStreamCounter_T r = {};
    r.at0 = Join(s.w(0), s.w(1));
    r.at8 = Join(s.w(2), s.w(3));
    r.at16 = s.w(14);
    r.at40 = Join(s.w(6), s.w(7));
    r.at48 = Join(s.w(8), s.w(9));
    r.at56 = Join(s.w(4), s.w(5));
    r.at64 = Join(s.w(10), s.w(11));
    return r;
}

BrevixC_RxStreamCounter_T SecondLayout(const StreamSlice& s) {
    BrevixC_RxStreamCounter_T r = {};
    r.at0 = Join(s.w(0), s.w(1));
    r.at8 = Join(s.w(2), s.w(3));
    r.at16 = s.w(14);
    r.at48 = Join(s.w(8), s.w(9));
    r.at72 = (s.w(4) & 0xFF) << 16 | (s.w(6) & 0xFF) << 8 | (s.w(10) & 0xFF);
    r.at76 = s.w(4) >> 8;
    r.at80 = s.w(6) >> 8;
    r.at84 = s.w(10) >> 8;
    return r;
}

BrevixC_RxStreamCounter_T VidLayout(const StreamSlice& s) {
    BrevixC_RxStreamCounter_T r = {};
    r.at0 = Join(s.w(0), s.w(1) & 0xFFFF);
    r.at8 = Join(s.w(2), s.w(3) & 0xFFFF);
    r.at20 = s.Big16(26) & 0xFFF;
    r.at24 = uint32_t((s.bytes[26] & 0xF0) | s.bytes[25]) << 16 | s.Big16(34);
    r.at28 = s.bytes[24];
    r.at30 = s.Big16(32);
    r.at32 = Join(s.w(10), s.w(11) & 0xFFFF);
    r.at40 = Join(s.w(12), s.w(13) & 0xFFFF);
    r.at48 = Join(s.w(14), s.w(15) & 0xFFFF);
    return r;
}

}  // namespace

uint32_t TxStreamBase(uint8_t port) { return reg::Blocks().txStreams + PortOffset(port); }
uint32_t TxStreamClearBase(uint8_t port) { return reg::Blocks().txStreamClear + PortOffset(port); }
uint32_t RxStreamBase(uint8_t port) { return reg::Blocks().rxStreams + PortOffset(port); }
uint32_t RxStreamClearBase(uint8_t port) { return reg::Blocks().rxStreamClear + PortOffset(port); }
uint32_t VidStreamBase(uint8_t port) { return reg::Blocks().vidStreams + PortOffset(port); }

StreamCounters& StreamCounters::Instance() {
    static StreamCounters counters;
    return counters;
}

RxStreamSettings StreamCounters::Rx(uint8_t port) const {
    std::lock_guard<std::mutex> guard(lock_);
    return rx_[port];
}

void StreamCounters::ResetRx() {
    std::lock_guard<std::mutex> guard(lock_);
    rx_ = {};
}

int StreamCounters::Configure(uint8_t port, const BrevixC_RxStreamConfig_T& config) {
    const uint32_t control = RegisterImages::Instance().Update([port](RegisterImageSet& images) {
        return images.captureOptions[port] &= ~0x140u;
    });
    for (uint32_t k = 0; k < 4; ++k) BrevixT_SeqR(256, RxStreamClearBase(port) + k * 1024);
    BVT_Delay(500);

    const uint8_t streamClass = ClassOf(config);
    uint32_t mode;
    {
        std::lock_guard<std::mutex> guard(lock_);
        RxStreamSettings& rx = rx_[port];
        rx.mode = (rx.mode | 0xF) & ~0x30u;
        if (streamClass == kClassOff) {
            rx.mode &= ~0xC0u;
        } else {
            rx.mode = (rx.mode & ~0xFu) | (streamClass == kVidClass ? 0xE : streamClass) | 0xC0;
            if (streamClass != kVidClass && (config.secondLayout & 1)) rx.mode |= 0x10;
            std::memset(rxStreams_[port], 0, sizeof rxStreams_[port]);
        }
        rx.blocks = config.blocks == 1 ? 2 : config.blocks == 2 ? 4 : 1;
        mode = rx.mode;
    }

    const uint32_t base = PortOffset(port);
    uint32_t pairs[8] = {reg::kCaptureOptions + base, control, reg::kRxStreamMode + base, mode};
    uint32_t count = 2;
    if (config.classifier == 10) {
        const uint32_t* r = config.range;
        pairs[4] = reg::kRxStreamRanges + base, pairs[5] = (r[0] & 0xFFF) << 16 | (r[1] & 0xFFF);
        pairs[6] = reg::kRxStreamRanges + 4 + base, pairs[7] = (r[2] & 0xFFF) << 16 | (r[3] & 0xFFF);
        count = 4;
    } else {
        pairs[4] = reg::kRxStreamMatch + base, pairs[5] = config.match & MatchMask(streamClass);
        count = 3;
    }
    return BVT_GenW(count, pairs);
}

// 64 streams, each two 64-bit counters as value words (low word first) after the start address.
void StreamCounters::OnTxBlock(uint8_t port, const ReplyBody& body) {
    std::lock_guard<std::mutex> guard(lock_);
    for (uint16_t s = 0; s < kTxStreams && body.Has(4 + 16 * s, 16); ++s) {
        const size_t at = 4 + 16 * size_t(s);
        tx_[port][s].first = Join(body.Word(at), body.Word(at + 4));
        tx_[port][s].second = Join(body.Word(at + 8), body.Word(at + 12));
    }
}

// Block k: streams 16k to 16k + 15, each 16 value words after the start address.
void StreamCounters::OnRxBlock(uint8_t block, uint8_t port, const ReplyBody& body) {
    if (!SetUpComplete()) return;
    std::lock_guard<std::mutex> guard(lock_);
    const RxStreamSettings rx = rx_[port];
    for (uint16_t s = 0; s < 16 && body.Has(4 + 64 * s, 64); ++s) {
        const uint16_t stream = uint16_t(16 * block + s);
        if (stream >= kRxStreams) break;
        const StreamSlice slice{body.bytes + 4 + 64 * s};
        if (rx.VidLayout()) rxStreams_[port][stream] = VidLayout(slice);
        else if (rx.mode & 0x10) rxStreams_[port][stream] = SecondLayout(slice);
        else rxStreams_[port][stream] = FirstLayout(slice);
    }
}

void StreamCounters::OnVidBlock(uint8_t port, const ReplyBody& body) {
    if (!SetUpComplete()) return;
    std::lock_guard<std::mutex> guard(lock_);
    const uint16_t streams = uint16_t(32 * rx_[port].blocks);
    for (uint16_t i = 0; i < streams && body.Has(4 + 4 * i, 4); ++i) rxStreams_[port][i].at16 = body.Word(4 + 4 * i);
}

void StreamCounters::CopyTx(uint8_t port, uint16_t stream, void* out) const {
    std::lock_guard<std::mutex> guard(lock_);
    std::memcpy(out, &tx_[port][stream], sizeof tx_[port][stream]);
}

void StreamCounters::CopyRx(uint8_t port, uint16_t stream, void* out) const {
    std::lock_guard<std::mutex> guard(lock_);
    std::memcpy(out, &rxStreams_[port][stream], sizeof rxStreams_[port][stream]);
}

void StreamCounters::CopyVid(uint8_t port, uint16_t index, void* out) const {
    std::lock_guard<std::mutex> guard(lock_);
    std::memcpy(out, &vid_[port][index], sizeof vid_[port][index]);
}

void StreamCounters::ClearTx(uint8_t port) {
    std::lock_guard<std::mutex> guard(lock_);
    std::memset(tx_[port], 0, sizeof tx_[port]);
}

void StreamCounters::ClearRx(uint8_t port) {
    std::lock_guard<std::mutex> guard(lock_);
    std::memset(rxStreams_[port], 0, sizeof rxStreams_[port]);
}

void StreamCounters::ClearVid(uint8_t port) {
    std::lock_guard<std::mutex> guard(lock_);
    std::memset(vid_[port], 0, sizeof vid_[port]);
}

void StreamCounters::ClearAll() {
    for (uint8_t port : {0, 1}) {
        ClearTx(port);
        ClearRx(port);
        ClearVid(port);
    }
}

}  // namespace capi
