#pragma once
// A whole simulated tester: identity, counters with traffic moving them, PHYs with their links
// up, Tx tables, the 93C56, a capture engine fed by the link partners' frames and the hosts behind
// the ports (a DHCP server on each) on the register side, and the USB-Ethernet chip's driver with
// its serial flash on the driver side. A Brevix-H or Brevix-J (machine ids 3 and 4) also has its USB
// unit on a USB tree of the driver side, its EEPROM holding the same identity. brevix-sim plays one;
// tests can build the same.

#include "sim/CaptureEngine.h"
#include "sim/ChipDriver.h"
#include "sim/CounterBanks.h"
#include "sim/DriverHost.h"
#include "sim/PhyBank.h"
#include "sim/PortPeers.h"
#include "sim/RegisterMap.h"
#include "sim/Tester.h"
#include "sim/TesterModel.h"
#include "sim/TxTables.h"
#include "sim/UsbTopology.h"
#include "sim/UsbUnit.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>

namespace sim {

class FullTester {
public:
    // Plays the machine id (1 Brevix-CF ... 4 Brevix-J) on the link; the driver side listens on
    // the pipe name given, or on a name of its own when it is empty.
    FullTester(std::unique_ptr<Link> link, int machineId, const std::wstring& pipeName = DriverHost::kDefaultPipeName);
    ~FullTester();
    FullTester(const FullTester&) = delete;
    FullTester& operator=(const FullTester&) = delete;

    void Start();
    void Stop();

    // The identity a unit of this machine id leaves the factory with.
    static TesterIdentity FactoryIdentity(int machineId);
    static RegisterMap MapOf(int machineId) { return machineId >= 3 ? RegisterMap::Second : RegisterMap::First; }

    int MachineId() const { return machineId_; }
    Tester& Device() { return tester_; }
    TesterModel& Model() { return model_; }
    Eeprom93C56& Eeprom() { return model_.Eeprom(); }
    CounterBanks& Counters() { return counters_; }
    PhyBank& Phys() { return phys_; }
    TxTables& Tables() { return tables_; }
    CaptureEngine& Captures() { return captures_; }
    PortPeers& Peers() { return peers_; }
    DriverHost& Host() { return *host_; }
    ChipDriver& Driver() { return driver_; }
    // The USB unit of machine ids 3 and 4; null for the others.
    UsbUnit* Usb() { return usbUnit_.get(); }

    // The link partners stop their light load, counted and captured alike: the caller brings
    // traffic of its own (the demonstration's).
    void QuietPartners();

private:
    const int machineId_;
    Tester tester_;
    TesterModel model_;
    CounterBanks counters_;
    PhyBank phys_;
    TxTables tables_;
    CaptureEngine captures_;  // after the counters: its block-count register replaces theirs
    PortPeers peers_;         // after the counters, which count the host's frames and pass them on
    std::unique_ptr<DriverHost> host_;
    ChipDriver driver_;
    std::unique_ptr<UsbTopology> usb_;
    std::unique_ptr<UsbUnit> usbUnit_;
    // Feeds the link partners' frames to the capture engine while the tester runs.
    std::atomic<bool> partnersRun_{false};
    std::atomic<bool> partnersQuiet_{false};
    std::thread partners_;
};

}  // namespace sim
