// brevix-sim: plays a whole Brevix tester on one network interface until it is stopped: the
// register side on the interface, the driver side (and a Brevix-H's USB unit) on the default
// driver pipe.

#include "sim/FullTester.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

HANDLE stopEvent;

BOOL WINAPI OnConsoleEvent(DWORD) {
    SetEvent(stopEvent);
    return TRUE;
}

int Usage() {
    std::fprintf(stderr, "usage: brevix-sim [--interface NAME] [--machine-id 1-4]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string interfaceName = "bvd0";
    int machineId = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--interface") == 0 && i + 1 < argc) {
            interfaceName = argv[++i];
        } else if (std::strcmp(argv[i], "--machine-id") == 0 && i + 1 < argc) {
            machineId = std::atoi(argv[++i]);
            if (machineId < 1 || machineId > 4) return Usage();
        } else {
            return Usage();
        }
    }
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
    const sim::TesterIdentity identity = sim::FullTester::FactoryIdentity(machineId);
    std::printf("brevix-sim: %s (machine id %d, serial %s) answering on %s\n", identity.model.c_str(), machineId,
                identity.serialNumber.c_str(), interfaceName.c_str());
    if (sim::UsbUnit* unit = tester.Usb())
        std::printf("brevix-sim: its USB unit %04x:%04x is on the USB tree of the driver pipe\n", unit->VendorId(),
                    unit->ProductId());
    std::fflush(stdout);
    WaitForSingleObject(stopEvent, INFINITE);
    tester.Stop();
    return 0;
}
