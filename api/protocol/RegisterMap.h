#pragma once
// The tester's register addresses: one name for each. The system block (0x400000xx) is shared by
// every machine id; a port's registers lie at Port A's address + PortOffset(port). Machine ids 3
// and 4 keep their counters, stream counters, 1 ms reports, Tx table extensions and oscillator
// results at a second map: a port block's address is FirstMap's or SecondMap's field of that name.

#include "ports/PortMaps.h"

#include <cstdint>

namespace capi::reg {

// The system block, shared by every map.
constexpr uint32_t kSystemId = 0x40000000;         // read: the system ID; written at set-up: 0
constexpr uint32_t kFpgaVersion = 0x40000004;      // the FPGA version word
constexpr uint32_t kHardwareWord = 0x4000000C;     // hardware revision (low four bits)
constexpr uint32_t kHighWordLatch = 0x4000002C;    // the high word of the 64-bit counter read before it
constexpr uint32_t kEepromCommand = 0x40000030;    // the 93C56's command register
constexpr uint32_t kFirmwareVersion = 0x40000040;  // the firmware version word
constexpr uint32_t kLoopback = 0x40000050;         // loopback and PHY control of the second map
constexpr uint32_t kHostSwitch = 0x40000054;       // host sending and counter clearing switch
constexpr uint32_t kAddressTable = 0x40000060;     // four (high, low) address pairs, to 0x4000007C
constexpr uint32_t kSharedTxCommand = 0x40000080;  // Port A's Tx command in bits 24-27, Port B's in 16-19
constexpr uint32_t kOscillator = 0x400000A0;       // first map: Port A's oscillator result, Port B's at + 4
constexpr uint32_t kVcxoPpm = 0x400000A8;          // the VCXO adjustment
constexpr uint32_t kIndirectRegister = 0x400000B0;  // the PHY's indirect window (and SFP selection): register
constexpr uint32_t kIndirectCommand = 0x400000B4;   // ... command word
constexpr uint32_t kIndirectResult = 0x400000BC;    // ... result
constexpr uint32_t kTinyGapFirstMap = 0x400000CC;   // first map: the tiny gap of both ports; 0 at set-up
constexpr uint32_t kPhyControl = 0x400000D0;
// Read: the link report, one byte a port. Written: the shadow control (bit 30 selects the PHY's
// shadow banks). One register, two uses.
constexpr uint32_t kLinkReport = 0x400000D4;
constexpr uint32_t kShadowControl = kLinkReport;
constexpr uint32_t kMdioCommand = 0x400000D8;
// Read: the PHY result (bits 16-20 the register, the low 16 bits its value). Written: the port
// switch (bits 13 and 5 the ports' oscillator measurement). One register, two uses.
constexpr uint32_t kPhyResult = 0x400000DC;
constexpr uint32_t kPortSwitch = kPhyResult;
constexpr uint32_t kSfpEnable = 0x400000E8;        // + 4 x port
constexpr uint32_t kInterFrameGap = 0x400000F0;
constexpr uint32_t kFpgaUpdate = 0x400000F8;       // 1: load the FPGA image just written
constexpr uint32_t kSfpShadow = 0x400000FC;

// Port registers at 0x41000000 + PortOffset(port), one set on every map.
constexpr uint32_t kCaptureControl = 0x41000000;
constexpr uint32_t kPortSpeed = 0x41000004;
constexpr uint32_t kHostRxAddress = 0x41000010;    // (high, low) at + 0, + 4; the second at + 8, + 0xC
constexpr uint32_t kCaptureStatus = 0x41000024;
constexpr uint32_t kBlockCount = 0x41000028;       // the capture's block count
constexpr uint32_t kPortWord = 0x41000030;
constexpr uint32_t kRxStreamMatch = 0x41000034;
constexpr uint32_t kRxStreamMode = 0x4100003C;
constexpr uint32_t kSdfrWordA = 0x41000040;
constexpr uint32_t kSdfrWordB = 0x41000044;
constexpr uint32_t kRxStreamRanges = 0x41000078;   // two words of (low, high) 12-bit ranges
// The capture mode word: 0x71 capture to the host, 0x100 forward each frame at once.
constexpr uint32_t kCaptureModeWord = 0x410000C0;
// The capture run word: bit 31 capture running; 0x40000000 at set-up.
constexpr uint32_t kCaptureRunWord = 0x410000C8;
// The capture options word, which also holds host Rx's bits, the NIC mode's bit 7 and the Rx
// stream control bits (counting, BERT).
constexpr uint32_t kCaptureOptions = 0x410000CC;
constexpr uint32_t kTxConfig = 0x410000E0;
constexpr uint32_t kTxGap = 0x410000E8;
constexpr uint32_t kTxOption = 0x410000EC;
constexpr uint32_t kTxCommand = 0x410000F0;
constexpr uint32_t kStreamControl = 0x410000F4;
constexpr uint32_t kTxCount = 0x410000F8;
constexpr uint32_t kTxAmount = 0x410000FC;
constexpr uint32_t kTinyGap = 0x41000130;          // second map
constexpr uint32_t kSpeedClass = 0x41000138;       // second map: the multi-gigabit speed class
constexpr uint32_t kOscillatorSecondMap = 0x41000190;
// The capture block: filters, the replay command (start, next block, halt) and the wrap of
// captured frames.
constexpr uint32_t kReplayCommand = 0x41000038;
constexpr uint32_t kCaptureFilter0 = 0x41000048;
constexpr uint32_t kCaptureFilter1 = 0x4100004C;
constexpr uint32_t kWrapDestination = 0x410000B0;  // (high, low)
constexpr uint32_t kWrapSource = 0x410000B8;       // (high, low)
constexpr uint32_t kWrapTag = 0x410000C4;

// Tx stream descriptors: 16 bytes an entry on every map.
constexpr uint32_t kTxDescriptors = 0x42200000;

// The port blocks that lie elsewhere on the second map (Port A's addresses).
struct PortBlocks {
    uint32_t counterBlockA;    // 42 64-bit counters
    uint32_t counterBlockB;    // the second counter block
    uint32_t counterClear;     // read to clear the first block
    uint32_t trafficRegisters;
    uint32_t status;           // the port's status register
    uint32_t byteRate1ms;
    uint32_t packetRate1ms;
    uint32_t stackCounter1ms;  // 256 samples; second map only (the first map reads the same address)
    uint32_t txStreams;        // 64 Tx stream counters
    uint32_t txStreamClear;
    uint32_t rxStreams;        // 8 blocks of 0x200
    uint32_t rxStreamClear;
    uint32_t vidStreams;
    uint32_t txTableB;         // 8 bytes an entry
    uint32_t txTableC;         // 16 bytes an entry
};

constexpr PortBlocks kFirstMap = {0x42000000, 0x420000C0, 0x42040000, 0x42000200, 0x42000050,
                                  0x42000118, 0x4200011C, 0x42600120, 0x42300000, 0x42340000,
                                  0x42400000, 0x42440000, 0x42500000, 0x42200400, 0x42200800};
constexpr PortBlocks kSecondMap = {0x42600000, 0x426000C0, 0x42680000, 0x42600200, 0x426000F0,
                                   0x42600118, 0x4260011C, 0x42600120, 0x42400000, 0x42440000,
                                   0x42700000, 0x42740000, 0x42800000, 0x42300000, 0x42100000};
// The traffic counters of the first map's Port A: 64-bit (each read with the high-word latch) and
// 32-bit; each also at + kClearOnRead, where reading it clears it.
constexpr uint32_t kTrafficCounters64[8] = {0x42000200, 0x42000100, 0x42000204, 0x42000208,
                                            0x4200020C, 0x42000214, 0x42000300, 0x42000304};
constexpr uint32_t kTrafficCounters32[4] = {0x42000110, 0x42000114, 0x42000310, 0x42000314};
constexpr uint32_t kClearOnRead = 0x00040000;

// The second map moves the first map's counter bank (0x420xxxxx) up by this much.
constexpr uint32_t kCounterBankShift = kSecondMap.counterBlockA - kFirstMap.counterBlockA;
// The second map's Tx table extension: 2048 bytes an entry.
constexpr uint32_t kTxExtensionSecondMap = 0x42000000;

inline const PortBlocks& MapOf(bool secondMap) { return secondMap ? kSecondMap : kFirstMap; }
// The map of the connected tester.
inline const PortBlocks& Blocks() { return MapOf(UsesSecondMap()); }

}  // namespace capi::reg
