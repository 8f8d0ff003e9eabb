#include "capture/BlockAssembly.h"

#include "capture/CaptureStore.h"
#include "protocol/Wire.h"
#include "runtime/DebugStream.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace capi {

WrapFields ReadWrap(const uint8_t* frame, int32_t machineId) {
    WrapFields fields;
    fields.stamp = GetBig32(frame + 16);
    uint32_t lengthWord;
    if (machineId == 3 || machineId == 4) {
        // The USB units put the length word first, with a speed code in bits 29-31.
        lengthWord = GetBig32(frame + 12);
        fields.extra = GetBig32(frame + 20);
        const uint32_t speed = lengthWord >> 29;
        fields.flags = (speed > 3 ? 0x40000u : speed) | 0x800u;
    } else {
        lengthWord = GetBig32(frame + 20);
        fields.extra = GetBig32(frame + 28);
        fields.flags = (lengthWord & 0xF0000000u) | (GetBig32(frame + 32) & 0x8EFF8FFFu);
    }
    fields.wireLength = lengthWord & 0x3FFF;
    return fields;
}

void BlockAssembly::Take(const std::vector<uint8_t>& frame, uint32_t port, int32_t machineId, bool lastQueued,
                         std::vector<BrevixC_PKTCAP_Content_S>& records) {
    if (frame.size() <= kWrapBytes) return;
    const WrapFields fields = ReadWrap(frame.data(), machineId);
    const bool first = taken_++ == 0;
    if (first) Log("(API)(replyThread) ref_cnt=0.");
    const bool chunk = fields.wireLength > kLongestWholeFrame;
    if (chunk && !jumbo_) return;  // a long frame is only captured whole with jumbo capture on
    if (pending_ && (!chunk || port != pendingPort_ || uint32_t(fields.stamp - pendingFields_.stamp) > 255)) Flush(records);
    // The log names the path each frame's bytes take: a whole frame (or the very first), or a
    // jumbo chunk that the queue held alone, which the log of a jumbo upload is read by.
    if (!jumbo_ || !chunk || first) Log("(API)(replyThread) NOT jumbo or size <= 2032 or ref_cnt=0.");
    else if (lastQueued) Log("(API)(replyThread) Qsize is 1, jumbo and payload>0.");
    const uint8_t* payload = frame.data() + kWrapBytes;
    buffer_.insert(buffer_.end(), payload, payload + (frame.size() - kWrapBytes));
    if (!chunk) {
        Emit(fields, fields.stamp, port, records);
        return;
    }
    if (!pending_) {
        pending_ = true;
        pendingFields_ = fields;
        pendingPort_ = port;
    }
    if (buffer_.size() >= pendingFields_.wireLength) {
        Flush(records);
        if (lastQueued) Log("(API)(replyThread) PUSH to buffer - NOT b_buf_insert and Qsize is 1.");
    }
}

void BlockAssembly::Flush(std::vector<BrevixC_PKTCAP_Content_S>& records) {
    if (!pending_) return;
    pending_ = false;
    Emit(pendingFields_, pendingFields_.stamp, pendingPort_, records);
}

void BlockAssembly::Emit(const WrapFields& fields, uint32_t stamp, uint32_t port,
                         std::vector<BrevixC_PKTCAP_Content_S>& records) {
    const uint32_t length = std::min<uint32_t>(fields.wireLength, uint32_t(buffer_.size()));
    records.emplace_back();
    BrevixC_PKTCAP_Content_S& record = records.back();
    record.header0 = stamp;
    record.wireLength = fields.wireLength;
    record.length = length;
    record.flags = fields.flags;
    record.header3 = fields.extra;
    record.port = port;
    record.data = static_cast<uint8_t*>(std::malloc(std::max<uint32_t>(fields.wireLength, 1)));
    if (record.data && length) std::memcpy(record.data, buffer_.data(), length);
    buffer_.clear();
}

}  // namespace capi
