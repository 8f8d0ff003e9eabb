#include "usb/UsbTesterDevice.h"

#include "runtime/DebugStream.h"
#include "runtime/PumpWait.h"
#include "usbtree/UsbTreeSearch.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace capi {
namespace {

constexpr char kEndpoint[] = "\\MCHP_EP1";
constexpr DWORD kMpusbWrite = 0;
constexpr DWORD kMpusbRead = 1;
constexpr DWORD kMpusbTimeoutMs = 1000;
// The bound of each read that empties an mpusbapi pipe: a few USB frames.
constexpr DWORD kMpusbDrainMs = 20;
constexpr DWORD kLockSpinCount = 4000;
// WaitDownloadEnd: up to 500 polls 10 ms apart.
constexpr int kDownloadEndPolls = 500;
constexpr uint32_t kDownloadEndPollMs = 10;

constexpr uint32_t kBrevixVendor = 0x2403;
constexpr uint32_t kNewFirmware = 0x1700;
constexpr uint32_t kOldFirmware = 0x1688;

// Replies that wait unread in the channel: a unit sends one per request, so a few at most.
constexpr int kMostPending = 64;

struct Try {
    uint32_t vendorId;
    uint32_t productId;
    UsbMode search;  // HID search, or the mpusbapi driver's
    const wchar_t* name;
};

constexpr wchar_t kBrevixHName[] = L"Quendal Brevix-H diagnosis and manager";
constexpr wchar_t kDeviceName[] = L"Quendal Device";

// The tries of the search for each model type, in order.
std::vector<Try> TriesOf(int type) {
    switch (type) {
    case 1:
        return {{0x10C4, 0x1101, UsbMode::Hid, L"Quendal Korrin"},
                {kBrevixVendor, kOldFirmware, UsbMode::Hid, L"Quendal Korrin"}};
    case 2:
        return {{0x10C4, 0x1102, UsbMode::Hid, L"Quendal Sevane"},
                {kBrevixVendor, kOldFirmware, UsbMode::Hid, L"Quendal Sevane"}};
    case 3:
        return {{0x10C4, 0x1103, UsbMode::Hid, L"Quendal Dashel"},
                {kBrevixVendor, kOldFirmware, UsbMode::Hid, L"Quendal Dashel"}};
    case 4:
        return {{kBrevixVendor, kNewFirmware, UsbMode::Hid, kBrevixHName},
                {kBrevixVendor, kNewFirmware, UsbMode::Hid, kDeviceName},
                {kBrevixVendor, kOldFirmware, UsbMode::Mpusb, kBrevixHName},
                {kBrevixVendor, kOldFirmware, UsbMode::Mpusb, kDeviceName}};
    default:
        return {};
    }
}

bool Search(UsbMode mode, uint32_t vendorId, uint32_t productId, const std::wstring& name,
            std::vector<uint32_t>& instances) {
    return (mode == UsbMode::Hid ? FindUsbInterfacePaths(vendorId, productId, name, instances)
                                 : FindUsbInterfacePathsByHub(vendorId, productId, name, instances)) != 0;
}

bool Found(const Try& t, std::vector<uint32_t>& instances) {
    return Search(t.search, t.vendorId, t.productId, t.name, instances);
}

std::string VidPid(uint32_t vendorId, uint32_t productId) {
    char text[32];
    std::snprintf(text, sizeof text, "vid_%04x&pid_%04x", unsigned(vendorId), unsigned(productId));
    return text;
}

bool Valid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

}  // namespace

std::atomic<UsbMode>& UsbTransportMode() {
    static std::atomic<UsbMode> mode{UsbMode::Hid};
    return mode;
}

std::atomic<int>& UsbDownloadBusy() {
    static std::atomic<int> busy{0};
    return busy;
}

std::atomic<int>& UsbDownloadFinished() {
    static std::atomic<int> finished{1};
    return finished;
}

std::atomic<KorrinCallback>& KorrinLayerCallback() {
    static std::atomic<KorrinCallback> callback{nullptr};
    return callback;
}

void ReportToKorrinCallback(int status, uint8_t percent) {
    if (KorrinCallback callback = KorrinLayerCallback().load()) callback(status, &percent, 1);
}

// The object lives until the process ends: closing its handles at unload could wait on a driver
// peer that is already gone, and the system releases them with the process.
UsbTesterDevice& UsbTesterDevice::Instance() {
    static UsbTesterDevice* device = new UsbTesterDevice;
    return *device;
}

UsbTesterDevice::UsbTesterDevice() {
    BindDriverLibrary();
    InitializeCriticalSectionAndSpinCount(&lock_, kLockSpinCount);
    channelFree_ = CreateEventW(nullptr, TRUE, TRUE, nullptr);
}

// A missing library or entry point leaves its pointer null: the MPUSB transport then moves
// nothing and its opens fail.
void UsbTesterDevice::BindDriverLibrary() {
    driver_ = LoadLibraryW(L"mpusbapi.dll");
    if (!driver_) return;
    auto entry = [this](const char* name) { return reinterpret_cast<void*>(GetProcAddress(driver_, name)); };
    getDeviceCount_ = reinterpret_cast<GetDeviceCountFn>(entry("_MPUSBGetDeviceCount"));
    open_ = reinterpret_cast<OpenFn>(entry("_MPUSBOpen"));
    close_ = reinterpret_cast<CloseFn>(entry("_MPUSBClose"));
    read_ = reinterpret_cast<TransferFn>(entry("_MPUSBRead"));
    write_ = reinterpret_cast<TransferFn>(entry("_MPUSBWrite"));
}

int UsbTesterDevice::FindByType(int type) {
    type_ = type;
    std::vector<uint32_t> instances;
    const std::vector<Try> tries = TriesOf(type);
    for (size_t i = 0; i < tries.size(); ++i) {
        const Try& t = tries[i];
        if (!Found(t, instances)) continue;
        productName_ = t.name;
        vendorId_ = t.vendorId;
        productId_ = t.productId;
        vidPid_ = VidPid(t.vendorId, t.productId);
        if (type == 4) {
            UsbTransportMode() = t.productId == kNewFirmware ? UsbMode::Hid : UsbMode::Mpusb;
            if (i == 0) Log("(API)(Detect) Brevix-HJ new FW");
            if (i == 2) Log("(API)(Detect) Brevix-HJ old FW");
        }
        return 1;
    }
    return 0;
}

int UsbTesterDevice::ProbeModel(int index) const {
    if (index < 1 || index > 3) return 0;
    std::vector<uint32_t> instances;
    for (const Try& t : TriesOf(index))
        if (Found(t, instances)) return 1;
    return 0;
}

int UsbTesterDevice::IsPresent() const {
    std::vector<uint32_t> instances;
    return FindUsbInterfacePaths(vendorId_, productId_, productName_, instances) ? 1 : 0;
}

int UsbTesterDevice::Open() {
    const UsbMode mode = UsbTransportMode().load();
    std::vector<uint32_t> instances;
    // A search that finds nothing leaves an open channel as it is.
    if (!Search(mode, vendorId_, productId_, productName_, instances)) return 0;
    // An open channel is closed before it is replaced, so that its handles are not lost.
    if (Valid(readHandle_) || Valid(writeHandle_)) Close();
    lost_ = false;
    // What the unit sent before this open was never read: the first request clears it away.
    unanswered_ = true;
    openMode_ = mode;
    {
        std::lock_guard<std::mutex> guard(channelLock_);
        channel_ = {mode, vendorId_, productId_, productName_};
    }
    if (mode == UsbMode::Hid) OpenHid(LastFoundDevicePath());
    else OpenMpusb(instances.front());
    const bool open = Valid(writeHandle_) && Valid(readHandle_);
    connected_ = open ? 1 : 0;
    return open ? 1 : 0;
}

void UsbTesterDevice::OpenHid(const std::wstring& path) {
    writeHandle_ = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               0, nullptr);
    // Reads are overlapped so that each can be bounded and cancelled.
    readHandle_ = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr);
}

void UsbTesterDevice::OpenMpusb(uint32_t instance) {
    if (!open_) {
        writeHandle_ = readHandle_ = INVALID_HANDLE_VALUE;
        return;
    }
    writeHandle_ = open_(instance, vidPid_.c_str(), kEndpoint, kMpusbWrite, 0);
    readHandle_ = open_(instance, vidPid_.c_str(), kEndpoint, kMpusbRead, 0);
}

void UsbTesterDevice::Close() {
    const bool hid = openMode_ == UsbMode::Hid;
    for (std::atomic<HANDLE>* slot : {&readHandle_, &writeHandle_}) {
        const HANDLE handle = slot->exchange(nullptr);
        if (!Valid(handle)) continue;
        if (hid) CloseHandle(handle);
        else if (close_) close_(handle);
    }
    connected_ = 0;
}

DWORD UsbTesterDevice::WritePacket(const uint8_t* buffer, DWORD length) {
    if (!buffer) return 0;
    const HANDLE handle = writeHandle_;
    if (!Valid(handle)) return 0;
    DWORD sent = 0;
    if (openMode_ == UsbMode::Hid) {
        if (!WriteFile(handle, buffer, length, &sent, nullptr)) {
            sent = 0;
            CheckUnitAfterFailure();
        }
    } else if (write_ && !write_(handle, const_cast<uint8_t*>(buffer), length, &sent, kMpusbTimeoutMs)) {
        if (GetLastError() != ERROR_TIMEOUT) CheckUnitAfterFailure();
    }
    return sent;
}

// A transfer can fail while the unit stays plugged in (a busy or resetting endpoint): the unit is
// lost only when the search no longer finds what the channel was opened to.
void UsbTesterDevice::CheckUnitAfterFailure() {
    if (lost_) return;
    Channel channel;
    {
        std::lock_guard<std::mutex> guard(channelLock_);
        channel = channel_;
    }
    std::vector<uint32_t> instances;
    if (!Search(channel.mode, channel.vendorId, channel.productId, channel.name, instances)) lost_ = true;
}

DWORD UsbTesterDevice::ReadPacket(uint8_t* buffer, DWORD length, DWORD timeoutMs) {
    if (!buffer) return 0;
    const HANDLE handle = readHandle_;
    if (!Valid(handle)) return 0;
    const DWORD bound = std::min(timeoutMs, kMpusbTimeoutMs);
    if (openMode_ == UsbMode::Mpusb) {
        DWORD received = 0;
        if (read_ && !read_(handle, buffer, length, &received, bound) && GetLastError() != ERROR_TIMEOUT)
            CheckUnitAfterFailure();
        return received;
    }
    uint8_t report[kUsbReport] = {};
    OVERLAPPED overlapped{};
    // The read starts by resetting the event: one kept from an earlier read serves, which spares
    // two calls to the system per packet of a download.
    overlapped.hEvent = spareReadEvent_.exchange(nullptr);
    if (!overlapped.hEvent) overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!overlapped.hEvent) return 0;
    DWORD received = 0;
    if (ReadFile(handle, report, sizeof report, nullptr, &overlapped) || GetLastError() == ERROR_IO_PENDING) {
        if (WaitForSingleObject(overlapped.hEvent, bound) != WAIT_OBJECT_0) CancelIo(handle);
        // A report that arrived while the read was being cancelled is still taken.
        if (!GetOverlappedResult(handle, &overlapped, &received, TRUE)) {
            received = 0;
            if (GetLastError() != ERROR_OPERATION_ABORTED) CheckUnitAfterFailure();
        }
    } else {
        CheckUnitAfterFailure();
    }
    HANDLE none = nullptr;
    if (!spareReadEvent_.compare_exchange_strong(none, overlapped.hEvent)) CloseHandle(overlapped.hEvent);
    if (received < kUsbReport) return 0;
    if (length >= kUsbReport) {
        std::memcpy(buffer, report, kUsbReport);
        return kUsbReport;
    }
    const DWORD packet = std::min<DWORD>(length, kUsbPacket);
    std::memcpy(buffer, report + 1, packet);
    return packet;
}

DWORD UsbTesterDevice::Write(const UsbPacket& packet, UsbWriteForm form, UsbDrain drain) {
    // An empty channel costs one read that finds nothing.
    if (unanswered_.load() || drain == UsbDrain::Always) DrainPending();
    unanswered_ = true;
    if (form == UsbWriteForm::Report && openMode_ == UsbMode::Hid) {
        uint8_t report[kUsbReport] = {};
        std::memcpy(report + 1, packet.data(), kUsbPacket);
        return WritePacket(report, kUsbReport);
    }
    return WritePacket(packet.data(), kUsbPacket);
}

int UsbTesterDevice::DrainPending(uint8_t code) {
    // A pipe of the mpusbapi driver hands over a reply only through a completed IN transfer, which
    // a read without time-out never sees complete: such a read takes nothing even while a reply
    // waits in the unit. A HID report waits in the system's buffer, where a read takes it at once.
    const DWORD bound = openMode_ == UsbMode::Mpusb ? kMpusbDrainMs : 0;
    UsbPacket pending{};
    int answers = 0;
    for (int drained = 0; drained < kMostPending && Read(&pending, bound); ++drained)
        if (pending[0] == code) ++answers;
    unanswered_ = false;
    return answers;
}

bool UsbTesterDevice::Read(UsbPacket* packet, DWORD timeoutMs) {
    UsbPacket received{};
    if (ReadPacket(received.data(), kUsbPacket, timeoutMs) == 0) return false;
    if (packet) *packet = received;
    return true;
}

DWORD UsbTesterDevice::SendCommand(uint8_t code) {
    UsbPacket packet{};
    packet[0] = code;
    return Write(packet, UsbWriteForm::Report);
}

bool UsbTesterDevice::ReceiveReply(uint8_t code, UsbPacket* packet, DWORD timeoutMs) {
    UsbPacket received{};
    if (!Read(&received, timeoutMs) || received[0] != code) return false;
    if (packet) *packet = received;
    return true;
}

UsbDeviceLock::UsbDeviceLock() {
    UsbTesterDevice& device = UsbTesterDevice::Instance();
    if (device.owner_.load() == GetCurrentThreadId()) return;
    EnterCriticalSection(&device.lock_);
    device.owner_ = GetCurrentThreadId();
    acquired_ = true;
}

UsbDeviceLock::~UsbDeviceLock() {
    if (!acquired_) return;
    UsbTesterDevice& device = UsbTesterDevice::Instance();
    device.owner_ = 0;
    LeaveCriticalSection(&device.lock_);
}

namespace {

enum class Claim { Taken, Refused, Wait };

// The calling thread waits for the channel in AwaitChannel: a message it dispatches there that
// starts another exchange would wait for the channel inside the wait, while the exchange that has
// the channel may be waiting for that very message to return (a message sent from host code
// dispatched inside its own pumped wait). Such an exchange fails at once instead.
thread_local bool awaitingChannel = false;

class AwaitingChannel {
public:
    AwaitingChannel() { awaitingChannel = true; }
    ~AwaitingChannel() { awaitingChannel = false; }
    AwaitingChannel(const AwaitingChannel&) = delete;
    AwaitingChannel& operator=(const AwaitingChannel&) = delete;
};

// Waits until the channel may be free, dispatching the thread's messages as they come (a library
// thread has none). Once a quit message came, it is left for the thread's loop and the wait
// answers only the messages other threads send: the owner of the channel may be waiting for one.
void AwaitChannel(HANDLE free, bool& quit) {
    if (OnWindowlessThread()) {
        WaitForSingleObject(free, INFINITE);
        return;
    }
    AwaitingChannel awaiting;
    const DWORD wake = quit ? QS_SENDMESSAGE : QS_ALLINPUT;
    if (MsgWaitForMultipleObjectsEx(1, &free, INFINITE, wake, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0) return;
    if (quit) {
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    } else if (!PumpMessages()) {
        quit = true;
    }
}

}  // namespace

UsbExchangeLock::UsbExchangeLock() {
    if (awaitingChannel) return;
    UsbTesterDevice& device = UsbTesterDevice::Instance();
    const DWORD self = GetCurrentThreadId();
    bool quit = false;
    for (;;) {
        Claim claim = Claim::Wait;
        {
            UsbDeviceLock lock;
            const DWORD owner = device.exchangeOwner_.load();
            if (!lock.Acquired() || UsbDownloadBusy().load() || owner == self) {
                claim = Claim::Refused;
            } else if (owner == 0) {
                device.exchangeOwner_ = self;
                ResetEvent(device.channelFree_);
                claim = Claim::Taken;
            }
        }
        if (claim == Claim::Refused) return;
        if (claim == Claim::Taken) {
            acquired_ = true;
            return;
        }
        AwaitChannel(device.channelFree_, quit);
    }
}

UsbExchangeLock::~UsbExchangeLock() {
    if (!acquired_) return;
    UsbTesterDevice& device = UsbTesterDevice::Instance();
    UsbDeviceLock lock;
    device.exchangeOwner_ = 0;
    SetEvent(device.channelFree_);
}

// Taken as an exchange's channel: an exchange of another thread has ended before the channel
// changes hands, and one that starts later finds the busy flag.
bool ClaimUsbChannel() {
    UsbExchangeLock lock;
    return lock.Acquired() && UsbDownloadBusy().exchange(1) == 0;
}

void WaitDownloadEnd() {
    UsbTesterDevice::Instance().RequestAbort();
    for (int i = 0; i < kDownloadEndPolls && !UsbDownloadFinished().load(); ++i) PumpWait(kDownloadEndPollMs);
}

std::wstring ToWide(const char* text) {
    if (!text) return {};
    const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(size_t(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
    wide.resize(size_t(length - 1));
    return wide;
}

void ToNarrow(char* buffer, const std::wstring& text) {
    if (!buffer) return;
    const int length = WideCharToMultiByte(CP_OEMCP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        *buffer = '\0';
        return;
    }
    WideCharToMultiByte(CP_OEMCP, 0, text.c_str(), -1, buffer, length, nullptr, nullptr);
}

}  // namespace capi
