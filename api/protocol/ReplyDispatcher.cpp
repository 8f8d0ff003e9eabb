#include "protocol/ReplyDispatcher.h"

#include "connection/DeviceSetUp.h"
#include "connection/DeviceState.h"
#include "counters/Counters.h"
#include "identity/Identity.h"
#include "ports/PortControls.h"
#include "ports/Ports.h"
#include "protocol/CommandProtocol.h"
#include "capture/Capture.h"
#include "counters/Reports1ms.h"
#include "identity/IdentityReplies.h"
#include "ports/LinkReports.h"
#include "ports/PhyAccess.h"
#include "protocol/RegisterMap.h"
#include "protocol/Wire.h"
#include "runtime/HostMessages.h"

#include <boost/bind/bind.hpp>

#include <atomic>
#include <cstring>

using namespace boost::placeholders;

namespace capi {
namespace {

// Swapped whole by BuildRegisterHookMap (connect, host's thread); read by the receive thread.
std::shared_ptr<const RegisterHookMap> hookMap = std::make_shared<const RegisterHookMap>();

constexpr uint8_t kEepromAnswer[4] = {0x40, 0x00, 0x00, 0x30};
constexpr uint8_t kSystemIdRead[4] = {0xC0, 0x00, 0x00, 0x00};

void OnDeviceNotice(const uint8_t* frame, uint32_t stampSeconds, uint32_t stampMicroseconds) {
    switch (frame[14]) {
    case 0:
    case 128:
    case 129:
        // A link change: the media programmings before it have taken effect, and the link report
        // that tells their outcome arrives later as a reply.
        ResetMediaChanges();
        RequestLinkStatus();
        break;
    case 10:
    case 11:
        if (frame[15] & 1) ForwardPhyNotice(frame[14] - 10, stampSeconds, stampMicroseconds);
        break;
    default:
        break;
    }
}

// The capture status pair and the block count that follows it, handed to the capture layer.
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

// The read a hook is registered for: its command and count byte (a sequential count of 256 is
// 0), and a second count the same read is also sent with (the count again when there is none).
struct HookedRead {
    uint8_t command;
    uint8_t count;
    uint8_t otherCount;
};

// A hook takes only the replies of its own read. A reply of another command or count that starts
// at the same address (a host's own read there, the echo of a host's write) is not a poll's
// answer: taken as one, a single-register read would zero a counter block, and the next poll
// would rate its whole total.
RegisterHook Answering(HookedRead read, RegisterHook hook) {
    return [read, hook](const ReplyBody& body) {
        if (body.command != read.command || (body.count != read.count && body.count != read.otherCount)) return;
        if (body.command == kGeneral && !(body.Word(0) & kReadFlag)) return;
        hook(body);
    };
}

}  // namespace

std::shared_ptr<const RegisterHookMap> MakeRegisterHookMap(int32_t machineId) {
    auto map = std::make_shared<RegisterHookMap>();
    const bool secondMap = IsBrevixHFamily(machineId);
    const reg::PortBlocks& blocks = reg::MapOf(secondMap);
    const HookedRead oneWord = {kSequentialRead, 1, 1};
    const HookedRead streamBlock = {kSequentialRead64, 128, 128};
    // The second map reads the whole second block, and its two-port round reads both status
    // registers in one general read.
    const HookedRead blockB = {kSequentialRead64, uint8_t(secondMap ? 42 : 12), uint8_t(secondMap ? 42 : 12)};
    const HookedRead status = {kGeneral, 1, uint8_t(secondMap ? 2 : 1)};
    // Port B's registers lie 0x02000000 above Port A's.
    for (uint8_t port : {0, 1}) {
        const uint32_t b = PortOffset(port);
        (*map)[blocks.byteRate1ms + b] = Answering(oneWord, boost::bind(&SendByteRate1ms, _1));
        (*map)[blocks.packetRate1ms + b] = Answering(oneWord, boost::bind(&SendPacketRate1ms, _1));
        if (secondMap) {
            (*map)[blocks.stackCounter1ms + b] =
                Answering({kSequentialRead, 0, 0}, boost::bind(&SendStackCounter1ms, port, _1));
        }
        (*map)[blocks.counterBlockA + b] =
            Answering({kSequentialRead64, 42, 42}, boost::bind(&OnCounterBlockA, port, _1));
        (*map)[blocks.counterBlockB + b] = Answering(blockB, boost::bind(&OnCounterBlockB, port, _1));
        (*map)[blocks.trafficRegisters + b] = Answering({kGeneral, 21, 21}, boost::bind(&OnTrafficRegisters, port, _1));
        (*map)[blocks.status + b] = Answering(status, boost::bind(&OnStatusRegister, port, _1));
        (*map)[blocks.txStreams + b] = Answering(streamBlock, boost::bind(&OnTxStreamBlock, port, _1));
        for (uint8_t block = 0; block < 8; ++block) {
            (*map)[blocks.rxStreams + b + 0x200u * block] =
                Answering(streamBlock, boost::bind(&OnRxStreamBlock, block, port, _1));
        }
        (*map)[blocks.vidStreams + b] =
            Answering({kSequentialRead, 128, 128}, boost::bind(&OnVidStreamBlock, 0, port, _1));
        (*map)[reg::kCaptureStatus + b] = Answering({kGeneral, 2, 2}, boost::bind(&ParseCaptureStatusReply, _1));
    }
    if (machineId == 4) (*map)[reg::kIndirectResult] = Answering(oneWord, boost::bind(&ParsePhyPollReply, _1));
    return map;
}

void BuildRegisterHookMap() { std::atomic_store(&hookMap, MakeRegisterHookMap(MachineId())); }

int DispatchDeviceFrame(const uint8_t* frame, size_t length, uint32_t stampSeconds, uint32_t stampMicroseconds) {
    if (length > kLongestDeviceFrame) return 0;
    if (length < 14) return 1;
    switch (EtherTypeOf(frame)) {
    case kReplyEtherType:
        if (length < 16) break;
        CommandChannel::Instance().OfferReply(frame, length);
        // Replies to sequential writes only echo what was written.
        if (frame[14] == kGeneral || frame[14] == kSequentialRead || frame[14] == kSequentialRead64) {
            ReplyBody body;
            body.bytes = frame + 16;
            body.length = length - 16;
            body.command = frame[14];
            body.count = frame[15];
            body.stampSeconds = stampSeconds;
            body.stampMicroseconds = stampMicroseconds;
            DispatchReply(body);
        }
        break;
    case kNoticeEtherType:
        if (length >= 16) OnDeviceNotice(frame, stampSeconds, stampMicroseconds);
        break;
    case kIgnoredEtherType:
        break;
    default:
        CallHostCallback(frame, static_cast<int32_t>(length), stampSeconds, stampMicroseconds);
        break;
    }
    return 1;
}

void DispatchReply(const ReplyBody& body) {
    if (!body.Has(0, 4)) return;
    if (std::memcmp(body.bytes, kEepromAnswer, 4) == 0) {
        ParseEepromReply(body);
        return;
    }
    if (std::memcmp(body.bytes, kSystemIdRead, 4) == 0) {
        ParseSystemIdReply(body);
        return;
    }
    if (!SetUpComplete()) return;
    const uint32_t key = body.Word(0) & ~kReadFlag;
    const std::shared_ptr<const RegisterHookMap> map = std::atomic_load(&hookMap);
    const auto hook = map->find(key);
    if (hook != map->end()) {
        hook->second(body);
        return;
    }
    // The echo of a write repeats what was written (by the library or a host): only a read's reply
    // carries a register's value, the system ID's among them.
    if (body.command == kGeneral && !(body.Word(0) & kReadFlag)) return;
    switch (key) {
    case reg::kLinkReport:
        ParseLinkReport(body);
        break;
    case reg::kPhyResult:
        ParsePhyResult(body);
        break;
    case reg::kVcxoPpm:
        if (body.Has(4, 4)) Identity::Instance().SetVcxoPpm(static_cast<int32_t>(body.Word(4)));
        break;
    case reg::kSystemId:
        ParseSystemIdReply(body);
        break;
    case reg::kFpgaVersion:
        ParseVersionReply(body);
        break;
    case reg::kOscillator:
    case reg::kOscillatorSecondMap:
        SendOscillatorMessage(0, body);
        break;
    case reg::kOscillator + 4:
    case reg::kOscillatorSecondMap + kPortStride:
        SendOscillatorMessage(1, body);
        break;
    default:
        break;
    }
}

}  // namespace capi
