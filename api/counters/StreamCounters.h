#pragma once
// Per-stream counters: 64 Tx streams and up to 128 Rx streams per port, and the Rx stream
// counting set-up (classifier, mode and block count) that decides which Rx stream blocks the
// poller reads and how their values are laid out.

#include "BrevixCCounters.h"
#include "protocol/ReplyBody.h"

#include <array>
#include <cstdint>
#include <mutex>

namespace capi {

// The port's Rx stream mode image (register 0x4100003C + port): bit 7 counting on, bit 4 the
// second layout, low four bits the class (0xE the VID layout).
struct RxStreamSettings {
    uint32_t mode = 0;
    uint8_t blocks = 1;  // of 32 streams each: 1, 2 or 4

    bool Counting() const { return mode & 0x80; }
    bool VidLayout() const { return (mode & 0xF) == 0xE; }
};

class StreamCounters {
public:
    static constexpr uint16_t kTxStreams = 64;
    static constexpr uint16_t kRxStreams = 128;

    static StreamCounters& Instance();

    RxStreamSettings Rx(uint8_t port) const;
    // The connection's set-up: counting off on both ports.
    void ResetRx();
    // BrevixC_SetRxStreamCounterStatistics for one port; the result of the register write.
    int Configure(uint8_t port, const BrevixC_RxStreamConfig_T& config);

    // Register hooks (receive thread).
    void OnTxBlock(uint8_t port, const ReplyBody& body);
    void OnRxBlock(uint8_t block, uint8_t port, const ReplyBody& body);
    void OnVidBlock(uint8_t port, const ReplyBody& body);

    void CopyTx(uint8_t port, uint16_t stream, void* out) const;
    void CopyRx(uint8_t port, uint16_t stream, void* out) const;
    void CopyVid(uint8_t port, uint16_t index, void* out) const;
    void ClearTx(uint8_t port);
    void ClearRx(uint8_t port);
    void ClearVid(uint8_t port);
    void ClearAll();

private:
    StreamCounters() = default;

    // Guards everything below: the receive thread's hooks, the poller's reads of the settings and
    // the host's calls.
    mutable std::mutex lock_;
    std::array<RxStreamSettings, 2> rx_;
    BrevixC_TxStreamCounter_T tx_[2][kTxStreams] = {};
    BrevixC_RxStreamCounter_T rxStreams_[2][kRxStreams] = {};
    BrevixC_RXVID_Report_T vid_[2][kRxStreams] = {};
};

// The registers that clear a port's stream counters when read.
uint32_t TxStreamClearBase(uint8_t port);
uint32_t RxStreamClearBase(uint8_t port);
uint32_t RxStreamBase(uint8_t port);
uint32_t VidStreamBase(uint8_t port);
uint32_t TxStreamBase(uint8_t port);

}  // namespace capi
