#pragma once
// The block upload's turning of wrapped frames into capture records: the fields of each machine
// id's wrap, and the rebuilding of a jumbo frame from the chunks the tester sends it in. Every
// chunk carries the whole frame's wire length; the chunks of one frame have stamps within 255 of
// the first. A frame is complete when its bytes reach the wire length, or, short of that, when the
// next frame begins: never merely because the queue ran dry for a moment, which happens between
// two blocks in the middle of a frame. Plain state, so that a test can drive it with its own frames.

#include "BrevixCCapture.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace capi {

// The frame fields a wrap carries, by the machine id's layout.
struct WrapFields {
    uint32_t stamp = 0;
    uint32_t wireLength = 0;
    uint32_t flags = 0;
    uint32_t extra = 0;
};
WrapFields ReadWrap(const uint8_t* frame, int32_t machineId);

// Frames longer than this come in chunks when jumbo capture is on, and are dropped when it is off.
constexpr uint32_t kLongestWholeFrame = 2032;

class BlockAssembly {
public:
    explicit BlockAssembly(bool jumbo) : jumbo_(jumbo) {}

    // Takes one wrapped frame of `port` and appends the records it finishes to `records` (none,
    // one, or two when a new frame begins before the last one was complete). `lastQueued` says the
    // queue held this frame alone: the log tells that path apart.
    void Take(const std::vector<uint8_t>& frame, uint32_t port, int32_t machineId, bool lastQueued,
              std::vector<BrevixC_PKTCAP_Content_S>& records);
    // Ends the upload: a jumbo frame still being rebuilt becomes a record with what arrived of it.
    void Flush(std::vector<BrevixC_PKTCAP_Content_S>& records);
    // Wrapped frames taken so far, dropped ones included.
    int32_t Taken() const { return taken_; }

private:
    void Emit(const WrapFields& fields, uint32_t stamp, uint32_t port, std::vector<BrevixC_PKTCAP_Content_S>& records);

    const bool jumbo_;
    int32_t taken_ = 0;
    // The jumbo frame being rebuilt: its first chunk's fields and stamp, its port and bytes so far.
    bool pending_ = false;
    WrapFields pendingFields_;
    uint32_t pendingPort_ = 0;
    std::vector<uint8_t> buffer_;
};

}  // namespace capi
