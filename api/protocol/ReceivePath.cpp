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
    std::memcpy(xpkt_, frame.bytes, frame.length);
    const size_t length = frame.length;
    if (length > 16 && std::equal(kCaptureHeader, kCaptureHeader + sizeof kCaptureHeader, xpkt_)) {
        QueueCapturedFrame(xpkt_, length);
        return;
    }
    if (IsExcludedCommand(xpkt_, length)) return;
    if (RespondToFrame(length, xpkt_)) return;
    DispatchDeviceFrame(xpkt_, length, frame.stampSeconds, frame.stampMicroseconds);
}

}  // namespace capi
