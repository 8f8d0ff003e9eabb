#include "protocol/ReceivePath.h"

#include "capture/Capture.h"
#include "protocol/ReplyDispatcher.h"
#include "protocol/Wire.h"
#include "responder/Responder.h"

#include <algorithm>
#include <cstring>

namespace capi {

bool IsExcludedCommand(const uint8_t* frame, size_t length) {
    if (length < 14 || EtherTypeOf(frame) != kCommandEtherType) return false;
    return std::equal(kCommandSource, kCommandSource + 6, frame + 6) ||
           std::equal(kHostMessageSource, kHostMessageSource + 6, frame + 6);
}

void ReceivePath::Process(const ReceivedFrame& frame) {
    if (frame.length > sizeof xpkt_) return;
    const size_t length = frame.length;
    // Captured traffic, most of what arrives during an upload, goes from the link straight into
    // the items of the queues that take it, without a stop in the receive buffer.
    if (length > 16 && std::equal(kCaptureHeader, kCaptureHeader + sizeof kCaptureHeader, frame.bytes)) {
        QueueCapturedFrame(frame.bytes, length);
        return;
    }
    std::memcpy(xpkt_, frame.bytes, length);
    if (IsExcludedCommand(xpkt_, length)) return;
    if (RespondToFrame(length, xpkt_)) return;
    DispatchDeviceFrame(xpkt_, length, frame.stampSeconds, frame.stampMicroseconds);
}

}  // namespace capi
