#pragma once
// The device model of an Ethernet-attached tester as the library's core meets it: the system ID
// and version registers, the identity fields in the tester's 93C56 EEPROM, and the answer to the
// adapter probe. The link report belongs to the PHYs (PhyBank).

#include "sim/Eeprom93C56.h"
#include "sim/Tester.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

namespace sim {

// What the EEPROM holds for the identity: texts are stored two characters per word, the first in
// the word's low byte.
struct TesterIdentity {
    std::string model;          // words 16-23 (16 characters)
    std::string eepromVersion;  // word 33 (two digits)
    std::string serialNumber;   // words 38-47 (20 characters)
    std::string productDate;    // words 48-53 (12 characters)
    std::array<uint8_t, 6> mac{};  // words 64-66
};

// The system ID register value of a machine id (1 Brevix-CF, 2 Brevix-A, 3 Brevix-H, 4 Brevix-J).
uint32_t SystemIdOf(int machineId);
// The EEPROM command nibble the tester answers to.
uint8_t EepromSelectorOf(int machineId);

class TesterModel {
public:
    static constexpr uint32_t kSystemId = 0x40000000;
    static constexpr uint32_t kFpgaVersion = 0x40000004;
    static constexpr uint32_t kHardware = 0x4000000C;
    static constexpr uint32_t kFirmwareVersion = 0x40000040;

    TesterModel(Tester& tester, int machineId);
    TesterModel(const TesterModel&) = delete;
    TesterModel& operator=(const TesterModel&) = delete;

    void SetMachineId(int machineId);
    // Writes the identity words into the EEPROM.
    void SetIdentity(const TesterIdentity& identity);
    // The identity last written; set before the tester starts and not changed while it runs.
    const TesterIdentity& Identity() const { return identity_; }
    void SetVersion(uint32_t fpga, uint32_t hardware, uint32_t firmware);
    // The tester's one 93C56, answering the selector of the machine played.
    Eeprom93C56& Eeprom() { return eeprom_; }

    // The adapter probe: command frames from any source but the library's command source. From
    // this call on, the probe frame with this number (counting from 1) and every later one get
    // their answer; 0 answers none. Until the first call, every probe frame is answered.
    void AnswerProbeOn(int frameNumber);
    // Probe frames received since the simulator started.
    int ProbeFramesSeen() const { return probeFrames_; }

private:
    bool OnProbe(const Bytes& frame);
    void StoreText(uint8_t firstWord, const std::string& text, size_t length);

    Tester& tester_;
    Eeprom93C56 eeprom_;
    TesterIdentity identity_;
    std::atomic<int> answerProbeOn_{1};
    std::atomic<int> probeFrames_{0};
    std::atomic<int> probesSinceChoice_{0};
};

}  // namespace sim
