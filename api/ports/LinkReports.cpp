#include "ports/LinkReports.h"

#include "BrevixCAPI.h"
#include "connection/DeviceState.h"
#include "ports/Ports.h"
#include "protocol/RegisterImages.h"
#include "protocol/RegisterMap.h"
#include "runtime/DebugStream.h"
#include "runtime/HostMessages.h"

#include <optional>

namespace capi {
namespace {

// The link message: both ports' speed codes and media words. The callers add their detail bytes.
HostMessage LinkMessage(uint16_t speedA, uint16_t speedB) {
    HostMessage message(BREVIXC_MSG_LINK_STATUS);
    message.Put16(BREVIXC_LINK_PORT_A_SPEED, speedA);
    message.Put16(BREVIXC_LINK_PORT_A_MEDIA, MediaWord(0));
    message.Put16(BREVIXC_LINK_PORT_B_SPEED, speedB);
    message.Put16(BREVIXC_LINK_PORT_B_MEDIA, MediaWord(1));
    return message;
}

}  // namespace

LinkState& Links() {
    static LinkState state;
    return state;
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
    HostMessage message = LinkMessage(code[0], code[1]);
    message.Put8(BREVIXC_LINK_DETAIL, (v >> 13) & 1);
    message.Put8(BREVIXC_LINK_DETAIL + 1, secondMap ? 1 : (v >> 14) & 1);
    message.Put8(BREVIXC_LINK_DETAIL + 2, (v >> 5) & 1);
    message.Put8(BREVIXC_LINK_DETAIL + 3, secondMap ? 1 : (v >> 6) & 1);

    if (machineId == 4) {
        for (int port = 0; port < 2; ++port) {
            links.statusAsksLeft[port] = code[port] != kLinkDown ? kPhyStatusAsks : 0;
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
    HostMessage message = LinkMessage(speed[0], speed[1]);
    message.Put8(BREVIXC_LINK_PHY_DETAIL, links.phyType[0] == kMultiGigPhy);
    message.Put8(BREVIXC_LINK_PHY_DETAIL + 1, links.phyType[1] == kMultiGigPhy);
    links.linkFlag[port] = false;
    message.Send();
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

}  // namespace capi
