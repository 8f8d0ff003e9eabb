// Frames from the tester's adapter through the receive path and the reply dispatch, as the receive
// thread hands them on.
//
// Byte 0 picks the machine id (its register map and hooks); the rest is the frame. The dispatcher
// takes only identity replies until a connection's set-up is done, so the register hooks and the
// reply handlers it would then call get each reply's body directly as well.

#include "identity/Identity.h"
#include "identity/IdentityReplies.h"
#include "ports/LinkReports.h"
#include "ports/PhyAccess.h"
#include "protocol/ReceivePath.h"
#include "protocol/ReplyDispatcher.h"
#include "protocol/Wire.h"
#include "runtime/HostMessages.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

void __stdcall IgnoreMessage(const uint8_t*, int32_t, uint32_t, uint32_t) {}

// System ID register values that select machine ids 1 to 4.
constexpr uint32_t kSystemIds[] = {0xDD300000, 0xDD100000, 0xDD800000, 0xDD802001};

const capi::RegisterHookMap& HooksOf(size_t machine) {
    static const std::array<std::shared_ptr<const capi::RegisterHookMap>, 4> maps = {
        capi::MakeRegisterHookMap(1), capi::MakeRegisterHookMap(2), capi::MakeRegisterHookMap(3),
        capi::MakeRegisterHookMap(4)};
    return *maps[machine];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static capi::ReceivePath path;
    capi::SetHostCallback(IgnoreMessage);
    if (size < 1) return 0;
    const size_t machine = data[0] % 4;
    capi::Identity::Instance().ApplySystemId(kSystemIds[machine], false, 0);
    const uint8_t* frame = data + 1;
    const size_t length = size - 1;

    capi::ReceivedFrame received;
    received.bytes = frame;
    received.length = length;
    path.Process(received);

    if (length < 20 || capi::EtherTypeOf(frame) != capi::kReplyEtherType) return 0;
    capi::ReplyBody body;
    body.bytes = frame + 16;
    body.length = length - 16;
    body.command = frame[14];
    body.count = frame[15];
    const capi::RegisterHookMap& hooks = HooksOf(machine);
    const auto hook = hooks.find(body.Word(0) & ~capi::kReadFlag);
    if (hook != hooks.end()) hook->second(body);
    capi::ParseLinkReport(body);
    capi::ParsePhyResult(body);
    capi::ParseVersionReply(body);
    return 0;
}
