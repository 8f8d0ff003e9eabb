#pragma once
// The port's capture register block and the host copies of its control words. The library writes
// a register only from its copy, after changing the copy. Addresses are Port A's; Port B's lie
// PortOffset(1) above. The capture control and options words live with the other register images
// (RegisterImages): NIC mode and the loopback change them too.

#include <atomic>
#include <cstdint>

namespace capi {

// Values of the replay command register.
constexpr uint32_t kReplayStartCapture = 4;
constexpr uint32_t kReplayHalt = 512;
constexpr uint32_t kReplayVlanExchange = 1024;
constexpr uint32_t kInstantBit = 0x100;
constexpr uint32_t kCaptureToHost = 0x71;
constexpr uint32_t kRunBit = 0x80000000u;
constexpr uint32_t kJumboBit = 0x80000000u;
// Every block request asks for the next 20 frames (replay type 3).
constexpr uint16_t kBlockRequestType = 3;

// Frames a block of a replay type carries, and the command value that asks for it.
uint32_t FramesPerBlock(uint16_t type);
uint32_t ReplayCommandOf(uint16_t type);

struct CaptureWords {
    std::atomic<uint32_t> runWord[2] = {};      // reg::kCaptureRunWord
    std::atomic<uint32_t> modeWord[3] = {};     // reg::kCaptureModeWord; [2] the instant bit of both ports
    std::atomic<uint32_t> lastReplayControl{0};
    std::atomic<uint8_t> vlanExchange{0};
};
CaptureWords& Words();

// The host copy of a port's capture control word.
uint32_t CaptureControlImage(int port);
// BrevixC_SYS_Init: both ports' SDFR enable values to 0xFFFF.
void ResetSdfrEnable();

// Whether a port's capture mode word forwards each frame at once; entry 2: whether a both-ports
// capture forwards each frame through entry 2.
bool IsInstant(int entry);
void SetBothPortsInstant(bool on);
// Whether the port's captures are the TAP device's (mode word 0, no forwarding threads).
bool InTapCapture(uint8_t port);

// Register operations shared by the capture calls. Each returns the result of its write.
int HostRxConfigure(uint8_t port, uint32_t flags, const uint8_t* address1, const uint8_t* address2, uint8_t option);
int ReplayPortConfigure(uint8_t port, uint32_t modeWord, const uint8_t* destination, const uint8_t* source,
                        const uint8_t* tag);
// The capture start and stop-next configuration of the wrap: the library's own addresses and tag.
int ConfigureOwnWrap(uint8_t port);
// Host Rx on or off: bit 0 of the capture options, written alone.
int SetHostRx(uint8_t port, bool on);
// BrevixC_ReplayPackets and BrevixC_ExchangeVLAN.
int SelectReplayType(uint8_t port, uint16_t type);
int ExchangeVlan(uint8_t port, uint8_t enable);
int BVT_ReplayPortSetType(uint8_t port, uint16_t type);
int BVT_ReplayPortHalt(uint8_t port);

// A 6-byte address as the (high, low) register pair.
uint32_t AddressHigh(const uint8_t* address);
uint32_t AddressLow(const uint8_t* address);

}  // namespace capi
