#include "sim/UsbUnit.h"

#include "UsbUnitState.h"

#include <algorithm>
#include <cstring>

namespace sim {
namespace {

// Packet codes of the channel.
enum Code : uint8_t {
    kReadRegister = 1,
    kWriteRegister = 2,
    kFirmwareChunk = 9,
    kFpgaChunk = 10,
    kReadTask = 5,
    kWriteTask = 6,
    kReadLog = 11,
    kClearLog = 12,
    kSystemInfo = 13,
    kSystemVersion = 15,
    kRavloChunk = 16,
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
    kMiniCounter = 30,
    kWlanData = 50,
    kDhcpList = 68,
    kEndOfClear = 255,
};

constexpr size_t kChunkData = 60;
constexpr size_t kTaskChunk = 58;
constexpr size_t kTaskBody = 2 * kTaskChunk;
constexpr size_t kLogEntry = 25 * kChunkData;

uint16_t Le16(const Bytes& b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }

void Put16(Bytes& b, size_t at, uint16_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}

// The version text of the unit's firmware: its characters at fixed places carry the version
// (major at text index 10, minor at 12, the build's three digits at 14-16).
const char kVersionText[] = "Brevix-H V3.4.056 FPGA:2.1.07 HW-A3 BOOT1.0.2 2019-05-17 QDL";

void StoreChunk(Bytes& image, size_t at, const uint8_t* data, size_t length) {
    if (image.size() < at + length) image.resize(at + length);
    std::memcpy(image.data() + at, data, length);
}

}  // namespace

UsbUnit::State::State(UsbModel model, UsbTransport transport) : model(model), transport(transport) {
    eeprom.fill(0xFF);
    replyData[kSystemVersion] = Bytes(kVersionText, kVersionText + sizeof kVersionText - 1);
    Bytes info(57);
    for (size_t i = 0; i < info.size(); ++i) info[i] = uint8_t(0x30 + i);
    replyData[kSystemInfo] = info;
    runName.assign(60, 0);
    config.assign(22, 0);
}

// Runs under the state's lock; returns the replies in order.
std::vector<Bytes> UsbUnit::State::Respond(const Bytes& packet) {
    const uint8_t code = packet[0];
    lastRequest[code] = packet;
    Bytes reply(64, 0);
    reply[0] = code;
    auto data = [&](uint8_t c) -> const Bytes& { return replyData[c]; };
    switch (code) {
    case kReadRegister: {
        const uint16_t address = Le16(packet, 2);
        if (echoAddresses) reply[2] = packet[2], reply[3] = packet[3];
        const uint32_t value = registers[address];
        for (int i = 0; i < 4; ++i) reply[4 + i] = uint8_t(value >> (8 * i));
        break;
    }
    case kWriteRegister:
        registers[Le16(packet, 2)] = uint32_t(packet[4] | packet[5] << 8 | packet[6] << 16 | uint32_t(packet[7]) << 24);
        break;
    case kReadTask: {
        const uint16_t chunk = Le16(packet, 2);
        std::memcpy(reply.data() + 2, packet.data() + 2, 4);
        Bytes& body = tasks[packet[4]];
        body.resize(kTaskBody, 0);
        if (chunk < 2) std::memcpy(reply.data() + 6, body.data() + chunk * kTaskChunk, kTaskChunk);
        break;
    }
    case kWriteTask: {
        const uint16_t chunk = Le16(packet, 2);
        Bytes& body = tasks[packet[4]];
        body.resize(kTaskBody, 0);
        if (chunk < 2) std::memcpy(body.data() + chunk * kTaskChunk, packet.data() + 6, kTaskChunk);
        break;
    }
    case kReadLog: {
        const uint16_t entry = Le16(packet, 2);
        reply[1] = packet[1];
        reply[2] = packet[2], reply[3] = packet[3];
        if (entry < logs.size() && packet[1] < kLogEntry / kChunkData)
            std::memcpy(reply.data() + 4, logs[entry].data() + packet[1] * kChunkData, kChunkData);
        break;
    }
    case kClearLog:
        logs.clear();
        break;
    case kLogCount:
        Put16(reply, 2, uint16_t(logs.size()));
        break;
    case kReadEeprom: {
        const uint16_t word = Le16(packet, 2) & 0x7F;
        if (echoAddresses) std::memcpy(reply.data() + 2, packet.data() + 2, 4);
        for (size_t i = 0; i < 58 && 2 * word + i < eeprom.size(); ++i) reply[6 + i] = eeprom[2 * word + i];
        break;
    }
    case kWriteEeprom: {
        const uint16_t word = Le16(packet, 2) & 0x7F;
        const size_t bytes = std::min<size_t>(2 * Le16(packet, 4), 58);
        for (size_t i = 0; i < bytes && 2 * word + i < eeprom.size(); ++i) eeprom[2 * word + i] = packet[6 + i];
        break;
    }
    case kSetRunName:
        runName.assign(packet.begin() + 2, packet.begin() + 62);
        break;
    case kGetRunName:
        std::copy(runName.begin(), runName.end(), reply.begin() + 2);
        break;
    case kGetConfig:
        std::copy(config.begin(), config.end(), reply.begin() + 2);
        break;
    case kSetConfig:
        config.assign(packet.begin() + 2, packet.begin() + 24);
        break;
    case kSetVcxo:
        vcxoPpm = int16_t(Le16(packet, 2));
        [[fallthrough]];
    case kGetVcxo:
        reply[0] = kVcxoReply;
        Put16(reply, 2, uint16_t(vcxoPpm));
        break;
    case kMiniCounter:
        reply[2] = packet[2], reply[3] = packet[3];
        for (size_t i = 0; i < kChunkData; ++i) {
            const size_t at = packet[2] * kChunkData + i;
            reply[4 + i] = at < data(code).size() ? data(code)[at] : 0;
        }
        break;
    case kWlanData:
        reply[2] = packet[2], reply[3] = packet[3];
        for (size_t i = 0; i < kChunkData; ++i) {
            const size_t at = Le16(packet, 2) * kChunkData + i;
            reply[4 + i] = at < data(code).size() ? data(code)[at] : 0;
        }
        break;
    case kDhcpList:
        // Each request brings the next 60 bytes of the address list.
        for (size_t i = 0; i < kChunkData; ++i) {
            const size_t at = dhcpPosition * kChunkData + i;
            reply[2 + i] = at < data(code).size() ? data(code)[at] : 0;
        }
        dhcpPosition = (dhcpPosition + 1) % 17;
        break;
    case kFirmwareChunk:
    case kFpgaChunk: {
        Image& image = code == kFirmwareChunk ? firmware : fpga;
        // The end packet: length 0 and 0xFF filling; it is not answered.
        if (packet[1] == 0 && packet[2] == 0xFF && packet[3] == 0xFF) {
            image.complete = true;
            imageComplete.notify_all();
            return {};
        }
        const uint16_t index = Le16(packet, 2);
        if (index == 0) image = Image{};
        StoreChunk(image.data, index * kChunkData, packet.data() + 4, std::min<size_t>(packet[1], kChunkData));
        break;
    }
    case kRavloChunk: {
        const uint16_t index = Le16(packet, 1);
        const size_t length = std::min<size_t>(packet[3], kChunkData);
        if (index == 0) ravlo = Image{}, ravloNext = 0;
        const size_t at = index == 0xFFFF ? ravloNext * kChunkData : index * kChunkData;
        StoreChunk(ravlo.data, at, packet.data() + 4, length);
        if (index == 0xFFFF) ravlo.complete = true;
        else ravloNext = size_t(index) + 1;
        break;
    }
    case kEndOfClear:
        break;
    default:
        // The mini-testers' commands: the reply carries what the test set for the code.
        if (code == 0 || code > 98) return {};
        for (size_t i = 0; i < data(code).size() && 2 + i < reply.size(); ++i) reply[2 + i] = data(code)[i];
        break;
    }
    return {reply};
}

// What the faults make of one reply.
std::vector<Bytes> UsbUnit::State::ApplyFaults(const Bytes& reply) {
    if (silent) return {};
    if (drop) return --drop, std::vector<Bytes>{};
    std::vector<Bytes> out;
    if (precede) {
        --precede;
        Bytes stale(64, 0);
        stale[0] = uint8_t(reply[0] ^ 0x80);
        for (size_t i = 0; i < staleCount; ++i) out.push_back(stale);
    }
    if (misdirect) {
        --misdirect;
        Bytes other = reply;
        for (size_t i = 1; i <= 5; ++i) other[i] ^= 0x5A;
        out.push_back(other);
    }
    Bytes sent = reply;
    if (!forged.empty()) {
        const UsbUnit::ForgedReply forgery = std::move(forged.front());
        forged.erase(forged.begin());
        for (Bytes packet : forgery.before) {
            packet.resize(64, 0);
            out.push_back(packet);
        }
        for (size_t i = 0; i < forgery.data.size() && 6 + i < sent.size(); ++i) sent[6 + i] = forgery.data[i];
    }
    if (corrupt) --corrupt, sent[0] ^= 0x40;
    out.push_back(sent);
    if (repeat) --repeat, out.push_back(sent);
    return out;
}

UsbUnit::UsbUnit(DriverHost& host, UsbTopology& topology, UsbHub& hub, int port, UsbModel model, UsbTransport transport,
                 UsbIds ids)
    : host_(host),
      topology_(topology),
      hub_(hub),
      port_(port),
      sharedIds_(model != UsbModel::BrevixH && ids == UsbIds::Shared),
      state_(std::make_shared<State>(model, model == UsbModel::BrevixH ? transport : UsbTransport::Hid)) {
    state_->self = state_;
    state_->StartTimer();
    PlugIn();
}

UsbUnit::~UsbUnit() {
    // The timer may unplug the unit: it ends first.
    state_->StopTimer();
    Unplug();
}

uint16_t UsbUnit::VendorId() const {
    return state_->model == UsbModel::BrevixH || sharedIds_ ? kBrevixVendor : 0x10C4;
}

uint16_t UsbUnit::ProductId() const {
    if (sharedIds_) return kOldFirmware;
    switch (state_->model) {
    case UsbModel::Korrin:
        return 0x1101;
    case UsbModel::Sevane:
        return 0x1102;
    case UsbModel::Dashel:
        return 0x1103;
    default:
        return state_->transport == UsbTransport::Hid ? kNewFirmware : kOldFirmware;
    }
}

UsbTransport UsbUnit::Transport() const { return state_->transport; }

std::wstring UsbUnit::InterfacePath() const {
    std::lock_guard<std::mutex> guard(plugLock_);
    return interfacePath_;
}

std::array<uint8_t, 256> UsbUnit::Eeprom() const {
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->eeprom;
}

void UsbUnit::SetEeprom(const std::array<uint8_t, 256>& image) {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->eeprom = image;
}

uint32_t UsbUnit::Register(uint16_t address) const {
    std::lock_guard<std::mutex> guard(state_->lock);
    auto it = state_->registers.find(address);
    return it == state_->registers.end() ? 0 : it->second;
}

void UsbUnit::SetRegister(uint16_t address, uint32_t value) {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->registers[address] = value;
}

Bytes UsbUnit::TaskBody(uint8_t task) const {
    std::lock_guard<std::mutex> guard(state_->lock);
    auto it = state_->tasks.find(task);
    return it == state_->tasks.end() ? Bytes(kTaskBody, 0) : it->second;
}

void UsbUnit::SetTaskBody(uint8_t task, const Bytes& body) {
    std::lock_guard<std::mutex> guard(state_->lock);
    Bytes& stored = state_->tasks[task];
    stored = body;
    stored.resize(kTaskBody, 0);
}

void UsbUnit::AddLogEntry(const Bytes& entry) {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->logs.push_back(entry);
    state_->logs.back().resize(kLogEntry, 0);
}

size_t UsbUnit::LogEntries() const {
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->logs.size();
}

void UsbUnit::SetReplyData(uint8_t code, const Bytes& data) {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->replyData[code] = data;
}

Bytes UsbUnit::ReplyData(uint8_t code) const {
    std::lock_guard<std::mutex> guard(state_->lock);
    auto it = state_->replyData.find(code);
    return it == state_->replyData.end() ? Bytes{} : it->second;
}

Bytes UsbUnit::LastRequest(uint8_t code) const {
    std::lock_guard<std::mutex> guard(state_->lock);
    auto it = state_->lastRequest.find(code);
    return it == state_->lastRequest.end() ? Bytes{} : it->second;
}

int16_t UsbUnit::VcxoPpm() const {
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->vcxoPpm;
}

Bytes UsbUnit::Firmware() const {
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->firmware.data;
}

Bytes UsbUnit::Fpga() const {
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->fpga.data;
}

Bytes UsbUnit::Ravlo() const {
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->ravlo.data;
}

bool UsbUnit::FirmwareComplete() const {
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->firmware.complete;
}

bool UsbUnit::AwaitFirmwareComplete(std::chrono::milliseconds patience) const {
    std::unique_lock<std::mutex> guard(state_->lock);
    return state_->imageComplete.wait_for(guard, patience, [this] { return state_->firmware.complete; });
}

bool UsbUnit::FpgaComplete() const {
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->fpga.complete;
}

bool UsbUnit::RavloComplete() const {
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->ravlo.complete;
}

void UsbUnit::DelayReplies(uint32_t milliseconds) {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->delayMs = milliseconds;
}

void UsbUnit::DelayNextReplies(size_t requests, uint32_t milliseconds) {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->lateRequests = requests;
    state_->lateMs = milliseconds;
}

size_t UsbUnit::LateRepliesPending() const {
    // A late reply handed to the transport counts until the host can read it.
    const bool inTransit = state_->InTransit();
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->latePending + (inTransit ? 1 : 0);
}

void UsbUnit::FailWrites(size_t count) {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->failWrites = count;
}

void UsbUnit::DropReplies(size_t count) {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->drop = count;
}

void UsbUnit::DropReplyTo(size_t packet) {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->dropAt = packet;
}

void UsbUnit::RepeatReplies(size_t count) {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->repeat = count;
}

void UsbUnit::CorruptReplies(size_t count) {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->corrupt = count;
}

void UsbUnit::PrecedeReplies(size_t count, size_t stale) {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->precede = count;
    state_->staleCount = stale;
}

void UsbUnit::MisdirectReplies(size_t count) {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->misdirect = count;
}

void UsbUnit::ForgeReplies(std::vector<ForgedReply> replies) {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->forged = std::move(replies);
}

void UsbUnit::SetSilent(bool silent) {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->silent = silent;
}

void UsbUnit::EchoAddresses(bool echo) {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->echoAddresses = echo;
}

void UsbUnit::ClearFaults() {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->delayMs = 0;
    state_->lateRequests = state_->failWrites = 0;
    state_->drop = state_->repeat = state_->corrupt = state_->precede = state_->misdirect = 0;
    state_->dropAt = 0;
    state_->silent = false;
    state_->unplugAfter = 0;
    state_->forged.clear();
}

void UsbUnit::UnplugAfter(size_t packets) {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->unplugAfter = packets;
}

std::vector<UsbPacket> UsbUnit::Received() const {
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->received;
}

size_t UsbUnit::ReceivedCount() const {
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->received.size();
}

std::vector<UsbJournalEntry> UsbUnit::Journal() const {
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->journal;
}

void UsbUnit::ClearReceived() {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->received.clear();
    state_->journal.clear();
}

}  // namespace sim
