#pragma once
// Host images of the port, PHY and media registers that only this layer writes, and what it
// remembers per port. The shared images (port switch, PHY control, shadow control, port word,
// capture options) are RegisterImages'.

#include <cstdint>
#include <mutex>

namespace capi {

struct PortImageSet {
    // Register images. The connection's set-up puts them back to these load values.
    uint32_t mdioCommand = 0;            // reg::kMdioCommand
    uint32_t speed[2] = {};              // reg::kPortSpeed + port
    uint32_t sfp[2] = {};                // reg::kIndirectRegister, one image per port
    uint32_t sfpEnable[2] = {};          // reg::kSfpEnable + 4 x port
    uint32_t sfpShadow = 0;              // reg::kSfpShadow
    uint32_t loopback1 = 0;              // reg::kLoopback, machine ids 1 and 2
    uint32_t loopback2 = 0;              // reg::kLoopback, machine ids 3 and 4
    uint32_t loopback2Shadow = 0;        // restores the second image; never written
    uint8_t loopbackCode = 0;            // 0 Port A, 1 Port B, 2 both, 3 none

    // Remembered per port. The first two mirror bits of the PHY control image and the port word,
    // so the set-up clears them with those images; the rest describe the PHYs and SFP cages,
    // which the set-up leaves as they are, and survive it.
    uint16_t flowControl[2] = {};        // bit 0 of the last flow-control field
    uint16_t portWordSwitch[2] = {};     // bit 0 of the last port-word switch field
    uint8_t sfpMode[2] = {};             // 0 auto, 1 fiber, 2 copper
    uint16_t autoMdixMode[2] = {1, 1};
    uint16_t forcedMode[2] = {};         // 1 after a forced speed, 0 after auto-negotiation
};

class PortImages {
public:
    static PortImages& Instance();

    // Runs `change` on the images under the lock and returns what it returns. Callers send what
    // it computed after the lock is released.
    template <typename Change>
    auto Update(Change change) {
        std::lock_guard<std::mutex> guard(lock_);
        return change(images_);
    }

private:
    PortImages() = default;
    // Guards images_: the host's calls, the SFP workers and the receive thread's link requests.
    std::mutex lock_;
    PortImageSet images_;
};

// The connection's set-up: the register images to their load values, with what mirrors them.
void ResetPortImages();

// Sets or clears one bit of a word.
inline void SetBit(uint32_t& word, int bit, bool on) {
    word = on ? (word | (1u << bit)) : (word & ~(1u << bit));
}

}  // namespace capi
