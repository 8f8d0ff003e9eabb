// The adapter probe, for units whose adapter shows the maker's prefix with model byte 0xFF and no
// known description: it asks for the link report on the adapter and listens for any reply.

#include "link/Detection.h"
#include "protocol/RegisterMap.h"
#include "protocol/Wire.h"
#include "runtime/DebugStream.h"
#include "runtime/WorkerThread.h"

#include <atomic>
#include <cstring>

namespace capi {
namespace {

constexpr int kProbeFrames = 20;
constexpr DWORD kProbeIntervalMs = 100;

struct ProbeControl {
    std::atomic<bool> stop{false};
    std::atomic<bool> found{false};
    std::atomic<bool> started{false};
};

void ProbeReceiveThread(const std::shared_ptr<Link>& link, const std::shared_ptr<ProbeControl>& control) {
    if (!control) {
        Log("thread lparam==NULL");
        return;
    }
    control->started = true;
    ReceivedFrame frame;
    while (!control->stop) {
        const ReceiveStatus status = link->Receive(frame);
        if (status == ReceiveStatus::Failed) return;
        if (status == ReceiveStatus::Frame && frame.length >= 14 && EtherTypeOf(frame.bytes) == kReplyEtherType) {
            control->found = true;
            return;
        }
    }
}

}  // namespace

bool ProbeAdapter(AdapterSource& source, const std::string& device, const uint8_t mac[6]) {
    Log("Detecting OEM BVX");
    std::string error;
    std::shared_ptr<Link> link = source.Open(device, &error);
    if (!link) {
        Log("pcaphndl is NULL");
        return false;
    }
    auto control = std::make_shared<ProbeControl>();
    WorkerThread reader;
    if (!reader.Start(L"BrevixCAPI probe", [link, control] { ProbeReceiveThread(link, control); })) {
        Log("detect thread can't open thdhndl==NULL");
    }
    if (!control->started) Sleep(1);

    uint8_t frame[kMinimumFrame] = {};
    std::memset(frame, 0xFF, 6);
    std::memcpy(frame + 6, mac, 6);
    frame[12] = 0xFF, frame[13] = 0x03;
    frame[15] = 1;
    PutBig32(frame + 16, kReadFlag | reg::kLinkReport);
    for (int sent = 0; sent < kProbeFrames && !control->found; ++sent) {
        link->Send(frame, sizeof frame);
        Sleep(kProbeIntervalMs);
    }

    control->stop = true;
    link->Interrupt();
    reader.Join(1000);
    if (!control->found) {
        Log("Detect OEM BVX failed");
        return false;
    }
    Log("\"OEM BVX\"");
    return true;
}

}  // namespace capi
