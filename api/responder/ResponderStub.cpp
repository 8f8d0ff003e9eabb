// The host responder until it is part of the library: it takes no frame and never auto-replies.

#include "responder/Responder.h"

namespace capi {

bool RespondToFrame(size_t, const uint8_t*) { return false; }

bool AutoReplyEnabled() { return false; }

}  // namespace capi
