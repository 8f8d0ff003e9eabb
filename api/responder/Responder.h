#pragma once
// What the rest of the library asks of the host responder: the receive thread offers it every
// frame before the reply matcher, and NIC mode asks whether automatic reply is on.

#include <cstddef>
#include <cstdint>

namespace capi {

// Receive thread: answers the frame when it is the responder's; true when it consumed it.
bool RespondToFrame(size_t length, const uint8_t* frame);
// The responder answers on the tester's ports by itself.
bool AutoReplyEnabled();

}  // namespace capi
