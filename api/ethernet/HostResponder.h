#pragma once
// What the core asks of the host responder (the tester's ARP, ICMP and UDP traffic).

#include <cstddef>
#include <cstdint>

namespace capi {

// Receive thread: answers the frame when it is the responder's; true when it consumed it.
bool RespondToFrame(size_t length, const uint8_t* frame);
// The responder answers on the tester's ports by itself.
bool AutoReplyEnabled();

}  // namespace capi
