#pragma once
// Host images of the Tx stream tables and the Tx registers of both ports. They are never read
// back from the tester; the connection's set-up resets the register images, not the tables.

#include <cstdint>
#include <mutex>

namespace capi {

constexpr int kTxEntries = 64;

struct TxPortImages {
    uint32_t descriptor[kTxEntries][4] = {};  // D0-D3: loop count, frame options, burst and frame gaps
    uint32_t extension[kTxEntries][2] = {};   // E0-E1
    uint32_t modifier[kTxEntries][4] = {};    // F0-F3, machine ids 1 and 2
    uint32_t modifier2[kTxEntries][2] = {};   // G0-G1, machine ids 3 and 4
    uint32_t config = 0;                      // reg::kTxConfig + port
    uint32_t gap = 0;                         // reg::kTxGap + port
    uint32_t option = 0;                      // reg::kTxOption + port
    uint32_t streamControl = 0;               // reg::kStreamControl + port, machine ids 1 and 2
    uint32_t streamControl2 = 0;              // reg::kStreamControl + port, machine ids 3 and 4
    uint32_t command = 0;                     // reg::kTxCommand + port
    bool lengthAdjust = false;
    bool hostSend = false;                    // the host may send frames through the port
};

struct TxImageSet {
    TxPortImages port[2];
    uint32_t sharedCommand = 0;  // reg::kSharedTxCommand: Port A's command in bits 24-27, Port B's in 16-19
    uint32_t interFrameGap = 0;  // reg::kInterFrameGap
};

class TxImages {
public:
    static TxImages& Instance();

    // Runs `change` on the images under the lock and returns what it returns; callers send what
    // it computed once the lock is released.
    template <typename Change>
    auto Update(Change change) {
        std::lock_guard<std::mutex> guard(lock_);
        return change(images_);
    }

private:
    TxImages() = default;
    // Guards images_: the host's calls (and the host responder's switch on the receive thread).
    std::mutex lock_;
    TxImageSet images_;
};

// Tx commands: the 4-bit field of a port's command word.
enum TxCommand : uint32_t {
    kTxResume = 1,
    kTxPause = 2,
    kTxStop = 4,
    kTxStart = 8,
};

// The shared command image with the command field of port 0, 1 or both (255) set; the caller
// writes it to 0x40000080.
uint32_t SetSharedTxCommand(uint8_t port, TxCommand command);

}  // namespace capi
