#pragma once
// The device model of an Ethernet-attached tester as the library's core meets it: the system ID
// and version registers, the 93C56 EEPROM behind its command register (with the identity fields),
// the link report register, and the answer to the adapter probe.

#include "sim/Tester.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
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
    static constexpr uint32_t kEepromCommand = 0x40000030;
    static constexpr uint32_t kFirmwareVersion = 0x40000040;
    static constexpr uint32_t kLinkReport = 0x400000D4;

    TesterModel(Tester& tester, int machineId);

    void SetMachineId(int machineId);
    void SetIdentity(const TesterIdentity& identity);
    void SetEepromWord(uint8_t word, uint16_t value);
    uint16_t EepromWord(uint8_t word) const;
    void SetVersion(uint32_t fpga, uint32_t hardware, uint32_t firmware);
    void SetLinkReport(uint32_t value);

    // The adapter probe: command frames from any source but the library's command source. From
    // this call on, the probe frame with this number (counting from 1) and every later one get
    // their answer; 0 answers none. Until the first call, every probe frame is answered.
    void AnswerProbeOn(int frameNumber);
    // Probe frames received since the simulator started.
    int ProbeFramesSeen() const { return probeFrames_; }

private:
    bool OnProbe(const Bytes& frame);
    void OnEepromCommand(uint32_t value);
    uint32_t OnEepromRead();

    Tester& tester_;
    std::atomic<int> answerProbeOn_{1};
    std::atomic<int> probeFrames_{0};
    std::atomic<int> probesSinceChoice_{0};
    std::atomic<uint32_t> linkReport_{0};

    // Guarded by lock_: the simulator's receive thread and the test's thread.
    mutable std::mutex lock_;
    uint8_t selector_ = 0;
    int latchedWord_ = -1;  // the word the last read command asked for, -1 for none
    std::array<uint16_t, 128> eeprom_{};
};

}  // namespace sim
