#pragma once
// A unit on the USB control channel: a Brevix-H (or a Korrin, Sevane or Dashel) plugged into a
// port of the simulated USB tree. It answers the channel's 64-byte command packets: registers, its
// EEPROM image, test tasks and logs, run name, system information and configuration, VCXO,
// the mini-testers' commands, and the chunk streams of firmware, FPGA and auxiliary (Ravlo)
// images, whose received data it keeps.
//
// Transports: a unit with the new firmware is a HID device whose interface path is a named pipe of
// this process (so the host opens it with the system's own CreateFileW and reads and writes 65-byte
// reports with ReadFile and WriteFile); one with the old firmware sits behind the mpusbapi driver,
// an interface of that driver's class whose endpoint "\MCHP_EP1" the driver pipe serves.
//
// A HID unit delivers each input report to every reader handle open when it is produced (as the
// system's HID driver keeps a report buffer per handle); a 64-byte write is taken as the bare
// packet, a 65-byte one as a report (report id, packet).
//
// Faults change what the unit sends back; every packet written to it is kept with its form.

#include "sim/DriverHost.h"
#include "sim/UsbTopology.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace sim {

enum class UsbModel { Korrin = 1, Sevane = 2, Dashel = 3, BrevixH = 4 };
enum class UsbTransport { Hid, Mpusb };
// The ids a Korrin, Sevane or Dashel unit shows: its model's own (0x10C4:0x1101, 0x1102, 0x1103)
// or the maker's shared 0x2403:0x1688, which some of these units carry on their HID interface.
enum class UsbIds { Model, Shared };

// A packet as the unit received it.
struct UsbPacket {
    Bytes bytes;          // the 64-byte packet (a report without its report id)
    bool report = false;  // written as a 65-byte report
};

// One line of the unit's journal: a packet it received or a reply it sent (64 bytes each), in the
// order they happened, with the time; a reply is written down as it is handed to the transport.
struct UsbJournalEntry {
    bool fromHost = false;
    Bytes bytes;
    std::chrono::steady_clock::time_point at = std::chrono::steady_clock::now();
};

class UsbUnit {
public:
    static constexpr uint16_t kBrevixVendor = 0x2403;
    static constexpr uint16_t kNewFirmware = 0x1700;  // HID
    static constexpr uint16_t kOldFirmware = 0x1688;  // mpusbapi driver

    // Plugs the unit into `port` of `hub`. Korrin, Sevane and Dashel units are HID devices with the
    // ids `ids` names; a Brevix-H is 0x2403:0x1700 over HID or 0x2403:0x1688 over the mpusbapi driver.
    UsbUnit(DriverHost& host, UsbTopology& topology, UsbHub& hub, int port, UsbModel model = UsbModel::BrevixH,
            UsbTransport transport = UsbTransport::Hid, UsbIds ids = UsbIds::Model);
    ~UsbUnit();
    UsbUnit(const UsbUnit&) = delete;
    UsbUnit& operator=(const UsbUnit&) = delete;

    uint16_t VendorId() const;
    uint16_t ProductId() const;
    UsbTransport Transport() const;
    std::wstring InterfacePath() const;

    // Device loss: the unit leaves the tree and its open handles break; PlugIn brings it back.
    void Unplug();
    void PlugIn();
    // Unplugs itself after receiving this many more packets (0: never).
    void UnplugAfter(size_t packets);

    // Contents.
    std::array<uint8_t, 256> Eeprom() const;
    void SetEeprom(const std::array<uint8_t, 256>& image);
    uint32_t Register(uint16_t address) const;
    void SetRegister(uint16_t address, uint32_t value);
    // A task's body (after its task number byte) as the unit keeps it: 116 bytes.
    Bytes TaskBody(uint8_t task) const;
    void SetTaskBody(uint8_t task, const Bytes& body);
    // Test-log entries, each up to 1500 bytes.
    void AddLogEntry(const Bytes& entry);
    size_t LogEntries() const;
    // The reply data of a command whose reply the unit does not compute: from packet byte 2 on.
    void SetReplyData(uint8_t code, const Bytes& data);
    Bytes ReplyData(uint8_t code) const;
    // The last packet written with a code (empty when none).
    Bytes LastRequest(uint8_t code) const;
    int16_t VcxoPpm() const;
    // Images: the data of the chunks received so far, by chunk index; complete once the end came.
    Bytes Firmware() const;
    Bytes Fpga() const;
    Bytes Ravlo() const;
    bool FirmwareComplete() const;
    // Waits for the firmware image's end packet without looking again and again (false when the
    // patience ran out).
    bool AwaitFirmwareComplete(std::chrono::milliseconds patience) const;
    bool FpgaComplete() const;
    bool RavloComplete() const;

    // Faults on the unit's replies (each count covers the next replies it would send).
    void DelayReplies(uint32_t milliseconds);
    // The replies to the next `requests` packets come `milliseconds` late; the others on time, but
    // never before a late reply to an earlier packet (the unit answers in order).
    void DelayNextReplies(size_t requests, uint32_t milliseconds);
    // Late replies the host cannot read yet: 0 once every late reply waits where the host reads.
    size_t LateRepliesPending() const;
    // The next `count` writes to an old-firmware unit's endpoint fail (not by a time-out) and the
    // unit never sees their packets: a transfer fault of a unit that is still plugged in.
    void FailWrites(size_t count);
    void DropReplies(size_t count);
    // The reply to the `packet`-th packet from now (1: the next) is lost.
    void DropReplyTo(size_t packet);
    void RepeatReplies(size_t count);
    // The reply's code byte is changed, so it answers no request.
    void CorruptReplies(size_t count);
    // Each of the next `count` replies comes after `stale` packets of another code.
    void PrecedeReplies(size_t count, size_t stale);
    // Each of the next `count` replies comes after a copy of it whose bytes 1-5 (indices and
    // arguments) are changed: a reply to another request of the same code.
    void MisdirectReplies(size_t count);
    // Each of the next replies comes after the packets of one forged entry's `before` (64 bytes
    // each, padded with zeros) and has its bytes from 6 on (past the code, indices and
    // arguments) replaced by the entry's `data`.
    struct ForgedReply {
        std::vector<Bytes> before;
        Bytes data;
    };
    void ForgeReplies(std::vector<ForgedReply> replies);
    // A silent unit takes packets and answers none.
    void SetSilent(bool silent);
    // Register and EEPROM read replies echo the address asked for at bytes 2-3 (and the EEPROM
    // word count at 4-5), or, with echo off, leave those bytes 0, as the protocol defines nothing
    // there. Faults that change those bytes apply to what is sent either way.
    void EchoAddresses(bool echo);
    void ClearFaults();

    std::vector<UsbPacket> Received() const;
    size_t ReceivedCount() const;
    std::vector<UsbJournalEntry> Journal() const;
    // Clears the received packets and the journal.
    void ClearReceived();

    struct State;

private:
    class HidServer;
    class Endpoint;

    DriverHost& host_;
    UsbTopology& topology_;
    UsbHub& hub_;
    int port_;
    const bool sharedIds_;
    std::shared_ptr<State> state_;  // shared with the transport's threads and the driver host
    // Plugging: guarded by plugLock_; the test's thread and the unit's timer (a planned unplug).
    mutable std::mutex plugLock_;
    std::shared_ptr<HidServer> hid_;
    std::shared_ptr<Endpoint> endpoint_;
    std::wstring interfacePath_;
    bool plugged_ = false;
};

}  // namespace sim
