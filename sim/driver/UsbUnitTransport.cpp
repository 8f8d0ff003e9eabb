// The USB unit's two transports: the HID device (a named pipe of reports) and the mpusbapi
// driver's endpoint (served through the driver pipe), the unit's timer, and plugging in and out.

#include "UsbUnitState.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <sstream>

namespace sim {
namespace {

const GUID kHidClass = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
const GUID kMpusbClass = {0x5354FA28, 0x6D14, 0x4E35, {0xA1, 0xF5, 0x75, 0xBB, 0x54, 0xE6, 0x03, 0x0F}};

constexpr wchar_t kEndpoint[] = L"\\MCHP_EP1";
constexpr int kHidInstances = 4;
constexpr size_t kPacket = 64;
constexpr size_t kReport = 65;

std::atomic<unsigned> unitSerial{0};

std::wstring Ids(uint16_t vendor, uint16_t product) {
    wchar_t text[32];
    swprintf(text, 32, L"vid_%04x&pid_%04x", vendor, product);
    return text;
}

// Waits for an overlapped operation or the stop event; false when it failed or was stopped.
bool Await(HANDLE pipe, OVERLAPPED& overlapped, HANDLE stop, DWORD* transferred) {
    HANDLE events[2] = {overlapped.hEvent, stop};
    if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0) {
        CancelIo(pipe);
        GetOverlappedResult(pipe, &overlapped, transferred, TRUE);
        return false;
    }
    return GetOverlappedResult(pipe, &overlapped, transferred, FALSE) != FALSE;
}

}  // namespace

void UsbUnit::State::OnPacket(const Bytes& bytes, bool report) {
    Bytes packet(kPacket, 0);
    std::copy(bytes.begin(), bytes.begin() + std::min(bytes.size(), kPacket), packet.begin());
    std::vector<Bytes> replies;
    const auto now = std::chrono::steady_clock::now();
    auto due = now;
    bool late = false, unplugNow = false;
    {
        std::lock_guard<std::mutex> guard(lock);
        received.push_back({packet, report});
        journal.push_back({true, packet});
        for (const Bytes& reply : Respond(packet))
            for (Bytes& sent : ApplyFaults(reply)) replies.push_back(std::move(sent));
        if (dropAt && --dropAt == 0) replies.clear();
        uint32_t delay = delayMs;
        if (lateRequests) {
            --lateRequests;
            ++latePending;
            delay = lateMs;
            late = true;
        }
        // The unit answers its packets in the order it took them: a reply made late holds back
        // the replies to the packets after it.
        due = std::max(now + std::chrono::milliseconds(delay), repliesHeldUntil);
        repliesHeldUntil = due;
        if (unplugAfter && --unplugAfter == 0) unplugNow = true;
    }
    if (unplugNow) {
        After(0, [this] { unplug(); });
        return;
    }
    if (late) {
        At(due, [this, replies] {
            Send(replies);
            std::lock_guard<std::mutex> guard(lock);
            --latePending;
        });
    } else if (due > now) {
        At(due, [this, replies] { Send(replies); });
    } else {
        Send(replies);
    }
}

bool UsbUnit::State::TakeWriteFailure() {
    std::lock_guard<std::mutex> guard(lock);
    if (!failWrites) return false;
    --failWrites;
    return true;
}

void UsbUnit::State::Send(const std::vector<Bytes>& replies) {
    std::shared_ptr<ReportSink> target;
    {
        std::lock_guard<std::mutex> guard(sinkLock);
        target = sink;
    }
    if (!target) return;
    for (const Bytes& reply : replies) {
        // Written down before the host can read it, so that the host's next packet comes after it.
        {
            std::lock_guard<std::mutex> guard(lock);
            journal.push_back({false, reply});
        }
        target->Deliver(reply);
    }
}

bool UsbUnit::State::InTransit() {
    std::lock_guard<std::mutex> guard(sinkLock);
    return sink && !sink->AllReadable();
}

void UsbUnit::State::SetSink(std::shared_ptr<ReportSink> newSink) {
    std::lock_guard<std::mutex> guard(sinkLock);
    sink = std::move(newSink);
}

void UsbUnit::State::StartTimer() {
    std::lock_guard<std::mutex> guard(timerLock);
    timerRunning = true;
    timer = std::thread([this] {
        std::unique_lock<std::mutex> guard(timerLock);
        while (timerRunning) {
            if (actions.empty()) {
                timerWake.wait(guard);
                continue;
            }
            auto first = actions.begin();
            if (first->first > std::chrono::steady_clock::now()) {
                timerWake.wait_until(guard, first->first);
                continue;
            }
            std::function<void()> action = std::move(first->second);
            actions.erase(first);
            guard.unlock();
            action();
            guard.lock();
        }
    });
}

void UsbUnit::State::StopTimer() {
    {
        std::lock_guard<std::mutex> guard(timerLock);
        timerRunning = false;
        actions.clear();
    }
    timerWake.notify_all();
    if (timer.joinable()) timer.join();
}

void UsbUnit::State::After(uint32_t milliseconds, std::function<void()> action) {
    At(std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds), std::move(action));
}

void UsbUnit::State::At(std::chrono::steady_clock::time_point when, std::function<void()> action) {
    {
        // Actions due at the same time run in the order they were planned.
        std::lock_guard<std::mutex> guard(timerLock);
        actions.emplace(when, std::move(action));
    }
    timerWake.notify_all();
}

// The HID device: a message pipe whose instances are the handles the host opens on the device
// path. An instance whose client writes is a write handle; every other connected instance is a
// read handle and gets each report produced while it is connected, as a 65-byte report.
class UsbUnit::HidServer : public ReportSink {
public:
    HidServer(std::wstring name, std::shared_ptr<State> state) : name_(std::move(name)), state_(std::move(state)) {
        stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        for (int i = 0; i < kHidInstances; ++i) {
            auto instance = std::make_unique<Instance>();
            instance->pipe = CreateNamedPipeW(name_.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                              PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, kHidInstances,
                                              4096, 4096, 0, nullptr);
            if (instance->pipe == INVALID_HANDLE_VALUE) continue;
            instance->connectEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
            instance->queueEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
            instances_.push_back(std::move(instance));
        }
        for (auto& instance : instances_) threads_.emplace_back([this, i = instance.get()] { Serve(*i); });
    }

    ~HidServer() override {
        Stop();
        for (auto& instance : instances_) {
            CloseHandle(instance->pipe);
            CloseHandle(instance->connectEvent);
            CloseHandle(instance->queueEvent);
        }
        CloseHandle(stop_);
    }

    // Breaks every open handle and removes the pipe's name once the last instance closes.
    void Stop() {
        SetEvent(stop_);
        for (std::thread& t : threads_) t.join();
        threads_.clear();
    }

    void Deliver(const Bytes& packet) override {
        Bytes report(kReport, 0);
        std::copy(packet.begin(), packet.end(), report.begin() + 1);
        std::lock_guard<std::mutex> guard(lock_);
        for (auto& instance : instances_) {
            // A client may be connected before the instance's thread has noticed: the pipe's own
            // state tells (peeking fails on a listening or broken instance).
            const bool connected = instance->connected ||
                                   WaitForSingleObject(instance->connectEvent, 0) == WAIT_OBJECT_0 ||
                                   PeekNamedPipe(instance->pipe, nullptr, 0, nullptr, nullptr, nullptr);
            if (!connected || instance->writer) continue;
            instance->queue.push_back(report);
            ++unwritten_;
            SetEvent(instance->queueEvent);
        }
    }

    bool AllReadable() const override {
        std::lock_guard<std::mutex> guard(lock_);
        return unwritten_ == 0;
    }

private:
    struct Instance {
        HANDLE pipe = INVALID_HANDLE_VALUE;
        HANDLE connectEvent = nullptr;
        HANDLE queueEvent = nullptr;
        // Guarded by the server's lock.
        bool connected = false;
        bool writer = false;
        std::deque<Bytes> queue;
    };

    void Serve(Instance& instance) {
        HANDLE ioEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HANDLE writeEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        for (;;) {
            OVERLAPPED connect{};
            connect.hEvent = instance.connectEvent;
            DWORD unused = 0;
            if (!ConnectNamedPipe(instance.pipe, &connect)) {
                const DWORD error = GetLastError();
                if (error == ERROR_PIPE_CONNECTED) SetEvent(instance.connectEvent);
                else if (error != ERROR_IO_PENDING || !Await(instance.pipe, connect, stop_, &unused)) break;
            }
            {
                std::lock_guard<std::mutex> guard(lock_);
                instance.connected = true;
            }
            const bool stopped = ServeClient(instance, ioEvent, writeEvent);
            {
                // The handle is gone with its reports; the instance listens afresh.
                std::lock_guard<std::mutex> guard(lock_);
                DisconnectNamedPipe(instance.pipe);
                instance.connected = instance.writer = false;
                unwritten_ -= instance.queue.size();
                instance.queue.clear();
                ResetEvent(instance.queueEvent);
                ResetEvent(instance.connectEvent);
            }
            if (stopped) break;
        }
        CloseHandle(ioEvent);
        CloseHandle(writeEvent);
    }

    // True when the server stops; false when the client went away.
    bool ServeClient(Instance& instance, HANDLE ioEvent, HANDLE writeEvent) {
        uint8_t buffer[512];
        OVERLAPPED read{};
        auto postRead = [&] {
            read = OVERLAPPED{};
            read.hEvent = ioEvent;
            ResetEvent(ioEvent);
            return ReadFile(instance.pipe, buffer, sizeof buffer, nullptr, &read) || GetLastError() == ERROR_IO_PENDING;
        };
        if (!postRead()) return false;
        for (;;) {
            HANDLE events[3] = {ioEvent, instance.queueEvent, stop_};
            const DWORD which = WaitForMultipleObjects(3, events, FALSE, INFINITE);
            if (which == WAIT_OBJECT_0 + 2) {
                DWORD unused = 0;
                CancelIo(instance.pipe);
                GetOverlappedResult(instance.pipe, &read, &unused, TRUE);
                return true;
            }
            if (which == WAIT_OBJECT_0) {
                DWORD length = 0;
                if (!GetOverlappedResult(instance.pipe, &read, &length, FALSE)) return false;
                {
                    std::lock_guard<std::mutex> guard(lock_);
                    instance.writer = true;
                    unwritten_ -= instance.queue.size();
                    instance.queue.clear();
                }
                const bool report = length >= kReport;
                Bytes packet = report ? Bytes(buffer + 1, buffer + length) : Bytes(buffer, buffer + length);
                state_->OnPacket(packet, report);
                if (!postRead()) return false;
                continue;
            }
            std::deque<Bytes> reports;
            {
                std::lock_guard<std::mutex> guard(lock_);
                reports.swap(instance.queue);
                ResetEvent(instance.queueEvent);
            }
            while (!reports.empty()) {
                const Bytes report = std::move(reports.front());
                reports.pop_front();
                OVERLAPPED write{};
                write.hEvent = writeEvent;
                ResetEvent(writeEvent);
                DWORD written = 0;
                const bool done = (WriteFile(instance.pipe, report.data(), DWORD(report.size()), nullptr, &write) ||
                                   GetLastError() == ERROR_IO_PENDING) &&
                                  Await(instance.pipe, write, stop_, &written);
                // Written, or never to be: either way no longer on its way.
                std::lock_guard<std::mutex> guard(lock_);
                unwritten_ -= done ? 1 : 1 + reports.size();
                if (!done) return false;
            }
        }
    }

    std::wstring name_;
    std::shared_ptr<State> state_;
    HANDLE stop_ = nullptr;
    mutable std::mutex lock_;  // guards the instances' connection state and queues
    std::vector<std::unique_ptr<Instance>> instances_;
    // Reports queued for an instance and not yet written into its pipe.
    size_t unwritten_ = 0;
    std::vector<std::thread> threads_;
};

// The mpusbapi driver's endpoint of an old-firmware unit: writes are packets to the unit, reads
// take its replies in order, each waiting at most the caller's time-out.
class UsbUnit::Endpoint : public DriverDevice, public ReportSink {
public:
    explicit Endpoint(std::shared_ptr<State> state) : state_(std::move(state)) {}

    uint32_t Open(uint32_t access, uint32_t) override {
        std::lock_guard<std::mutex> guard(lock_);
        if (!present_) return ERROR_FILE_NOT_FOUND;
        // A new write pipe starts a new session: replies nobody read before are gone.
        if (access & GENERIC_WRITE) queue_.clear();
        return ERROR_SUCCESS;
    }
    uint32_t IoControl(uint32_t, const Bytes&, uint32_t, Bytes*) override { return ERROR_INVALID_FUNCTION; }

    uint32_t Write(const Bytes& data, uint32_t) override {
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (!present_) return ERROR_DEVICE_NOT_CONNECTED;
        }
        if (state_->TakeWriteFailure()) return ERROR_GEN_FAILURE;
        state_->OnPacket(data, false);
        return ERROR_SUCCESS;
    }

    // A reply reaches the host through an IN transfer, which takes at least one USB frame: a read
    // without time-out takes nothing, even while a reply waits.
    uint32_t Read(uint32_t length, uint32_t timeoutMs, Bytes* data) override {
        std::unique_lock<std::mutex> guard(lock_);
        if (timeoutMs == 0) return present_ ? ERROR_TIMEOUT : ERROR_DEVICE_NOT_CONNECTED;
        arrived_.wait_for(guard, std::chrono::milliseconds(timeoutMs), [this] { return !queue_.empty() || !present_; });
        if (!present_) return ERROR_DEVICE_NOT_CONNECTED;
        if (queue_.empty()) return ERROR_TIMEOUT;
        *data = std::move(queue_.front());
        queue_.pop_front();
        if (data->size() > length) data->resize(length);
        return ERROR_SUCCESS;
    }

    void Deliver(const Bytes& packet) override {
        {
            std::lock_guard<std::mutex> guard(lock_);
            queue_.push_back(packet);
        }
        arrived_.notify_all();
    }

    void SetPresent(bool present) {
        {
            std::lock_guard<std::mutex> guard(lock_);
            present_ = present;
            queue_.clear();
        }
        arrived_.notify_all();
    }

private:
    std::shared_ptr<State> state_;
    std::mutex lock_;  // guards the queue and presence: the driver host's threads and the unit's
    std::condition_variable arrived_;
    std::deque<Bytes> queue_;
    bool present_ = true;
};

void UsbUnit::PlugIn() {
    std::lock_guard<std::mutex> guard(plugLock_);
    if (plugged_) return;
    plugged_ = true;
    std::wostringstream instance;
    instance << GetCurrentProcessId() << L"&" << unitSerial++;
    const std::wstring ids = Ids(VendorId(), ProductId());
    state_->unplug = [this] { Unplug(); };
    if (state_->transport == UsbTransport::Hid) {
        interfacePath_ =
            L"\\\\.\\pipe\\hid#" + ids + L"#7&" + instance.str() + L"&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
        auto server = std::make_shared<HidServer>(interfacePath_, state_);
        hid_ = server;
        state_->SetSink(server);
        topology_.AddInterface(kHidClass, interfacePath_);
    } else {
        interfacePath_ =
            L"\\\\?\\usb#" + ids + L"#5&" + instance.str() + L"&0&1#{5354fa28-6d14-4e35-a1f5-75bb54e6030f}";
        endpoint_ = std::make_shared<Endpoint>(state_);
        state_->SetSink(endpoint_);
        host_.AddDevice(interfacePath_ + kEndpoint, endpoint_);
        topology_.AddInterface(kMpusbClass, interfacePath_);
    }
    UsbDevice device;
    device.vendorId = VendorId();
    device.productId = ProductId();
    device.productIndex = 2;
    device.driverKey = L"{745a17a0-74d3-11d0-b6fe-00a0c90f57da}\\0004";
    device.product = L"Quendal Device";
    hub_.Attach(port_, device);
}

void UsbUnit::Unplug() {
    std::lock_guard<std::mutex> guard(plugLock_);
    if (!plugged_) return;
    plugged_ = false;
    hub_.Detach(port_);
    state_->SetSink(nullptr);
    if (state_->transport == UsbTransport::Hid) {
        topology_.RemoveInterface(kHidClass, interfacePath_);
        hid_->Stop();
        hid_.reset();
    } else {
        topology_.RemoveInterface(kMpusbClass, interfacePath_);
        host_.RemoveDevice(interfacePath_ + kEndpoint);
        endpoint_->SetPresent(false);
        endpoint_.reset();
    }
}

}  // namespace sim
