#pragma once
// The two register maps of the Brevix family. Brevix-CF and Brevix-A (machine ids 1 and 2) keep
// their counters, stream counters and Tx tables at the first map's addresses; Brevix-H and
// Brevix-J (ids 3 and 4) moved them. Port B's registers lie at Port A's address + 0x02000000.

#include <cstdint>

namespace sim {

enum class RegisterMap {
    First,   // machine ids 1 and 2
    Second,  // machine ids 3 and 4
};

constexpr uint32_t kPortStride = 0x02000000;

constexpr uint32_t PortOffset(int port) { return uint32_t(port) * kPortStride; }

}  // namespace sim
