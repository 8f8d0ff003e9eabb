// The host responder, on the receive thread: the frame is read against the tables under their
// lock (HostInput), and what it calls for is logged and sent after the lock is released.

#include "responder/Responder.h"

#include "responder/HostInput.h"
#include "responder/HostTables.h"
#include "runtime/DebugStream.h"
#include "tx/TxControl.h"

namespace capi {

bool RespondToFrame(size_t length, const uint8_t* frame) {
    const HostFrameOutcome outcome =
        HostTables::Instance().Update([&](HostTableSet& t) { return ReadHostFrame(t, frame, length); });
    for (const std::string& line : outcome.log) Log(line);
    for (const HostAnswer& a : outcome.answers) SendHostFrame(a.port, a.frame.data(), uint32_t(a.frame.size()));
    return outcome.handled;
}

bool AutoReplyEnabled() {
    return HostTables::Instance().Update([](HostTableSet& t) { return t.autoReply; });
}

}  // namespace capi
