#pragma once
// The USB control channel of the Brevix-H family and its sibling models: one device object for the
// whole library. It finds a unit by model type (USB vendor and product id, through the USB tree
// search), opens it and moves 64-byte packets in one of two transports:
//   - HID (the units' new firmware): the interface's device path opened twice with the system's
//     own CreateFileW, once to write and once to read; each transfer is one 65-byte report whose
//     byte 0 is the report id 0 and whose bytes 1-64 are the packet.
//   - MPUSB (the old firmware): the write and read pipes of mpusbapi.dll's endpoint "\MCHP_EP1",
//     bound at run time by name; 64-byte packets with a 1000 ms time-out.
//
// Threads: the host's threads and the download workers. One user at a time has the channel: an
// exchange (UsbExchangeLock) or a long operation (a download, the log clearing: the busy flag).
// None of them holds the device lock while it waits for the unit or dispatches the host's
// messages; the lock guards only the hand-over of the channel and the writes of the long
// operations. The handles are atomic so that a close on one thread makes the transfers of another
// fail at once. The mode and the download flags are plain atomic words. A channel keeps the
// transport it was opened in: a later search may switch the library's mode while it is open.

#include "usb/UsbPacket.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace capi {

constexpr size_t kUsbReport = 65;

enum class UsbMode { Hid, Mpusb };

// How a packet is written: as the report form (65 bytes in HID mode, the packet in MPUSB mode) or
// as the bare 64-byte packet in both modes.
enum class UsbWriteForm { Report, Plain };

// What a write takes away first of what the unit sent and nobody read: everything (the request of
// an exchange: a unit may answer a request twice, and the second reply must not pass for this
// request's), or only what follows a request whose reply was not taken (the packets of a download
// stream, which go at the channel's full pace and handle their own repeated replies).
enum class UsbDrain { Always, WhenUnanswered };

// The Korrin-layer callback: (status, pointer to a percent byte, count 1).
using KorrinCallback = void(__stdcall*)(int status, const uint8_t* percent, int count);

class UsbTesterDevice {
public:
    static UsbTesterDevice& Instance();

    // Model types: 1 Korrin, 2 Sevane, 3 Dashel, 4 Brevix-H.
    int FindByType(int type);
    int ProbeModel(int index) const;
    int IsPresent() const;
    int Open();
    void Close();
    bool IsConnected() const { return connected_.load(); }

    // One transfer in the channel's transport; the bytes moved. A read in HID mode always takes one
    // whole report (a shorter read would split it): asked for 65 bytes it hands over the report,
    // asked for 64 the packet. A read waits at most `timeoutMs` (and never more than 1000 ms).
    DWORD WritePacket(const uint8_t* buffer, DWORD length);
    DWORD ReadPacket(uint8_t* buffer, DWORD length, DWORD timeoutMs = kReadTimeoutMs);
    // Writes a request in the given form, after taking away what the unit sent that nobody read
    // (see UsbDrain), so that a reply that came late or twice cannot pass for this request's.
    DWORD Write(const UsbPacket& packet, UsbWriteForm form, UsbDrain drain = UsbDrain::Always);
    // The exchange took the reply to the last request: the next write need not empty the channel.
    void ReplyTaken() { unanswered_ = false; }
    // Takes away what the unit sent that nobody read; the number of those packets whose byte 0 is
    // `code` (the late answers to a request of that code).
    int DrainPending(uint8_t code = 0);
    // Reads one packet (the packet part of a report in HID mode); false when nothing came.
    bool Read(UsbPacket* packet, DWORD timeoutMs = kReadTimeoutMs);
    // A packet of only the code, in the report form.
    DWORD SendCommand(uint8_t code);
    // Reads one packet; true when bytes came and byte 0 is the code.
    bool ReceiveReply(uint8_t code, UsbPacket* packet = nullptr, DWORD timeoutMs = kReadTimeoutMs);

    // Since the last open, a transfer failed for another reason than a time-out and the unit was
    // then no longer found: it is gone.
    bool Lost() const { return lost_.load(); }

    void RequestAbort() { abort_ = true; }
    void ClearAbort() { abort_ = false; }
    bool AbortRequested() const { return abort_.load(); }

    int Type() const { return type_.load(); }
    uint32_t VendorId() const { return vendorId_.load(); }
    uint32_t ProductId() const { return productId_.load(); }

    static constexpr DWORD kReadTimeoutMs = 1000;

private:
    friend class UsbDeviceLock;
    friend class UsbExchangeLock;
    UsbTesterDevice();
    void BindDriverLibrary();
    void OpenHid(const std::wstring& path);
    void OpenMpusb(uint32_t instance);
    void CheckUnitAfterFailure();

    // What the open channel was found by: its transport, ids and product name.
    struct Channel {
        UsbMode mode = UsbMode::Hid;
        uint32_t vendorId = 0;
        uint32_t productId = 0;
        std::wstring name;
    };

    using GetDeviceCountFn = DWORD(WINAPI*)(const char*);
    using OpenFn = HANDLE(WINAPI*)(DWORD, const char*, const char*, DWORD, DWORD);
    using CloseFn = BOOL(WINAPI*)(HANDLE);
    using TransferFn = DWORD(WINAPI*)(HANDLE, void*, DWORD, DWORD*, DWORD);

    std::atomic<int> connected_{0};
    std::atomic<bool> abort_{false};
    std::atomic<bool> lost_{false};
    // The last request written has had no reply taken: set by Write, cleared by ReplyTaken. Only
    // the channel's one user at a time (an exchange under the lock, or the running download)
    // writes and reads, so a plain atomic word is enough.
    std::atomic<bool> unanswered_{false};
    std::atomic<HANDLE> readHandle_{INVALID_HANDLE_VALUE};
    std::atomic<HANDLE> writeHandle_{INVALID_HANDLE_VALUE};
    // The transport the handles were opened in, which every transfer on them uses.
    std::atomic<UsbMode> openMode_{UsbMode::Hid};
    // Guards channel_: written by Open, read by the thread whose transfer failed.
    std::mutex channelLock_;
    Channel channel_;
    HMODULE driver_ = nullptr;
    CRITICAL_SECTION lock_;
    std::atomic<DWORD> owner_{0};
    // The thread whose exchange has the channel (0: none): written under lock_. channelFree_ is a
    // manual-reset event, set while no exchange has the channel.
    std::atomic<DWORD> exchangeOwner_{0};
    HANDLE channelFree_ = nullptr;
    // An event for the overlapped HID reads, kept between reads (null while a read has it).
    std::atomic<HANDLE> spareReadEvent_{nullptr};
    GetDeviceCountFn getDeviceCount_ = nullptr;
    OpenFn open_ = nullptr;
    CloseFn close_ = nullptr;
    TransferFn read_ = nullptr;
    TransferFn write_ = nullptr;

    // The selection: written by FindByType on the host's thread, read by Open.
    std::string vidPid_ = "vid_10c4&pid_1101";
    std::wstring productName_;
    std::atomic<uint32_t> vendorId_{0x10C4};
    std::atomic<uint32_t> productId_{0x1101};
    std::atomic<int> type_{1};
};

// Holds the device lock for one transfer or hand-over: never across a wait. It is not taken again
// by a thread that holds it already.
class UsbDeviceLock {
public:
    UsbDeviceLock();
    ~UsbDeviceLock();
    UsbDeviceLock(const UsbDeviceLock&) = delete;
    UsbDeviceLock& operator=(const UsbDeviceLock&) = delete;
    bool Acquired() const { return acquired_; }

private:
    bool acquired_ = false;
};

// The channel for one exchange, from before its first write to after its last read. While another
// thread's exchange has it, the caller waits for it and dispatches its own window messages
// meanwhile (a message that thread's host code sends it is answered, so neither waits for the
// other). While a download or the log clearing has the channel (the busy flag), a command gives up
// at once (its failure result) rather than wait behind it or take its replies; so does an exchange
// started from a message dispatched during a running exchange of the same thread, rather than mix
// its packets into the running one, and one started from a message dispatched while its thread
// waits for the channel, rather than wait inside that wait (the exchange that has the channel may
// be waiting for the message's answer).
class UsbExchangeLock {
public:
    UsbExchangeLock();
    ~UsbExchangeLock();
    UsbExchangeLock(const UsbExchangeLock&) = delete;
    UsbExchangeLock& operator=(const UsbExchangeLock&) = delete;
    bool Acquired() const { return acquired_; }

private:
    bool acquired_ = false;
};

// The library-wide words beside the device object.
std::atomic<UsbMode>& UsbTransportMode();
// Busy: one operation has taken the channel, a download (worker or synchronous) or the log
// clearing. Finished: 0 while a download runs, 1 otherwise (what a terminate waits for).
std::atomic<int>& UsbDownloadBusy();
std::atomic<int>& UsbDownloadFinished();
// Takes the busy flag for an operation of the calling thread, once a running exchange of another
// thread has ended; false while another operation has it, and when the call comes from a message
// dispatched inside a running exchange of this thread.
bool ClaimUsbChannel();
std::atomic<KorrinCallback>& KorrinLayerCallback();
// Calls the Korrin-layer callback when one is set.
void ReportToKorrinCallback(int status, uint8_t percent);

// Terminate: close the channel, then wait up to about 5 seconds for a running worker download.
void WaitDownloadEnd();

// The text conversions of the layer: ANSI code page to wide; wide to the OEM code page, written
// with its terminating zero into a buffer the caller sizes.
std::wstring ToWide(const char* text);
void ToNarrow(char* buffer, const std::wstring& text);

}  // namespace capi
