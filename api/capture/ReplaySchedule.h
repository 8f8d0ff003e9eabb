#pragma once
// The round-robin block schedule the port-queue worker serves every 20 ms: each port's `n_block`
// and a cursor, under the capture round-robin lock, the innermost of the capture locks (nothing is
// taken under it). Only entries 0 and 1 are served.

#include <cstdint>

namespace capi {

void BVT_ReplayPortSetBlock(int entry, int32_t blocks);
void BVT_ReplayPortBlockDone(int port);
// Blocks for a frame count with the replay type's block size, rounded up.
int32_t BlocksFor(int32_t frames, uint16_t type);

}  // namespace capi
