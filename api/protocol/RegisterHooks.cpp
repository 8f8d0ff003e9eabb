#include "protocol/RegisterHooks.h"

#include "BrevixCAPI.h"
#include "capture/Capture.h"
#include "connection/DeviceState.h"
#include "identity/EepromAccess.h"
#include "identity/Identity.h"
#include "ports/Ports.h"
#include "protocol/RegisterImages.h"
#include "runtime/DebugStream.h"
#include "runtime/HostMessages.h"
#include "runtime/NamedObjects.h"

#include <cstring>
#include <optional>

namespace capi {
namespace {

std::atomic<int> identityAnswers{0};
std::atomic<bool> identityComplete{false};

constexpr uint16_t kMultiGigPhy = 0x9A0;

// The value word of a general reply's first pair (or the first word after a sequential reply's
// start address).
std::optional<uint32_t> FirstValue(const ReplyBody& body) {
    if (!body.Has(4, 4)) return std::nullopt;
    return body.Word(4);
}

// The value of a general reply's pair whose address is `address` (read flag ignored).
std::optional<uint32_t> PairValue(const ReplyBody& body, uint32_t address) {
    for (size_t i = 0; i < body.count && body.Has(8 * i, 8); ++i) {
        if ((body.Word(8 * i) & ~kReadFlag) == address) return body.Word(8 * i + 4);
    }
    return std::nullopt;
}

// EEPROM words of an identity reply: pair 2k + 1 carries word k, its low byte last.
bool EepromBytes(const ReplyBody& body, size_t words, uint8_t* bytes) {
    if (body.count < 2 * words || !body.Has(0, 16 * words)) return false;
    for (size_t k = 0; k < words; ++k) {
        bytes[2 * k] = body.bytes[16 * k + 15];
        bytes[2 * k + 1] = body.bytes[16 * k + 14];
    }
    return true;
}

void AnnounceEepromDone() { NotifyPortEvent(0, BREVIXC_EVENT_EEPROM_DONE, 1); }

void ParseIdentityField(uint8_t word, const ReplyBody& body) {
    uint8_t bytes[20];
    Identity& identity = Identity::Instance();
    switch (word) {
    case 16:
        if (EepromBytes(body, 8, bytes)) identity.SetModuleFromEeprom(bytes);
        break;
    case 33:
        if (EepromBytes(body, 1, bytes)) identity.SetEepromVersion(bytes[0], bytes[1]);
        break;
    case 38:
        if (EepromBytes(body, 10, bytes)) identity.SetSerialNumber(bytes);
        break;
    case 48:
        // The last identity read of connect.
        if (EepromBytes(body, 6, bytes)) {
            identity.SetProductDate(bytes);
            identityComplete = true;
        }
        break;
    case 64:
        if (EepromBytes(body, 3, bytes)) identity.SetMac(bytes);
        break;
    default:
        break;
    }
}

}  // namespace

LinkState& Links() {
    static LinkState state;
    return state;
}

PhyResults& PhyResultTable() {
    static PhyResults table;
    return table;
}

int IdentityAnswers() { return identityAnswers; }

void ResetIdentityAnswers() { identityAnswers = 0; }

bool IdentityComplete() { return identityComplete; }

void SetIdentityComplete(bool complete) { identityComplete = complete; }

void ParseEepromReply(const ReplyBody& body) {
    if (!body.Has(0, 8)) return;
    ++identityAnswers;
    const uint8_t command = body.bytes[4];
    const uint8_t word = body.bytes[5];
    const uint8_t selector = Identity::Instance().Row().eepromSelector;
    EepromState& eeprom = EepromState::Instance();
    if (command == selector * 16 + 8) {
        // A write chunk: write enable, the word writes, write disable. Its first word write (the
        // second pair) names the chunk's start.
        if (body.count < 2 || !body.Has(8, 8)) return;
        const uint8_t start = body.bytes[13];
        uint8_t awaited = start;
        if (start != kNoAwaitedWord && eeprom.awaitedWord.compare_exchange_strong(awaited, kNoAwaitedWord)) {
            AnnounceEepromDone();
        }
        return;
    }
    if (command != selector * 16 + 128) return;
    if (body.count != 32) {
        ParseIdentityField(word, body);
        return;
    }
    uint8_t bytes[32];
    if (!EepromBytes(body, 16, bytes)) return;
    for (uint8_t k = 0; k < 16; ++k) eeprom.StoreWord(static_cast<uint8_t>(word + k), bytes[2 * k] | bytes[2 * k + 1] << 8);
    uint8_t awaited = word;
    if (word != kNoAwaitedWord && eeprom.awaitedWord.compare_exchange_strong(awaited, kNoAwaitedWord)) {
        eeprom.readComplete = true;
        AnnounceEepromDone();
    }
}

void ParseSystemIdReply(const ReplyBody& body) {
    const std::optional<uint32_t> systemId = FirstValue(body);
    if (!systemId) return;
    ++identityAnswers;
    const bool hasHardwareWord = body.count >= 2 && body.Has(8, 8) && body.Word(8) != 0xFFFFFFFF &&
                                 (body.Word(8) & ~kReadFlag) == 0x4000000C;
    Identity::Instance().ApplySystemId(*systemId, hasHardwareWord, hasHardwareWord ? body.Word(12) : 0);
}

LinkCodes DecodeLinkReport(uint32_t value, int32_t machineId) {
    if (machineId == 3 || machineId == 4) {
        return {uint16_t((value & 0x1) ? 13 : kLinkDown), uint16_t((value & 0x100) ? 13 : kLinkDown)};
    }
    // One byte per port: bit 0 link, bits 1-3 the 10, 100 and 1000 Mbit/s speeds, bit 4 full
    // duplex, bits 6 and 7 further link bits.
    auto decode = [](uint32_t bits) -> uint16_t {
        if ((bits & 0xC1) == 0) return kLinkDown;
        const bool full = bits & 0x10;
        if (bits & 0x08) return full ? 9 : 8;
        if (bits & 0x04) return full ? 3 : 2;
        // Bit 1, or a link with no speed bit at all: the lowest speed.
        return full ? 1 : 0;
    };
    return {decode((value >> 8) & 0xFF), decode(value & 0xFF)};
}

void ParseLinkReport(const ReplyBody& body) {
    const std::optional<uint32_t> value = FirstValue(body);
    if (!value) return;
    const uint32_t v = *value;
    const int32_t machineId = MachineId();
    const LinkCodes codes = DecodeLinkReport(v, machineId);
    const uint16_t code[2] = {codes.portA, codes.portB};
    LinkState& links = Links();
    for (int port = 0; port < 2; ++port) {
        links.speedCode[port] = code[port];
        links.lastReportCode[port] = static_cast<uint8_t>(code[port]);
    }
    const bool secondMap = machineId == 3 || machineId == 4;
    HostMessage message(BREVIXC_MSG_LINK_STATUS);
    message.Put16(BREVIXC_LINK_PORT_A_SPEED, code[0]);
    message.Put16(BREVIXC_LINK_PORT_A_MEDIA, MediaWord(0));
    message.Put16(BREVIXC_LINK_PORT_B_SPEED, code[1]);
    message.Put16(BREVIXC_LINK_PORT_B_MEDIA, MediaWord(1));
    message.Put8(BREVIXC_LINK_DETAIL, (v >> 13) & 1);
    message.Put8(BREVIXC_LINK_DETAIL + 1, secondMap ? 1 : (v >> 14) & 1);
    message.Put8(BREVIXC_LINK_DETAIL + 2, (v >> 5) & 1);
    message.Put8(BREVIXC_LINK_DETAIL + 3, secondMap ? 1 : (v >> 6) & 1);

    if (machineId == 4) {
        for (int port = 0; port < 2; ++port) {
            links.linkFlag[port] = code[port] != kLinkDown;
            links.linkDown[port] = code[port] == kLinkDown;
        }
        Log("(API)(FPGA LinkRpt) PA:", uint8_t(links.linkDown[0]), ", PB:", uint8_t(links.linkDown[1]));
        // Ports that are up are reported by the multi-gigabit PHY poll.
        if (code[0] != kLinkDown || code[1] != kLinkDown) return;
        Log("(API)(LinkStatus)(Brevix-J) All Port Link Down");
    } else {
        links.linkFlag[0] = false;
        links.linkFlag[1] = false;
        Log("(API)(LinkStatus)(Not Brevix-J) FPGA link:(", code[0], ", ", code[1], ")");
    }
    message.Send(BREVIXC_MSG_LENGTH, body.stampSeconds, body.stampMicroseconds);
}

void ParsePhyPollReply(const ReplyBody& body) {
    const std::optional<uint32_t> value = FirstValue(body);
    if (!value) return;
    const uint32_t v = *value;
    const uint8_t port = PhyReplyPort() & 1;
    LinkState& links = Links();
    if (((v >> 16) & 0xF) == 3) {
        links.phyType[port] = static_cast<uint16_t>(v & 0xFF0);
        Log("(PHYRead)(88x33)(x.0003)(PHYType) Port ", port, " PHY = ", uint16_t(v & 0xFF0));
        return;
    }
    if ((v & 0x80080000) == 0) return;

    uint16_t speed[2];
    if (links.phyType[port] == kMultiGigPhy) {
        Log("(PHYRead)(88x33)(x.8008) Port ", port, " MultiG : OK, Value = ", v);
        const bool bit14 = v & 0x4000;
        const bool bit15 = v & 0x8000;
        std::optional<uint8_t> code;
        const char* text = nullptr;
        if (bit14 && bit15) {
            switch ((v >> 2) & 3) {
            case 2:
                code = 17, text = " MultiG : OK, Speed = 5G";
                break;
            case 1:
                code = 15, text = " MultiG : OK, Speed = 2.5G";
                break;
            case 0:
                code = 13, text = " MultiG : OK, Speed = 10G";
                break;
            default:
                code = 13, text = " MultiG : OK, Speed = 10G(None)";
                break;
            }
        } else if (bit15) {
            code = 11, text = " MultiG : OK, Speed = 1G";
        }
        if (code) {
            Log("(PHYRead)(88x33)(x.8008) Port ", port, text);
            links.multiGigCode[port] = *code;
            SetPortSpeedClass(port, *code);
        }
        for (int p = 0; p < 2; ++p) speed[p] = links.linkDown[p] ? kLinkDown : links.multiGigCode[p].load();
    } else {
        Log("(PHYRead)(88x33)(x.8008) Port ", port, " MultiG : NOT OK");
        for (int p = 0; p < 2; ++p) speed[p] = links.lastReportCode[p];
    }
    HostMessage message(BREVIXC_MSG_LINK_STATUS);
    message.Put16(BREVIXC_LINK_PORT_A_SPEED, speed[0]);
    message.Put16(BREVIXC_LINK_PORT_A_MEDIA, MediaWord(0));
    message.Put16(BREVIXC_LINK_PORT_B_SPEED, speed[1]);
    message.Put16(BREVIXC_LINK_PORT_B_MEDIA, MediaWord(1));
    message.Put8(BREVIXC_LINK_PHY_DETAIL, links.phyType[0] == kMultiGigPhy);
    message.Put8(BREVIXC_LINK_PHY_DETAIL + 1, links.phyType[1] == kMultiGigPhy);
    links.linkFlag[port] = false;
    message.Send();
}

void ParsePhyResult(const ReplyBody& body) {
    const std::optional<uint32_t> value = FirstValue(body);
    if (!value) return;
    PhyResults& table = PhyResultTable();
    table.entry[(*value >> 16) & 0x1F] = static_cast<uint16_t>(*value);
    table.arrived = true;
    SignalPhyRead();
}

void ParseVersionReply(const ReplyBody& body) {
    const std::optional<uint32_t> fpgaWord = FirstValue(body);
    if (!fpgaWord) return;
    const std::optional<uint32_t> hardwareWord = PairValue(body, 0x4000000C);
    const std::optional<uint32_t> firmwareWord = PairValue(body, 0x40000040);
    Identity& identity = Identity::Instance();
    identity.ApplyVersion(*fpgaWord, hardwareWord ? &*hardwareWord : nullptr, firmwareWord ? &*firmwareWord : nullptr);
    identity.SendSystemInfoMessage(body.stampSeconds, body.stampMicroseconds);
}

void SendOscillatorMessage(uint8_t port, const ReplyBody& body) {
    const std::optional<uint32_t> value = FirstValue(body);
    if (!value) return;
    // Gigabit speeds count a clock five times faster.
    const uint16_t speed = Links().speedCode[port];
    const uint32_t measured = (speed >= 8 && speed <= 11) ? *value / 5 : *value;
    HostMessage message(BREVIXC_MSG_OSCILLATOR);
    message.Put16(BREVIXC_OSCILLATOR_PORT, port);
    message.Put32(BREVIXC_OSCILLATOR_VALUE, measured);
    message.Send(BREVIXC_MSG_LENGTH, body.stampSeconds, body.stampMicroseconds);
    const uint32_t image = RegisterImages::Instance().Update([port](RegisterImageSet& images) {
        return images.portSwitch |= port ? 0x20 : 0x2000;
    });
    BVT_Write(0x400000DC, image);
}

void SendPacketRate1ms(const ReplyBody& body) {
    const std::optional<uint32_t> value = FirstValue(body);
    if (!value) return;
    const uint32_t rate = *value & 0x7FFF;
    Log("(API) Send 1ms packet rate, value = ", rate);
    HostMessage message(BREVIXC_MSG_PACKET_RATE_1MS);
    message.Put32(18, rate);
    message.Send();
}

void SendByteRate1ms(const ReplyBody& body) {
    const std::optional<uint32_t> value = FirstValue(body);
    if (!value) return;
    const uint32_t rate = *value & 0xFFFFFF;
    Log("(API) Send 1ms byte rate, value = ", rate);
    HostMessage message(BREVIXC_MSG_BYTE_RATE_1MS);
    message.Put32(18, rate);
    message.Send();
}

void SendStackCounter1ms(uint8_t, const ReplyBody& body) {
    Log("(DoCmd_StackCnt_1ms)");
    HostMessage message(BREVIXC_MSG_STACK_COUNTER_1MS);
    // A sequential reply: the start address, then up to 256 samples; 0xFFFFFFFF ends the list.
    for (size_t i = 0; i < 256 && body.Has(4 + 4 * i, 4); ++i) {
        const uint32_t sample = body.Word(4 + 4 * i);
        if (sample == 0xFFFFFFFF) {
            message.Put32(18 + 4 * i, 0xFFFFFFFF);
            break;
        }
        message.Put16(18 + 4 * i, static_cast<uint16_t>(sample >> 16));
        message.Put16(20 + 4 * i, static_cast<uint16_t>(sample & 0x7FFF));
    }
    message.Send(BREVIXC_MSG_STACK_COUNTER_LENGTH);
}

void ParseCaptureStatusReply(const ReplyBody& body) {
    if (!body.Has(0, 16)) return;
    // The capture handlers take the pairs' addresses in host order without the read flag.
    uint8_t pairs[16];
    std::memcpy(pairs, body.bytes, sizeof pairs);
    for (size_t entry = 0; entry < 2; ++entry) {
        const uint32_t address = GetBig32(pairs + 8 * entry) & ~kReadFlag;
        std::memcpy(pairs + 8 * entry, &address, 4);
    }
    ReplyBody status = body;
    status.bytes = pairs;
    status.length = sizeof pairs;
    OnCaptureStatus(status);
    OnBlockCount(status.From(8));
}

}  // namespace capi
