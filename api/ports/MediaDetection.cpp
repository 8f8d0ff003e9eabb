#include "ports/MediaDetection.h"

#include "BrevixCPorts.h"
#include "connection/DeviceMode.h"
#include "ports/PhyAccess.h"
#include "ports/PortImages.h"
#include "ports/PortMaps.h"
#include "ports/Ports.h"
#include "protocol/RegisterMap.h"
#include "runtime/HostMessages.h"
#include "runtime/PumpWait.h"
#include "runtime/WorkerThread.h"

#include <algorithm>

namespace capi {
namespace {

constexpr uint8_t kModeCodes[3] = {0x33, 0, 3};  // auto, fiber, copper

}  // namespace

MediaDetection& MediaDetection::Instance() {
    static MediaDetection detection;
    return detection;
}

MediaDetection::MediaDetection() : stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

bool MediaDetection::Pause(DWORD milliseconds) const {
    return WaitForSingleObject(stop_, milliseconds) != WAIT_OBJECT_0;
}

// The SFP selection of one port, then two one-second pauses, each reported as media detection
// still running.
void MediaDetection::SelectMedia(uint8_t port, uint8_t mode) {
    const bool tap = DeviceModeNow() == kTapMode;
    const uint32_t image = PortImages::Instance().Update([&](PortImageSet& images) {
        images.sfpMode[port] = mode;
        const uint32_t a = images.flowControl[0] | uint32_t(images.portWordSwitch[0]) << 1;
        const uint32_t b = images.flowControl[1] | uint32_t(images.portWordSwitch[1]) << 1;
        images.sfp[port] = (images.sfp[port] & 0x0FFF0000) | 0x80000000 | uint32_t(tap ? 0 : 1) << 30 |
                           uint32_t(port) << 28 | a << 12 | b << 8 | kModeCodes[mode];
        return images.sfp[port];
    });
    const uint32_t pair[2] = {reg::kIndirectRegister, image};
    BVT_GenW(1, pair);
    for (int i = 0; i < 2; ++i) {
        if (!Pause(1000)) return;
        NotifyPortEvent(port, BREVIXC_EVENT_MEDIA_DETECTION, 0);
    }
}

// The workers are taken out under the lock and joined outside it: a worker's host callback may
// start a detection (or a host thread may) while they are joined, and is refused at once rather
// than held until the join gives up on its worker.
void MediaDetection::Stop() {
    std::vector<std::unique_ptr<WorkerThread>> stopping;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (stops_++ == 0) SetEvent(stop_);
        stopping.swap(workers_);
    }
    // A worker that is stuck in a register call past the bound is let go: it holds what it uses.
    for (auto& worker : stopping) worker->Join(2000);
    std::lock_guard<std::mutex> guard(lock_);
    if (--stops_ == 0) ResetEvent(stop_);
}

bool MediaDetection::Start(uint8_t port, uint8_t mode) {
    if (PortsOf(port).empty() || mode > 2) return false;
    auto worker = std::make_unique<WorkerThread>();
    std::lock_guard<std::mutex> guard(lock_);
    if (stops_ > 0) return false;
    workers_.erase(std::remove_if(workers_.begin(), workers_.end(), [](auto& w) { return w->Join(0); }), workers_.end());
    if (!worker->Start(L"BrevixCAPI SFP worker", [this, port, mode] { Run(port, mode); })) return false;
    workers_.push_back(std::move(worker));
    return true;
}

void MediaDetection::Run(uint8_t port, uint8_t mode) {
    const PortList ports = PortsOf(port);
    for (uint8_t p : ports) {
        SelectMedia(p, mode);
        if (!Pause(0)) return;
    }
    uint32_t pairs[4];
    uint32_t count = 0;
    PortImages::Instance().Update([&](PortImageSet& images) {
        for (uint8_t p : ports) {
            SetBit(images.sfpEnable[p], 0, mode != BREVIXC_SFP_COPPER);
            pairs[2 * count] = reg::kSfpEnable + 4 * p;
            pairs[2 * count + 1] = images.sfpEnable[p];
            ++count;
        }
    });
    if (!BVT_GenW(count, pairs)) return;
    NotifyPortEvent(port, BREVIXC_EVENT_MEDIA_DETECTION, 1);
}

int SfpStatus(uint8_t port) {
    uint16_t value = 0;
    if (!PhyRead(port, 28, &value, 30)) return -1;
    uint16_t unused = 0;
    PhyRead(port, 28, &unused, 31);
    switch (value & 0x1E7) {
    case 39:
    case 33:
        return 0;
    case 1:
        return 2;
    case 486:
        return 1;
    default:
        return -1;
    }
}

int EnableSfpShadow(uint8_t port, uint8_t enable) {
    const uint32_t image = PortImages::Instance().Update([&](PortImageSet& images) {
        SetBit(images.sfpShadow, 0, port & 1);
        SetBit(images.sfpShadow, 1, enable & 1);
        return images.sfpShadow;
    });
    const uint32_t pair[2] = {reg::kSfpShadow, image};
    if (!BVT_GenW(1, pair)) return 0;
    auto resetTwice = [](uint8_t p) {
        PortReset(p);
        PumpWait(100);
        PortReset(p);
        PumpWait(1000);
    };
    if (port == 0) resetTwice(0);
    if (enable == 0) resetTwice(1);
    return 1;
}

uint16_t MediaWord(uint8_t port) {
    return PortImages::Instance().Update([port](PortImageSet& images) { return uint16_t(images.sfpMode[port & 1]); });
}

}  // namespace capi
