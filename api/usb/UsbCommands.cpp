#include "usb/UsbCommands.h"

#include "identity/Identity.h"
#include "runtime/DebugStream.h"
#include "runtime/PumpWait.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace capi {
namespace {

enum Code : uint8_t {
    kReadRegister = 1,
    kWriteRegister = 2,
    kReadTask = 5,
    kWriteTask = 6,
    kReadLog = 11,
    kClearLog = 12,
    kSystemInfo = 13,
    kSystemVersion = 15,
    kLogCount = 17,
    kReadEeprom = 18,
    kWriteEeprom = 19,
    kSetRunName = 21,
    kGetRunName = 22,
    kGetConfig = 23,
    kSetConfig = 24,
    kSetVcxo = 32,
    kGetVcxo = 33,
    kVcxoReply = 48,
    kEndOfClear = 255,
};

constexpr int kRegisterReads = 3;
constexpr int kCommandReads = 6;
constexpr uint32_t kReadPauseMs = 50;
constexpr uint32_t kFirstReadWaitMs = 150;
constexpr size_t kTaskChunk = 58;
constexpr size_t kLogChunk = 60;
constexpr size_t kLogDelivered = 1210;
constexpr size_t kEepromData = 58;
constexpr uint16_t kFifteenBits = 0x7FFF;

struct TaskLayout {
    size_t body;  // bytes after the task number
    UsbWriteForm form;
};

TaskLayout TaskLayoutOf(UsbModel model) {
    return model == UsbModel::Dashel ? TaskLayout{110, UsbWriteForm::Plain} : TaskLayout{74, UsbWriteForm::Report};
}

int LogChunksOf(UsbModel model) {
    switch (model) {
    case UsbModel::Sevane:
        return 25;
    case UsbModel::Dashel:
        return 22;
    default:
        return 21;
    }
}

// Block read (tasks and logs): each chunk's request, 150 ms, up to 6 reads for the reply that
// matches it; its data into the work buffer.
bool BlockRead(UsbWriteForm form, int chunks, const std::function<void(UsbRequest&, int)>& build,
               const std::function<bool(const UsbPacket&, int)>& matches,
               const std::function<void(const UsbPacket&, int)>& store) {
    UsbExchangeLock lock;
    if (!lock.Acquired()) return false;
    UsbTesterDevice& device = UsbTesterDevice::Instance();
    for (int chunk = 0; chunk < chunks; ++chunk) {
        UsbRequest request(0, form);
        build(request, chunk);
        device.Write(request.packet, request.form);
        PumpWait(kFirstReadWaitMs);
        UsbPacket reply{};
        if (!ReadReplies(
                kCommandReads, [&](const UsbPacket& r) { return matches(r, chunk); }, &reply))
            return false;
        store(reply, chunk);
    }
    return true;
}

// Register and EEPROM replies carry their address at bytes 2-3, which the protocol leaves
// undefined, hence 0, in a reply: a unit may echo the address asked for or leave the bytes 0. Only
// a reply that names another address (a late one to another read) is not this read's.
bool NamesNoOtherAddress(const UsbPacket& reply, uint16_t address) {
    const uint16_t named = PacketLe16(reply, 2);
    return named == 0 || named == address;
}

bool Acknowledged(uint8_t code, int reads, UsbPacket* reply, UsbWriteForm form = UsbWriteForm::Report) {
    return AcknowledgedExchange(UsbRequest(code, form), reads, reply);
}

}  // namespace

int UsbReadRegister(uint16_t address, uint32_t* value) {
    UsbRequest request(kReadRegister);
    request.Put16(2, address);
    request.packet[4] = 1;
    UsbPacket reply{};
    const auto answersAddress = [&](const UsbPacket& r) {
        return r[0] == kReadRegister && NamesNoOtherAddress(r, address);
    };
    if (!AcknowledgedExchange(request, kRegisterReads, &reply, answersAddress)) return 0;
    if (value) *value = uint32_t(reply[4] | reply[5] << 8 | reply[6] << 16 | uint32_t(reply[7]) << 24);
    return 1;
}

int UsbWriteRegister(uint16_t address, uint32_t value) {
    UsbRequest request(kWriteRegister);
    request.Put16(2, address);
    for (int i = 0; i < 4; ++i) request.packet[4 + i] = uint8_t(value >> (8 * i));
    return AcknowledgedExchange(request, kRegisterReads, nullptr) ? 1 : 0;
}

int UsbGetTask(UsbModel model, void* out, uint8_t a, uint8_t b) {
    const TaskLayout layout = TaskLayoutOf(model);
    std::vector<uint8_t> work(1 + 2 * kTaskChunk, 0);
    const bool read = BlockRead(
        layout.form, 2,
        [&](UsbRequest& request, int chunk) {
            request.packet[0] = kReadTask;
            request.Put16(2, uint16_t(chunk));
            request.packet[4] = a;
            request.packet[5] = b;
        },
        [&](const UsbPacket& reply, int chunk) {
            return reply[0] == kReadTask && PacketLe16(reply, 2) == chunk && reply[4] == a && reply[5] == b;
        },
        [&](const UsbPacket& reply, int chunk) { std::memcpy(&work[1 + chunk * kTaskChunk], &reply[6], kTaskChunk); });
    if (!read || !out) return 0;
    work[0] = a;
    std::memcpy(out, work.data(), 1 + layout.body);
    return 1;
}

int UsbSetTask(UsbModel model, const uint8_t* record) {
    const TaskLayout layout = TaskLayoutOf(model);
    UsbExchangeLock lock;
    if (!lock.Acquired()) return 0;
    UsbTesterDevice& device = UsbTesterDevice::Instance();
    const uint8_t* body = record + 1;
    for (size_t chunk = 0; chunk * kTaskChunk < layout.body; ++chunk) {
        UsbRequest request(kWriteTask, layout.form);
        request.Put16(2, uint16_t(chunk));
        request.packet[4] = record[0];
        request.packet[5] = record[1];
        std::memcpy(&request.packet[6], body + chunk * kTaskChunk,
                    std::min(kTaskChunk, layout.body - chunk * kTaskChunk));
        device.Write(request.packet, request.form);
        UsbPacket reply{};
        if (!ReadReplies(
                chunk == 0 ? 6 : 10, [](const UsbPacket& r) { return r[0] == kWriteTask; }, &reply))
            return 0;
    }
    return 1;
}

int UsbGetLog(UsbModel model, void* out, uint16_t entry) {
    const int chunks = LogChunksOf(model);
    std::vector<uint8_t> work(size_t(chunks) * kLogChunk, 0);
    const bool read = BlockRead(
        model == UsbModel::Korrin ? UsbWriteForm::Report : UsbWriteForm::Plain, chunks,
        [&](UsbRequest& request, int chunk) {
            request.packet[0] = kReadLog;
            request.packet[1] = uint8_t(chunk);
            request.Put16(2, entry);
        },
        [&](const UsbPacket& reply, int) { return reply[0] == kReadLog && PacketLe16(reply, 2) == entry; },
        [&](const UsbPacket& reply, int chunk) { std::memcpy(&work[chunk * kLogChunk], &reply[4], kLogChunk); });
    if (!read || !out) return 0;
    std::memcpy(out, work.data(), kLogDelivered);
    return 1;
}

int UsbGetLogChunk(uint8_t* out, uint16_t entry, uint8_t chunk) {
    UsbRequest request(kReadLog);
    request.packet[1] = chunk;
    request.Put16(2, entry);
    UsbPacket reply{};
    constexpr uint32_t kDeadlineMs = 5000;
    if (!DeadlineExchange(request, kDeadlineMs, &reply,
                          [&](const UsbPacket& r) { return r[0] == kReadLog && PacketLe16(r, 2) == entry; }))
        return 0;
    if (out) std::memcpy(out + 4, &reply[4], kLogChunk);
    return 1;
}

int UsbGetLogCount(uint16_t* count) {
    UsbPacket reply{};
    if (!Acknowledged(kLogCount, kCommandReads, &reply)) return 0;
    if (count) *count = PacketLe16(reply, 2);
    return 1;
}

namespace {

// The clearing's steps, on the channel it has taken: the device lock is held only for each write,
// and never across a wait or a report to the host.
int ClearLogSteps() {
    UsbTesterDevice& device = UsbTesterDevice::Instance();
    const auto send = [&device](uint8_t code) {
        UsbDeviceLock lock;
        device.SendCommand(code);
    };
    send(kClearLog);
    PumpWait(kFirstReadWaitMs);
    // The unit takes about fifteen seconds to clear its store: the host sees steady progress.
    for (uint8_t percent = 1; percent <= 99; ++percent) {
        ReportToKorrinCallback(3, percent);
        PumpWait(150);
        if (!device.IsConnected()) return 0;
    }
    for (int i = 0; i < 30; ++i) {
        PumpWait(500);
        if (!device.IsConnected()) return 0;
        UsbPacket reply{};
        if (!device.Read(&reply) || reply[0] != kClearLog) continue;
        device.ReplyTaken();
        send(kEndOfClear);
        PumpWait(200);
        if (device.Read(&reply)) device.ReplyTaken();
        ReportToKorrinCallback(3, 100);
        return 1;
    }
    return 0;
}

}  // namespace

// The clearing takes the channel as a download does (the busy flag) rather than as an exchange:
// other callers' commands fail at once meanwhile instead of waiting out its fifteen seconds.
int UsbClearLog() {
    if (!ClaimUsbChannel()) return 0;
    const int cleared = ClearLogSteps();
    UsbDownloadBusy() = 0;
    return cleared;
}

int UsbGetSysInfo(void* out) {
    UsbPacket reply{};
    if (!Acknowledged(kSystemInfo, kCommandReads, &reply)) return 0;
    if (out) std::memcpy(out, &reply[2], 57);
    return 1;
}

namespace {

bool ReadSystemVersion(UsbPacket* reply) { return Acknowledged(kSystemVersion, kCommandReads, reply); }

// The version text's characters at fixed places: major at byte 12, minor at 14, the build's three
// decimal digits at 16-18.
void StoreFirmwareWord(const UsbPacket& reply) {
    const uint32_t build = uint32_t((reply[16] - '0') * 100 + (reply[17] - '0') * 10 + (reply[18] - '0')) % 256;
    const uint32_t bits = uint32_t(reply[12] & 0xF) << 12 | uint32_t(reply[14] & 0xF) << 8 | build;
    Identity::Instance().SetFirmwareBits(0xFFFF, bits);
}

}  // namespace

int UsbGetSystemVersion() {
    UsbPacket reply{};
    if (!ReadSystemVersion(&reply)) return 0;
    StoreFirmwareWord(reply);
    return 1;
}

int UsbGetRunName(char* out) {
    UsbPacket reply{};
    if (!Acknowledged(kGetRunName, kCommandReads, &reply)) return 0;
    if (out) std::memcpy(out, &reply[2], 60);
    return 1;
}

int UsbSetRunName(const uint8_t* name60) {
    UsbRequest request(kSetRunName, UsbWriteForm::Plain);
    std::memcpy(&request.packet[2], name60, 60);
    return AcknowledgedExchange(request, kCommandReads, nullptr) ? 1 : 0;
}

int UsbGetSysConfig(void* out) {
    UsbPacket reply{};
    if (!Acknowledged(kGetConfig, kCommandReads, &reply)) return 0;
    if (out) std::memcpy(out, &reply[2], 22);
    return 1;
}

int UsbSetSysConfig(const uint8_t* config22) {
    UsbRequest request(kSetConfig, UsbWriteForm::Plain);
    std::memcpy(&request.packet[2], config22, 22);
    return AcknowledgedExchange(request, kCommandReads, nullptr) ? 1 : 0;
}

int UsbGetEeprom(uint16_t wordAddress, uint16_t wordCount, uint8_t* out) {
    UsbRequest request(kReadEeprom);
    const uint16_t sentAddress = wordAddress & kFifteenBits;
    request.Put16(2, sentAddress);
    request.Put16(4, wordCount & kFifteenBits);
    UsbPacket reply{};
    constexpr uint32_t kWaitMs = 50, kDeadlineMs = 2000;
    {
        UsbExchangeLock lock;
        if (!lock.Acquired()) return 0;
        UsbTesterDevice::Instance().Write(request.packet, request.form);
        PumpWait(kWaitMs);
        // A late reply to another read would shift the data.
        const auto answersAddress = [&](const UsbPacket& r) {
            return r[0] == kReadEeprom && NamesNoOtherAddress(r, sentAddress);
        };
        if (!AwaitReply(kReadEeprom, kDeadlineMs, GetTickCount(), &reply, answersAddress, 0)) return 0;
    }
    if (out) std::memcpy(out + 4, &reply[6], kEepromData);
    return 1;
}

int UsbSetEeprom(const uint8_t* record) {
    UsbRequest request(kWriteEeprom);
    request.Put16(2, uint16_t(record[0] | record[1] << 8) & kFifteenBits);
    request.Put16(4, uint16_t(record[4] | record[5] << 8) & kFifteenBits);
    std::memcpy(&request.packet[6], record + 10, kEepromData);
    constexpr uint32_t kWaitMs = 50, kDeadlineMs = 5000;
    UsbExchangeLock lock;
    if (!lock.Acquired()) return 0;
    UsbTesterDevice::Instance().Write(request.packet, request.form);
    PumpWait(kWaitMs);
    return AwaitReply(kWriteEeprom, kDeadlineMs, GetTickCount(), nullptr, {}, 0) ? 1 : 0;
}

namespace {

int VcxoExchange(UsbRequest& request, int16_t* unitPpm) {
    UsbPacket reply{};
    constexpr uint32_t kDeadlineMs = 2000;
    if (!DeadlineExchange(request, kDeadlineMs, &reply, [](const UsbPacket& r) { return r[0] == kVcxoReply; }))
        return 0;
    if (unitPpm) *unitPpm = int16_t(PacketLe16(reply, 2));
    return 1;
}

}  // namespace

int UsbSetVcxo(int ppm, int16_t* unitPpm) {
    UsbRequest request(kSetVcxo);
    request.Put16(2, uint16_t(ppm));
    return VcxoExchange(request, unitPpm);
}

int UsbGetVcxo(int16_t* unitPpm) {
    UsbRequest request(kGetVcxo);
    return VcxoExchange(request, unitPpm);
}

int UsbGetSystemInfo(uint8_t* record) {
    if (!UsbTesterDevice::Instance().IsConnected() || UsbDownloadBusy().load()) return 0;
    UsbPacket info{};
    if (!Acknowledged(kSystemInfo, kCommandReads, &info)) return 0;
    for (size_t line = 0; line < 4; ++line) {
        std::string text;
        for (size_t i = line * 16; i < line * 16 + 16; ++i) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%02X ", info[i]);
            text += hex;
        }
        Log(text);
    }
    uint8_t model[62] = {}, serial[62] = {};
    UsbPacket version{};
    if (!UsbGetEeprom(16, 8, model) || !ReadSystemVersion(&version) || !UsbGetEeprom(26, 3, serial)) return 0;
    if (!record) return 0;
    std::memset(record, 0, kSystemInfoRecord);
    std::memcpy(record, model + 4, 16);
    std::memcpy(record + 16, &info[2], 14);
    uint64_t number = 0;
    for (int i = 0; i < 6; ++i) number = number << 8 | serial[4 + i];
    const std::string digits = std::to_string(number);
    std::memcpy(record + 30, digits.c_str(), std::min<size_t>(digits.size(), 19));
    std::memcpy(record + 50, &info[16], 20);
    std::memcpy(record + 70, &info[36], 6);
    const struct {
        size_t at, from, length;
    } versionFields[] = {{76, 2, 9}, {85, 54, 8}, {93, 11, 9}, {102, 20, 9}, {111, 36, 9}, {120, 45, 9}, {155, 29, 7}};
    for (const auto& field : versionFields) std::memcpy(record + field.at, &version[field.from], field.length);
    std::memcpy(record + 162, &info[54], 4);
    return 1;
}

}  // namespace capi
