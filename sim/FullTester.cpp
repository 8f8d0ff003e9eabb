#include "sim/FullTester.h"

#include <chrono>

namespace sim {
namespace {

const char* ModelName(int machineId) {
    switch (machineId) {
    case 2:
        return "Brevix-A";
    case 3:
        return "Brevix-H";
    case 4:
        return "Brevix-J";
    default:
        return "Brevix-CF";
    }
}

// Version words of a current unit: FPGA build 3.7.4 of 0x2105, hardware revision, firmware.
constexpr uint32_t kFpgaVersion = 0x80000000u | 3u << 25 | 7u << 21 | 4u << 16 | 0x2105;
constexpr uint32_t kHardwareWord = 0x00000035;
constexpr uint32_t kFirmwareVersion = 0x10030412;

// Traffic from the link partners on each port, so that counters and rates move while nobody
// starts a Tx stream: a light load of mixed frames.
constexpr double kIncomingFrames[2] = {1200, 800};
constexpr uint32_t kIncomingBytes[2] = {512, 128};

}  // namespace

TesterIdentity FullTester::FactoryIdentity(int machineId) {
    TesterIdentity identity;
    identity.model = ModelName(machineId);
    identity.eepromVersion = "12";
    identity.serialNumber = "BVX" + std::to_string(machineId) + "-2019-000417";
    identity.productDate = "201905171430";  // year, month, day, hour and minute
    identity.mac = {0x00, 0x1B, 0x2C, 0x3D, 0x4E, uint8_t(0x50 + machineId)};
    return identity;
}

FullTester::FullTester(std::unique_ptr<Link> link, int machineId, const std::wstring& pipeName)
    : machineId_(machineId),
      tester_(std::move(link)),
      model_(tester_, machineId),
      counters_(tester_, MapOf(machineId)),
      phys_(tester_, MapOf(machineId)),
      tables_(tester_, MapOf(machineId)),
      captures_(tester_, machineId),
      peers_(tester_),
      host_(pipeName.empty() ? std::make_unique<DriverHost>() : std::make_unique<DriverHost>(pipeName)),
      driver_(*host_) {
    model_.SetIdentity(FactoryIdentity(machineId));
    model_.SetVersion(kFpgaVersion, kHardwareWord, kFirmwareVersion);
    if (machineId >= 3) {
        usb_ = std::make_unique<UsbTopology>(*host_);
        usbUnit_ = std::make_unique<UsbUnit>(*host_, *usb_, usb_->AddHostController(0, 2), 1);
        // The unit keeps the identity words as the 93C56 does, each word's low byte first, and the
        // PCB revision beside the EEPROM version.
        model_.Eeprom().SetWord(32, uint16_t('A' | '1' << 8));
        std::array<uint8_t, 256> image{};
        for (uint8_t word = 0; word < 128; ++word) {
            const uint16_t value = model_.Eeprom().Word(word);
            image[2 * word] = uint8_t(value);
            image[2 * word + 1] = uint8_t(value >> 8);
        }
        usbUnit_->SetEeprom(image);
    }
    // The link each model reports: Brevix-H and Brevix-J report 10G, the others a gigabit link.
    const int megabits = machineId == 3 || machineId == 4 ? 10000 : 1000;
    for (int port = 0; port < 2; ++port) {
        phys_.SetLink(port, {true, megabits, true});
        counters_.SetIncoming(port, kIncomingFrames[port], kIncomingBytes[port]);
        // A DHCP server on each port's network, for the host identities' DHCP client.
        const uint8_t net = uint8_t(90 + port);
        peers_.SetDhcpServer(port, PortPeers::DhcpServer{{10, 77, net, 1}, {10, 77, net, 100},
                                                         {0x00, 0x1C, 0x7E, 0x60, 0x00, uint8_t(port)}});
    }
}

FullTester::~FullTester() {
    Stop();
    usbUnit_.reset();
    usb_.reset();
}

void FullTester::Start() {
    host_->Start();
    tester_.Start();
    if (partnersRun_.exchange(true)) return;
    // The partners' frames at the counters' light load, in 10 ms batches: what a capture catches.
    partners_ = std::thread([this] {
        uint32_t number = 0;
        while (partnersRun_) {
            for (int port = 0; port < 2 && !partnersQuiet_; ++port) {
                const uint32_t batch = uint32_t(kIncomingFrames[port] / 100);
                captures_.ReceiveNumbered(port, number, batch, kIncomingBytes[port]);
                number += batch;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
}

void FullTester::QuietPartners() {
    partnersQuiet_ = true;
    for (int port = 0; port < 2; ++port) counters_.SetIncoming(port, 0, kIncomingBytes[port]);
}

void FullTester::Stop() {
    if (partnersRun_.exchange(false)) partners_.join();
    tester_.Stop();
    host_->Stop();
}

}  // namespace sim
