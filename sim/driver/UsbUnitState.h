#pragma once
// What a simulated USB unit holds and how a packet becomes replies; shared by the unit, its
// transport (HID pipe or mpusbapi endpoint) and the timer that sends delayed replies.

#include "sim/UsbUnit.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace sim {

// Where a transport takes the unit's replies (64-byte packets).
class ReportSink {
public:
    virtual ~ReportSink() = default;
    virtual void Deliver(const Bytes& packet) = 0;
    // False while a delivered packet is still on its way to where the host reads it.
    virtual bool AllReadable() const { return true; }
};

struct UsbUnit::State {
    State(UsbModel model, UsbTransport transport);

    // A packet the host wrote (a transport thread, no lock held): logs it, answers it.
    void OnPacket(const Bytes& bytes, bool report);
    void StartTimer();
    void StopTimer();
    // Runs an action on the timer thread after a delay, or at a time.
    void After(uint32_t milliseconds, std::function<void()> action);
    void At(std::chrono::steady_clock::time_point when, std::function<void()> action);
    void SetSink(std::shared_ptr<ReportSink> sink);
    // True while a sent packet has not yet reached where the host reads it.
    bool InTransit();

    const UsbModel model;
    const UsbTransport transport;
    std::weak_ptr<State> self;
    std::function<void()> unplug;  // set by the unit; run on the timer thread

    // Everything below: guarded by lock; written by the transport threads and the test's thread.
    std::mutex lock;
    std::array<uint8_t, 256> eeprom{};
    std::map<uint16_t, uint32_t> registers;
    std::map<uint8_t, Bytes> tasks;
    std::vector<Bytes> logs;
    std::map<uint8_t, Bytes> replyData;
    std::map<uint8_t, Bytes> lastRequest;
    Bytes runName, config;
    int16_t vcxoPpm = 0;
    size_t dhcpPosition = 0;
    struct Image {
        Bytes data;
        bool complete = false;
    };
    Image firmware, fpga, ravlo;
    // Notified when an image is complete.
    std::condition_variable imageComplete;
    size_t ravloNext = 0;
    uint32_t delayMs = 0;
    size_t lateRequests = 0, latePending = 0;
    uint32_t lateMs = 0;
    // No reply goes before this time: the last reply planned goes then.
    std::chrono::steady_clock::time_point repliesHeldUntil{};
    size_t dropAt = 0;
    size_t failWrites = 0;
    size_t drop = 0, repeat = 0, corrupt = 0, precede = 0, staleCount = 0, misdirect = 0;
    std::vector<UsbUnit::ForgedReply> forged;  // the next first
    bool silent = false;
    bool echoAddresses = true;
    size_t unplugAfter = 0;
    std::vector<UsbPacket> received;
    std::vector<UsbJournalEntry> journal;

    // Takes one planned write failure; false when none is left.
    bool TakeWriteFailure();
    std::vector<Bytes> Respond(const Bytes& packet);
    std::vector<Bytes> ApplyFaults(const Bytes& reply);

private:
    void Send(const std::vector<Bytes>& replies);

    // The sink: guarded by sinkLock; set by the unit's plug-in and unplug.
    std::mutex sinkLock;
    std::shared_ptr<ReportSink> sink;

    // The timer's actions: guarded by timerLock; the timer thread is started and joined here.
    std::mutex timerLock;
    std::condition_variable timerWake;
    std::multimap<std::chrono::steady_clock::time_point, std::function<void()>> actions;
    bool timerRunning = false;
    std::thread timer;
};

}  // namespace sim
