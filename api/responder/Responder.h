#pragma once
// What the rest of the library asks of the host responder (the tester's ARP, ICMP and UDP
// traffic). Until the responder is part of the library, the stub beside this header answers for it.

#include <cstddef>
#include <cstdint>

namespace capi {

// Receive thread: answers the frame when it is the responder's; true when it consumed it.
bool RespondToFrame(size_t length, const uint8_t* frame);
// The responder answers on the tester's ports by itself.
bool AutoReplyEnabled();

}  // namespace capi
