#include "usb/UsbDownloads.h"

#include "BrevixCAPI.h"
#include "connection/DeviceState.h"
#include "runtime/DebugStream.h"
#include "runtime/HostMessages.h"
#include "runtime/PumpWait.h"
#include "runtime/WorkerThread.h"
#include "usb/UsbTesterDevice.h"

#include "WholeFile.h"

#include <algorithm>
#include <functional>
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
constexpr DWORD kAbortSliceMs = 50;

constexpr int kStatusFirmware = 0;
constexpr int kStatusFpga = 1;
constexpr int kStatusRavlo = 2;
constexpr int kStatusFailed = 255;

// How long the unit may take to acknowledge a chunk, and what the end of that time means: the
// worker downloads send the chunk again and wait on (the unit may be erasing, or have lost the
// packet); the others give up. `pauseMs` of pumped wait follow each read that brought nothing.
struct AckWait {
    DWORD periodMs;
    bool resend;
    DWORD pauseMs;
    // The worker downloads also end when the Ethernet side lost the tester.
    bool endsWithTester;
};

// What a worker download is: its chunk code, message and acknowledgement periods (the first chunk
// waits longer: the unit erases before it answers).
struct Plan {
    uint8_t code;
    uint16_t message;
    DWORD firstPeriodMs;
    DWORD periodMs;

    AckWait WaitFor(size_t chunk) const { return {chunk == 0 ? firstPeriodMs : periodMs, true, 0, true}; }
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

// An image file's data after its header, or nothing when the file is missing or not an image.
std::optional<std::vector<uint8_t>> ImageData(const std::wstring& path) {
    std::vector<uint8_t> file;
    if (!hostio::ReadWholeFile(path.c_str(), &file)) return std::nullopt;
    return ImageFileData(file);
}

bool UnitGone(UsbTesterDevice& device) { return !device.IsConnected() || device.Lost(); }

bool Aborted() { return UsbTesterDevice::Instance().AbortRequested(); }

// The unit's own time after the end packet, waited out in slices: a terminate then ends the
// download as a failure rather than letting it report a pass. False when the terminate came.
bool WaitUnlessAborted(DWORD milliseconds) {
    for (DWORD waited = 0; waited < milliseconds; waited += kAbortSliceMs) {
        if (Aborted()) return false;
        Sleep(std::min(kAbortSliceMs, milliseconds - waited));
    }
    return !Aborted();
}

// The device lock is held for the write alone (or already by the caller): a worker download never
// holds it while it waits for the unit. The stream's packets go at full pace: the channel is
// emptied first only when the last packet's reply was not taken.
void WriteLocked(const UsbPacket& packet, UsbWriteForm form) {
    UsbDeviceLock lock;
    UsbTesterDevice::Instance().Write(packet, form, UsbDrain::WhenUnanswered);
}

// A packet written `copies` times has had `answers` of its acknowledgements seen: the unit may
// answer each copy, and a spare acknowledgement taken by the next packet would put the stream one
// acknowledgement ahead of the unit (a packet it then lost would never go again). A unit answers
// its packets in the order it takes them, so the answer to a later copy follows the answer just
// seen at once: each spare is waited for a short while from the last answer, not for a period
// (a unit that answered only one copy costs no more than that). Ends early on a terminate or the
// loss of the unit, which the next packet sees.
void TakeSpareAcknowledgements(uint8_t code, int copies, int answers) {
    constexpr DWORD kSpareAnswerMs = 250;
    UsbTesterDevice& device = UsbTesterDevice::Instance();
    DWORD lastAnswer = GetTickCount();
    while (answers < copies) {
        const DWORD elapsed = TicksSince(lastAnswer);
        if (elapsed > kSpareAnswerMs || device.AbortRequested() || UnitGone(device)) return;
        if (device.ReceiveReply(code, nullptr, kSpareAnswerMs + 1 - elapsed)) {
            ++answers;
            lastAnswer = GetTickCount();
        }
    }
}

// Writes a packet of a download and waits for its acknowledgement (a reply whose byte 0 is the
// packet's code). False when the wait ends without one, on the abort flag or when the unit is
// gone. `onMiss` runs after each read that brought nothing.
bool SendAcknowledged(const UsbPacket& packet, UsbWriteForm form, const AckWait& wait,
                      const std::function<void()>& onMiss = {}) {
    UsbTesterDevice& device = UsbTesterDevice::Instance();
    const uint8_t code = packet[0];
    int copies = 0;
    DWORD sent = 0;
    for (;;) {
        if (device.AbortRequested() || UnitGone(device) || (wait.endsWithTester && DeviceLost())) return false;
        if (copies == 0 || TicksSince(sent) > wait.periodMs) {
            if (copies > 0 && !wait.resend) return false;
            if (copies > 0) {
                // An answer that came just after the period is taken before a copy goes: it
                // acknowledges the packet, and no copy is owed an answer the unit already gave.
                int late = 0;
                {
                    UsbDeviceLock lock;
                    late = device.DrainPending(code);
                }
                if (late > 0) {
                    TakeSpareAcknowledgements(code, copies, late);
                    return true;
                }
            }
            WriteLocked(packet, form);
            sent = GetTickCount();
            ++copies;
        }
        const DWORD left = wait.periodMs + 1 - std::min(TicksSince(sent), wait.periodMs);
        if (device.ReceiveReply(code, nullptr, left)) {
            device.ReplyTaken();
            if (copies > 1) TakeSpareAcknowledgements(code, copies, 1);
            return true;
        }
        if (onMiss) onMiss();
        if (wait.pauseMs) PumpWait(wait.pauseMs);
    }
}

// The chunks of a worker download, each sent until the unit acknowledges it. Progress goes out at
// most once a second. False when the abort flag, the loss of the tester or of the unit ends it.
bool SendWorkerChunks(const Plan& plan, const std::vector<uint8_t>& data) {
    const size_t chunks = ChunkCount(data.size());
    uint8_t percent = 0;
    Notify(plan.message, kDownloadErasing, 0);
    DWORD lastNotice = GetTickCount();
    for (size_t i = 0; i < chunks; ++i) {
        // The unit erases before it takes the first chunk: the host hears that it still does.
        const auto erasing = [&] {
            if (i != 0 || TicksSince(lastNotice) < 1001) return;
            lastNotice = GetTickCount();
            Notify(plan.message, kDownloadErasing, 0);
        };
        if (!SendAcknowledged(ChunkPacket(plan.code, i, data), UsbWriteForm::Report, plan.WaitFor(i), erasing))
            return false;
        percent = Percent(i + 1, chunks);
        if (TicksSince(lastNotice) > kNoticePeriodMs) {
            lastNotice = GetTickCount();
            Notify(plan.message, kDownloadProgress, percent);
        }
    }
    return true;
}

bool TransferFirmware(const std::vector<uint8_t>& data) {
    if (!SendWorkerChunks(kFirmwarePlan, data) || DeviceLost() || Aborted()) return false;
    WriteLocked(EndPacket(kFirmwareChunk), UsbWriteForm::Report);
    // The unit checks and writes the new firmware: about 35 seconds.
    constexpr int kCheckingSeconds = 35;
    for (int i = 0; i < kCheckingSeconds; ++i) {
        PumpWait(1000);
        if (Aborted()) return false;
        Notify(kMessageFirmware, kDownloadChecking, 0);
    }
    Notify(kMessageFirmware, kDownloadPassed, 100);
    return true;
}

bool TransferFpga(const std::vector<uint8_t>& data, const std::function<void()>& ended) {
    if (!SendWorkerChunks(kFpgaPlan, data) || DeviceLost() || Aborted()) return false;
    WriteLocked(EndPacket(kFpgaChunk), UsbWriteForm::Report);
    if (!WaitUnlessAborted(5000)) return false;
    Notify(kMessageFpga, kDownloadPassed, 100);
    // The host's side goes on at once (the pollers need nothing of this channel).
    if (ended) ended();
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

// Takes the channel for a download, whichever call starts it; false while another download (or
// the log clearing) has it.
bool TakeBusy() {
    if (!ClaimUsbChannel()) return false;
    UsbDownloadFinished() = 0;
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

// The synchronous downloads take the channel as the worker downloads do, so that a worker started
// meanwhile cannot write its erasing first chunk between theirs: one download at a time per unit.
// Like the workers they hold the device lock only for each write, never across a wait or the
// callback. A chunk whose reply does not come in time fails the download (no re-send). While
// another download runs they fail at once.
void SynchronousDownload(const char* path, uint8_t code, int status, DWORD firstPeriodMs, DWORD periodMs,
                         DWORD endWaitMs) {
    const std::optional<std::vector<uint8_t>> data = ImageData(ToWide(path));
    if (!data) return;
    if (!TakeBusy()) {
        ReportToKorrinCallback(kStatusFailed, 0);
        return;
    }
    UsbTesterDevice::Instance().ClearAbort();
    const bool done = [&] {
        const size_t chunks = ChunkCount(data->size());
        for (size_t i = 0; i < chunks; ++i) {
            const AckWait wait = {i == 0 ? firstPeriodMs : periodMs, false, 0, false};
            if (!SendAcknowledged(ChunkPacket(code, i, *data), UsbWriteForm::Report, wait)) return false;
            ReportToKorrinCallback(status, Percent(i + 1, chunks));
        }
        if (Aborted()) return false;
        WriteLocked(EndPacket(code), UsbWriteForm::Report);
        if (!WaitUnlessAborted(endWaitMs)) return false;
        ReportToKorrinCallback(status, 100);
        Sleep(1000);
        return true;
    }();
    GiveBackBusy();
    if (!done) ReportToKorrinCallback(kStatusFailed, 0);
}

// The Ravlo worker: plain packets in both transports, each chunk's reply awaited once (no
// re-send).
bool TransferRavlo(const std::vector<uint8_t>& data) {
    const size_t chunks = ChunkCount(data.size());
    auto packet = [&](size_t index, uint16_t wireIndex) {
        return RavloChunkPacket(kRavloChunk, index, wireIndex, data);
    };
    // The start packet wakes the unit's loader, which answers within 201 tries 50 ms apart; the
    // first chunk then goes again as chunk 0.
    constexpr AckWait kLoaderWait = {201 * 50, false, 50, false};
    if (!SendAcknowledged(packet(0, 0), UsbWriteForm::Plain, kLoaderWait)) return false;
    Sleep(1000);
    for (size_t i = 0; i < chunks; ++i) {
        const AckWait wait = {i == 0 ? DWORD(19999) : DWORD(9999), false, 0, false};
        if (!SendAcknowledged(packet(i, i + 1 == chunks ? 0xFFFF : uint16_t(i)), UsbWriteForm::Plain, wait))
            return false;
        ReportToKorrinCallback(kStatusRavlo, Percent(i + 1, chunks));
    }
    // The unit's own time after the last chunk: a terminate meanwhile ends the download as a
    // failure rather than a pass.
    if (!WaitUnlessAborted(2000)) return false;
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

int StartFpgaDownload(const uint8_t* image, int start, int end, std::function<void()> ended) {
    if (!image || start < 0 || end < start || ChunkCount(size_t(end - start)) > kMaxChunks) return kDownloadBadFile;
    if (!TakeBusy()) return kDownloadRunning;
    if (!ConnectBrevixH()) {
        GiveBackBusy();
        return kDownloadNoUnit;
    }
    std::vector<uint8_t> data(image + start, image + end);
    return StartWorker(L"UsbFpgaDownload", [data = std::move(data), ended = std::move(ended)] {
        bool passed = false;
        try {
            passed = TransferFpga(data, ended);
        } catch (...) {
            Log("(API)USB download ended by an exception");
        }
        if (!passed) Notify(kMessageFpga, kDownloadFailed, 0);
        EndWorker(true);
        if (ended) ended();
    });
}

int StartRavloDownload(const char* path) {
    if (!TakeBusy()) return kDownloadRunning;
    std::vector<uint8_t> file;
    std::optional<std::vector<uint8_t>> data;
    if (path && hostio::ReadWholeFile(ToWide(path).c_str(), &file)) data = RavloFileData(file);
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

void AbortUsbDownload() { UsbTesterDevice::Instance().RequestAbort(); }

void EndUsbDownload() { WaitDownloadEnd(); }

}  // namespace capi
