// brevix-sim: plays a whole Brevix tester on one network interface until it is stopped: the
// register side on the interface, the driver side (and a Brevix-H's USB unit) on the default
// driver pipe. With --demo its ports carry live traffic. Command lines on stdin and on the control
// pipe lose the tester, bring it back, take links down and up and start error bursts.

#include "sim/ControlChannel.h"
#include "sim/DemoTraffic.h"
#include "sim/FullTester.h"
#include "sim/TesterControl.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

namespace {

HANDLE stopEvent;

BOOL WINAPI OnConsoleEvent(DWORD) {
    SetEvent(stopEvent);
    return TRUE;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: brevix-sim [--interface NAME] [--machine-id 1-4] [--demo] [--host-interface NAME]\n"
                 "                  [--control-pipe NAME]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string interfaceName = "bvd0";
    std::string hostInterface;
    std::wstring controlPipe = sim::ControlChannel::kDefaultPipeName;
    int machineId = 1;
    bool demo = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--interface") == 0 && i + 1 < argc) {
            interfaceName = argv[++i];
        } else if (std::strcmp(argv[i], "--machine-id") == 0 && i + 1 < argc) {
            machineId = std::atoi(argv[++i]);
            if (machineId < 1 || machineId > 4) return Usage();
        } else if (std::strcmp(argv[i], "--demo") == 0) {
            demo = true;
        } else if (std::strcmp(argv[i], "--host-interface") == 0 && i + 1 < argc) {
            hostInterface = argv[++i];
        } else if (std::strcmp(argv[i], "--control-pipe") == 0 && i + 1 < argc) {
            const std::string name = argv[++i];
            controlPipe.assign(name.begin(), name.end());
        } else {
            return Usage();
        }
    }
    if (hostInterface.empty()) hostInterface = sim::HostSideOf(interfaceName);
    std::string error;
    auto link = sim::PcapLink::Open(interfaceName, &error);
    if (!link) {
        std::fprintf(stderr, "brevix-sim: cannot open %s: %s\n", interfaceName.c_str(), error.c_str());
        return 1;
    }
    stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);

    sim::FullTester tester(std::move(link), machineId);
    tester.Start();
    std::unique_ptr<sim::DemoTraffic> traffic;
    if (demo) {
        traffic = std::make_unique<sim::DemoTraffic>(tester);
        traffic->Start();
    }
    sim::TesterControl control(tester, traffic.get(), hostInterface);
    sim::ControlChannel channel(control, controlPipe);
    channel.Start();

    const sim::TesterIdentity identity = tester.Model().Identity();
    std::printf("brevix-sim: %s (machine id %d, serial %s) answering on %s\n", identity.model.c_str(), machineId,
                identity.serialNumber.c_str(), interfaceName.c_str());
    if (sim::UsbUnit* unit = tester.Usb())
        std::printf("brevix-sim: its USB unit %04x:%04x is on the USB tree of the driver pipe\n", unit->VendorId(),
                    unit->ProductId());
    if (demo) std::printf("brevix-sim: both ports carry demonstration traffic\n");
    std::printf("brevix-sim: commands on stdin and on %ls (try help)\n", controlPipe.c_str());
    std::fflush(stdout);
    // The reader of stdin blocks until its stream ends; the process ends without waiting for it.
    std::thread([&channel] { channel.ServeStream(stdin, stdout); }).detach();
    WaitForSingleObject(stopEvent, INFINITE);
    channel.Stop();
    if (traffic) traffic->Stop();
    tester.Stop();
    // Ended here, while what the stdin reader may still be using exists.
    std::fflush(stdout);
    ExitProcess(0);
}
