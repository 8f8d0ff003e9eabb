#include "usb/UsbDownloads.h"

#include "BrevixCAPI.h"
#include "connection/DeviceState.h"
#include "runtime/DebugStream.h"
#include "runtime/HostMessages.h"
#include "runtime/PumpWait.h"
#include "runtime/WorkerThread.h"
#include "usb/UsbTesterDevice.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace capi {
namespace {

enum Code : uint8_t { kFirmwareChunk = 9, kFpgaChunk = 10, kRavloChunk = 16 };

constexpr uint16_t kMessageFpga = BREVIXC_MSG_FPGA_DOWNLOAD;
constexpr uint16_t kMessageFirmware = BREVIXC_MSG_FIRMWARE_DOWNLOAD;
constexpr int32_t kMessageLength = 60;
constexpr size_t kStatusAt = 18;
constexpr size_t kValueAt = 20;
constexpr DWORD kNoticePeriodMs = 1000;
constexpr DWORD kWorkerJoinMs = 5000;

constexpr int kStatusFirmware = 0;
constexpr int kStatusFpga = 1;
constexpr int kStatusRavlo = 2;
constexpr int kStatusFailed = 255;

// What a worker download is: its chunk code, message and re-send periods (the first chunk waits
// longer: the unit erases before it answers).
struct Plan {
    uint8_t code;
    uint16_t message;
    DWORD firstResendMs;
    DWORD resendMs;
};

constexpr Plan kFirmwarePlan = {kFirmwareChunk, kMessageFirmware, 4999, 4999};
constexpr Plan kFpgaPlan = {kFpgaChunk, kMessageFpga, 24999, 5999};

// After chunk `done` (from 1) of `count`: the percentage, 99 at most until the end.
uint8_t Percent(size_t done, size_t count) { return uint8_t(std::min<size_t>(done * 100 / count, 99)); }

void Notify(uint16_t message, uint16_t status, uint16_t value) {
    HostMessage m(message);
    m.Put16(kStatusAt, status);
    m.Put16(kValueAt, value);
    m.Send(kMessageLength);
}

bool ReadWholeFile(const std::wstring& path, std::vector<uint8_t>* bytes) {
    std::FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) return false;
    bytes->clear();
    uint8_t buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes->insert(bytes->end(), buffer, buffer + got);
    const bool read = !std::ferror(file);
    std::fclose(file);
    return read;
}

// An image file's data after its header, or nothing when the file is missing or not an image.
std::optional<std::vector<uint8_t>> ImageData(const std::wstring& path) {
    std::vector<uint8_t> file;
    if (!ReadWholeFile(path, &file)) return std::nullopt;
    return ImageFileData(file);
}

bool UnitGone(UsbTesterDevice& device) { return !device.IsConnected() || device.Lost(); }

// The chunks of a worker download: each written (report form) until the unit acknowledges it, sent
// again when it stays unanswered past the plan's period. Progress goes out at most once a second.
// False when the abort flag, the loss of the tester or of the unit ends it.
bool SendWorkerChunks(const Plan& plan, const std::vector<uint8_t>& data, bool lockEachChunk) {
    UsbTesterDevice& device = UsbTesterDevice::Instance();
    const size_t chunks = ChunkCount(data.size());
    uint8_t percent = 0;
    Notify(plan.message, kDownloadErasing, 0);
    DWORD lastNotice = GetTickCount();
    for (size_t i = 0; i < chunks; ++i) {
        if (device.AbortRequested() || DeviceLost()) return false;
        const UsbPacket chunk = ChunkPacket(plan.code, i, data);
        {
            std::optional<UsbDeviceLock> lock;
            if (lockEachChunk && !lock.emplace().Acquired()) return false;
            device.Write(chunk, UsbWriteForm::Report);
            DWORD sent = GetTickCount();
            for (;;) {
                if (device.AbortRequested() || DeviceLost() || UnitGone(device)) return false;
                if (TicksSince(sent) > (i == 0 ? plan.firstResendMs : plan.resendMs)) {
                    device.Write(chunk, UsbWriteForm::Report);
                    sent = GetTickCount();
                }
                if (device.ReceiveReply(plan.code)) {
                    percent = Percent(i + 1, chunks);
                    break;
                }
                if (i == 0 && TicksSince(lastNotice) >= 1001) {
                    lastNotice = GetTickCount();
                    Notify(plan.message, kDownloadErasing, 0);
                }
            }
        }
        if (TicksSince(lastNotice) > kNoticePeriodMs) {
            lastNotice = GetTickCount();
            Notify(plan.message, kDownloadProgress, percent);
        }
    }
    return true;
}

bool TransferFirmware(const std::vector<uint8_t>& data) {
    UsbTesterDevice& device = UsbTesterDevice::Instance();
    if (!SendWorkerChunks(kFirmwarePlan, data, true)) return false;
    if (DeviceLost()) return false;
    {
        UsbDeviceLock lock;
        if (!lock.Acquired()) return false;
        device.Write(EndPacket(kFirmwareChunk), UsbWriteForm::Report);
    }
    // The unit checks and writes the new firmware: about 35 seconds.
    constexpr int kCheckingSeconds = 35;
    for (int i = 0; i < kCheckingSeconds; ++i) {
        PumpWait(1000);
        Notify(kMessageFirmware, kDownloadChecking, 0);
    }
    Notify(kMessageFirmware, kDownloadPassed, 100);
    return true;
}

bool TransferFpga(const std::vector<uint8_t>& data) {
    UsbTesterDevice& device = UsbTesterDevice::Instance();
    UsbDeviceLock lock;
    if (!lock.Acquired()) return false;
    if (!SendWorkerChunks(kFpgaPlan, data, false) || DeviceLost()) return false;
    device.Write(EndPacket(kFpgaChunk), UsbWriteForm::Report);
    Sleep(5000);
    Notify(kMessageFpga, kDownloadPassed, 100);
    Sleep(1000);
    return true;
}

WorkerThread& DownloadWorker() {
    static WorkerThread worker;
    return worker;
}

// Ends a worker download: the channel closes before the flags let the next download start, so
// that this worker never closes a channel another one opened.
void EndWorker(bool closeChannel) {
    if (closeChannel) {
        UsbTesterDevice::Instance().Close();
        UsbTesterDevice::Instance().RequestAbort();
    }
    UsbDownloadFinished() = 1;
    UsbDownloadBusy() = 0;
}

// Takes the busy flag; false when a download runs.
bool TakeBusy() {
    if (UsbDownloadBusy().exchange(1)) return false;
    // The last worker has given the flag back; it ends right after.
    DownloadWorker().Join(kWorkerJoinMs);
    return true;
}

void GiveBackBusy() {
    UsbDownloadFinished() = 1;
    UsbDownloadBusy() = 0;
}

bool ConnectBrevixH() {
    UsbTesterDevice& device = UsbTesterDevice::Instance();
    if (device.IsConnected()) return true;
    device.FindByType(4);
    return device.Open() != 0;
}

int StartWorker(const wchar_t* name, std::function<void()> body) {
    UsbDownloadFinished() = 0;
    // Cleared here rather than by the worker, so that a terminate right after the start is not lost.
    UsbTesterDevice::Instance().ClearAbort();
    // A worker that throws (an allocation that failed) still gives the channel and the flags back.
    auto guarded = [body = std::move(body)] {
        try {
            body();
        } catch (...) {
            Log("(API)USB download ended by an exception");
            EndWorker(true);
        }
    };
    if (!DownloadWorker().Start(name, std::move(guarded))) {
        GiveBackBusy();
        return kDownloadNoUnit;
    }
    return kDownloadStarted;
}

// Reads without pause until the chunk's reply comes; false past the deadline (no re-send), on the
// abort flag or when the unit is gone.
bool AwaitChunkReply(uint8_t code, DWORD deadlineMs) {
    UsbTesterDevice& device = UsbTesterDevice::Instance();
    const DWORD sent = GetTickCount();
    for (;;) {
        const DWORD elapsed = TicksSince(sent);
        if (elapsed > deadlineMs || device.AbortRequested() || UnitGone(device)) return false;
        if (device.ReceiveReply(code, nullptr, deadlineMs + 1 - elapsed)) return true;
    }
}

// The synchronous downloads: under the device lock for the whole transfer; a chunk whose reply
// does not come in time fails the download (no re-send).
void SynchronousDownload(const char* path, uint8_t code, int status, DWORD firstDeadlineMs, DWORD deadlineMs,
                         DWORD endWaitMs) {
    const std::optional<std::vector<uint8_t>> data = ImageData(ToWide(path));
    if (!data) return;
    UsbTesterDevice& device = UsbTesterDevice::Instance();
    const bool done = [&] {
        UsbDeviceLock lock;
        if (!lock.Acquired()) return false;
        device.ClearAbort();
        const size_t chunks = ChunkCount(data->size());
        for (size_t i = 0; i < chunks; ++i) {
            if (device.AbortRequested()) return false;
            device.Write(ChunkPacket(code, i, *data), UsbWriteForm::Report);
            if (!AwaitChunkReply(code, i == 0 ? firstDeadlineMs : deadlineMs)) return false;
            ReportToKorrinCallback(status, Percent(i + 1, chunks));
        }
        device.Write(EndPacket(code), UsbWriteForm::Report);
        Sleep(endWaitMs);
        ReportToKorrinCallback(status, 100);
        Sleep(1000);
        return true;
    }();
    if (!done) ReportToKorrinCallback(kStatusFailed, 0);
}

bool TransferRavlo(const std::vector<uint8_t>& data) {
    UsbTesterDevice& device = UsbTesterDevice::Instance();
    UsbDeviceLock lock;
    if (!lock.Acquired()) return false;
    const size_t chunks = ChunkCount(data.size());
    auto packet = [&](size_t index, uint16_t wireIndex) {
        return RavloChunkPacket(kRavloChunk, index, wireIndex, data);
    };
    // The start packet wakes the unit's loader; the first chunk then goes again as chunk 0.
    device.Write(packet(0, 0), UsbWriteForm::Plain);
    // A terminate or a lost unit ends the wait for the loader's answer too, not only the chunks'.
    bool started = false;
    for (int i = 0; i < 201 && !started; ++i) {
        if (device.AbortRequested() || UnitGone(device)) return false;
        started = device.ReceiveReply(kRavloChunk);
        if (!started) PumpWait(50);
    }
    if (!started) return false;
    Sleep(1000);
    for (size_t i = 0; i < chunks; ++i) {
        if (device.AbortRequested()) return false;
        device.Write(packet(i, i + 1 == chunks ? 0xFFFF : uint16_t(i)), UsbWriteForm::Plain);
        if (!AwaitChunkReply(kRavloChunk, i == 0 ? 19999 : 9999)) return false;
        ReportToKorrinCallback(kStatusRavlo, Percent(i + 1, chunks));
    }
    Sleep(2000);
    ReportToKorrinCallback(kStatusRavlo, 100);
    Sleep(1000);
    return true;
}

}  // namespace

int StartFirmwareDownload(const wchar_t* path) {
    if (!TakeBusy()) return kDownloadRunning;
    if (!ConnectBrevixH()) {
        GiveBackBusy();
        return kDownloadNoUnit;
    }
    std::optional<std::vector<uint8_t>> data = path ? ImageData(path) : std::nullopt;
    if (!data) {
        GiveBackBusy();
        return kDownloadBadFile;
    }
    return StartWorker(L"UsbFirmwareDownload", [data = std::move(*data)] {
        Log("(API)DownloadFirm");
        const bool done = TransferFirmware(data);
        Log("(API)DownloadFirm Done!");
        Log(done ? "(API)DownloadFirm return TRUE" : "(API)DownloadFirm return FALSE");
        if (!done) Notify(kMessageFirmware, kDownloadFailed, 0);
        Log("(API)Terminate Process");
        EndWorker(true);
        Log("(API)Return 0");
    });
}

int StartFpgaDownload(const uint8_t* image, int start, int end) {
    if (!image || start < 0 || end < start || ChunkCount(size_t(end - start)) > kMaxChunks) return kDownloadBadFile;
    if (!TakeBusy()) return kDownloadRunning;
    if (!ConnectBrevixH()) {
        GiveBackBusy();
        return kDownloadNoUnit;
    }
    std::vector<uint8_t> data(image + start, image + end);
    return StartWorker(L"UsbFpgaDownload", [data = std::move(data)] {
        if (!TransferFpga(data)) Notify(kMessageFpga, kDownloadFailed, 0);
        EndWorker(true);
    });
}

int StartRavloDownload(const char* path) {
    if (!TakeBusy()) return kDownloadRunning;
    std::vector<uint8_t> file;
    std::optional<std::vector<uint8_t>> data;
    if (path && ReadWholeFile(ToWide(path), &file)) data = RavloFileData(file);
    if (!data) {
        GiveBackBusy();
        return kDownloadBadFile;
    }
    if (!UsbTesterDevice::Instance().IsConnected()) {
        GiveBackBusy();
        return kDownloadNoUnit;
    }
    return StartWorker(L"UsbRavloDownload", [data = std::move(*data)] {
        if (!TransferRavlo(data)) ReportToKorrinCallback(kStatusFailed, 0);
        EndWorker(false);
    });
}

void DownloadFirmwareNow(const char* path) {
    SynchronousDownload(path, kFirmwareChunk, kStatusFirmware, 4999, 4999, 3000);
}

void DownloadFpgaNow(const char* path) { SynchronousDownload(path, kFpgaChunk, kStatusFpga, 24999, 5999, 5000); }

}  // namespace capi
