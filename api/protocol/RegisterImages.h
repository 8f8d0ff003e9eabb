#pragma once
// Host copies ("images") of tester registers. An operation changes bits of an image and writes the
// whole image; images are never read back from the tester, and the device set-up at connection
// resets them.

#include <cstdint>
#include <mutex>

namespace capi {

struct RegisterImageSet {
    uint32_t portSwitch = 0;        // reg::kPortSwitch
    uint32_t phyControl1 = 0;       // reg::kPhyControl, machine ids 1 and 2
    uint32_t phyControl2 = 0;       // reg::kPhyControl, machine ids 3 and 4
    uint32_t shadowControl = 0;     // reg::kShadowControl
    uint32_t portWord[2] = {};      // reg::kPortWord + port
    uint32_t captureControl[2] = {};  // reg::kCaptureControl + port
    uint32_t captureOptions[2] = {};  // reg::kCaptureOptions + port
    uint32_t sdfrWordA[2] = {};     // reg::kSdfrWordA + port
    uint32_t sdfrWordB[2] = {};     // reg::kSdfrWordB + port
};

// The images, with the lock that guards them. Callers change an image under the lock and send the
// value they computed after releasing it.
class RegisterImages {
public:
    static RegisterImages& Instance();

    // Runs `change` on the images under the lock and returns what it returns.
    template <typename Change>
    auto Update(Change change) {
        std::lock_guard<std::mutex> guard(lock_);
        return change(images_);
    }

private:
    RegisterImages() = default;
    // Guards images_: the host's calls, the connection's set-up and the receive thread's hooks.
    std::mutex lock_;
    RegisterImageSet images_;
};

}  // namespace capi
