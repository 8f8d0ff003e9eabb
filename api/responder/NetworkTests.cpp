#include "responder/NetworkTests.h"

#include "BrevixCAPI.h"
#include "capture/CaptureRegisters.h"
#include "ports/PortMaps.h"
#include "protocol/RegisterMap.h"
#include "responder/HostFrames.h"
#include "responder/HostTables.h"
#include "runtime/DebugStream.h"
#include "runtime/PumpWait.h"
#include "tx/TxControl.h"

#include <windows.h>

#include <cstring>
#include <random>

namespace capi {
namespace {

constexpr uint32_t kAutoReplyFlags = 50;
constexpr uint32_t kReplyControlBit = 1u << 24;
constexpr uint32_t kRouterStepMs = 100;

// The port's capture mode word reset to the reply bit alone, and written.
int SetCaptureControlReply(uint8_t port, bool on) {
    const uint32_t value = on ? kReplyControlBit : 0;
    Words().modeWord[port] = value;
    const uint32_t pair[2] = {reg::kCaptureModeWord + PortOffset(port), value};
    return BVT_GenW(1, pair);
}

// The entry's first bytes configure the port's host receive; host sending, the reply bit and host
// receive follow `on`.
void ApplyEntry(uint8_t port, const HostEntry& e, bool on) {
    HostRxConfigure(port, e.flags, e.mac, e.secondMac, e.option);
    SetHostSend(port, on ? 1 : 0);
    SetCaptureControlReply(port, on);
    SetHostRx(port, on);
}

void SendFrame(uint8_t port, const FrameBytes& frame) { SendHostFrame(port, frame.data(), uint32_t(frame.size())); }

// Sends a DHCP discover for the entry and makes it wait for the answers.
void StartDhcpClient(uint8_t port, uint8_t index) {
    static std::mt19937 random(GetTickCount());
    FrameBytes discover = HostTables::Instance().Update([&](HostTableSet& t) {
        HostEntry& e = t.entries[port][index];
        const uint32_t transaction = random();
        std::memcpy(e.dhcpTransaction, &transaction, 4);
        e.dhcpOfferSeen = 0;
        e.dhcpAckSeen = 0;
        e.dhcpClientActive = 1;
        e.dhcpState = 1;
        return BuildDhcpDiscover(e.mac, e.dhcpTransaction);
    });
    Log("(API)Send DHCP Discover");
    SendFrame(port, discover);
}

// Waits in 100 ms steps, at most `waitMs`, until `done` holds (checked under the tables' lock).
template <typename Done>
bool WaitFor(uint16_t waitMs, Done done) {
    for (uint32_t step = 0;; ++step) {
        if (HostTables::Instance().Update(done)) return true;
        if (step >= waitMs / kRouterStepMs) return false;
        PumpWait(kRouterStepMs);
    }
}

}  // namespace

int StartAutoReply(const BrevixC_AutoReply_T& record) {
    const PortList ports = PortsOf(record.port);
    if (record.entry >= kHostEntries) return 0;
    if (ports.empty()) return 1;
    HostTables::Instance().Update([](HostTableSet& t) { t.autoReply = true; });
    for (uint8_t p : ports) {
        const HostEntry entry = HostTables::Instance().Update([&](HostTableSet& t) {
            HostEntry& e = t.entries[p][record.entry];
            e.port = p;
            e.index = record.entry;
            e.enabled = 1;
            e.flags = kAutoReplyFlags;
            e.dhcpOfferSeen = 0;
            e.dhcpAckSeen = 0;
            std::memcpy(e.ipv4, record.ipv4, 4);
            std::memcpy(e.mask, record.mask, 4);
            std::memcpy(e.gateway, record.gateway, 4);
            std::memcpy(e.mac, record.mac, 6);
            std::memcpy(e.secondMac, record.mac, 6);
            e.option = 1;
            if (record.entry != 0) {
                e.mac[0] = 0;
                e.secondMac[0] = 0x3F;
            }
            return e;
        });
        ApplyEntry(p, entry, true);
    }
    return 1;
}

int StopAutoReply(uint8_t port, uint32_t entry) {
    const PortList ports = PortsOf(port);
    if (entry >= kHostEntries) return 0;
    HostTables::Instance().Update([](HostTableSet& t) { t.autoReply = false; });
    for (uint8_t p : ports) {
        const HostEntry e = HostTables::Instance().Update([&](HostTableSet& t) {
            HostEntry& e = t.entries[p][entry];
            e.flags = 0;
            e.enabled = 0;
            e.dhcpOfferSeen = 0;
            e.dhcpAckSeen = 0;
            if (entry != 0) {
                e.mac[0] = 0;
                e.secondMac[0] = 0x3F;
            }
            return e;
        });
        ApplyEntry(p, e, false);
        PumpWait(50);
    }
    return 1;
}

int StartPing(const BrevixC_Ping_T& record) {
    if (record.entry >= kHostEntries) return 0;
    for (uint8_t p : PortsOf(record.port)) {
        const HostEntry e = HostTables::Instance().Update([&](HostTableSet& t) {
            PingEntry& ping = t.pings[p][record.entry];
            std::memcpy(ping.targetIPv4, record.targetIPv4, 4);
            std::memcpy(ping.targetIPv6, record.targetIPv6, 16);
            ping.count = record.count;
            ping.timeout = record.timeout;
            ping.interval = record.interval;
            return t.entries[p][record.entry];
        });
        SendFrame(p, BuildArpRequest(kBroadcast, e.mac, e.ipv4, e.gateway, 64, 0xFF));
    }
    return 1;
}

int AutoGetIPv4(uint8_t port, uint8_t entry, uint8_t waitSeconds) {
    const PortList ports = PortsOf(port);
    if (entry >= kHostEntries) return 0;
    if (ports.empty()) return 1;
    for (uint8_t p : ports) StartDhcpClient(p, entry);
    BVT_Delay(waitSeconds * 1000u);
    // With both ports, the first port whose entry obtained an address supplies the globals.
    const HostEntry e = HostTables::Instance().Update([&](HostTableSet& t) {
        for (uint8_t p : ports) {
            if (t.entries[p][entry].dhcpState == 4) return t.entries[p][entry];
        }
        return t.entries[*ports.begin()][entry];
    });
    // The identity globals hold one address each, whatever the entry.
    std::memcpy(BVX_MyIPv4, e.ipv4, 4);
    std::memcpy(BVX_ServerIPv4, e.dhcpServer, 4);
    std::memcpy(BVX_GatewayIPv4, e.gateway, 4);
    return 1;
}

int RouterTest(BrevixC_RouterTest_T& caller) {
    // The test works on the library's own copy; the caller's record is written once, at the end.
    const uint8_t wan = caller.wanPort & 1;
    const uint8_t lan = caller.lanPort & 1;
    auto record = [](HostTableSet& t) -> BrevixC_RouterTest_T& { return t.router->record; };
    auto finish = [&](int result) {
        caller = HostTables::Instance().Update([&](HostTableSet& t) { return record(t); });
        return result;
    };
    HostTables::Instance().Update([&](HostTableSet& t) {
        t.router = RouterContext{caller, false};
        record(t).result = 0;
    });
    BrevixC_SYS_SetNICMode(wan, 1);
    PumpWait(kRouterStepMs);

    HostTables::Instance().Update([&](HostTableSet& t) {
        HostEntry& e = t.entries[wan][0];
        std::memcpy(e.ipv4, caller.wanIPv4, 4);
        std::memcpy(e.mac, caller.wanMac, 6);
        e.enabled = 1;
        e.dhcpClientActive = caller.wanDhcp ? 1 : 0;
        e.dhcpOfferSeen = 0;
        e.dhcpAckSeen = 0;
    });
    if (caller.wanDhcp) {
        // The router's WAN side is bound once our DHCP server has acknowledged its request.
        if (!WaitFor(caller.wanWaitMs, [&](HostTableSet& t) { return t.router->wanAcknowledged; })) return finish(0);
        const BrevixC_RouterTest_T r = HostTables::Instance().Update([&](HostTableSet& t) {
            std::memcpy(record(t).routerWanIPv4, t.entries[wan][0].gateway, 4);
            return record(t);
        });
        Log("WAN Gateway IP:", DottedAddress(r.routerWanIPv4));
    }
    BrevixC_RouterTest_T r = HostTables::Instance().Update(record);
    SendFrame(wan, BuildArpRequest(kBroadcast, r.wanMac, r.wanIPv4, r.routerWanIPv4, 60, 0));
    BrevixC_SYS_SetNICMode(lan, 1);
    PumpWait(kRouterStepMs);

    if (caller.lanDhcp) {
        // The entry takes the LAN MAC before it asks, and starts without an address so that the
        // wait sees the one the router gives.
        HostTables::Instance().Update([&](HostTableSet& t) {
            std::memset(record(t).lanIPv4, 0, 4);
            HostEntry& e = t.entries[lan][0];
            std::memcpy(e.mac, caller.lanMac, 6);
            std::memset(e.ipv4, 0, 4);
        });
        StartDhcpClient(lan, 0);
        if (!WaitFor(caller.lanWaitMs, [&](HostTableSet& t) { return t.entries[lan][0].dhcpState == 4; })) {
            return finish(0);
        }
        r = HostTables::Instance().Update([&](HostTableSet& t) {
            std::memcpy(record(t).lanIPv4, t.entries[lan][0].ipv4, 4);
            std::memcpy(record(t).lanGateway, t.entries[lan][0].gateway, 4);
            return record(t);
        });
        Log("Get LAN IP:", DottedAddress(r.lanIPv4));
    }
    r = HostTables::Instance().Update([&](HostTableSet& t) {
        HostEntry& e = t.entries[lan][0];
        std::memcpy(e.mac, caller.lanMac, 6);
        std::memcpy(e.ipv4, record(t).lanIPv4, 4);
        e.enabled = 1;
        return record(t);
    });
    // The gateway's MAC is not known before its ARP reply: until then the request is broadcast.
    const uint8_t zero[6] = {};
    const uint8_t* destination = std::memcmp(r.lanGatewayMac, zero, 6) ? r.lanGatewayMac : kBroadcast;
    SendFrame(lan, BuildArpRequest(destination, r.lanMac, r.lanIPv4, r.lanGateway, 60, 0));
    PumpWait(kRouterStepMs);

    r = HostTables::Instance().Update(record);
    const FrameBytes probe =
        BuildUdpProbe(r.lanGatewayMac, r.lanMac, r.lanIPv4, r.wanIPv4, r.probeSourcePort, r.watchedPort);
    for (int i = 0; i < 5; ++i) SendFrame(lan, probe);

    BrevixC_SYS_SetNICMode(wan, 1);
    HostTables::Instance().Update([&](HostTableSet& t) { t.entries[wan][0].enabled = 1; });
    PumpWait(kRouterStepMs);
    PumpWait(kRouterStepMs);
    r = HostTables::Instance().Update(record);
    return finish(r.result != 0 && r.result != 0xFFFF ? 1 : 0);
}

}  // namespace capi
