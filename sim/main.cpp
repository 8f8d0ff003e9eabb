// brevix-sim: plays a Brevix tester on one network interface until it is stopped.

#include "sim/Tester.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

HANDLE stopEvent;

BOOL WINAPI OnConsoleEvent(DWORD) {
    SetEvent(stopEvent);
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    std::string interfaceName = "bvd0";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--interface") == 0 && i + 1 < argc) interfaceName = argv[++i];
        else {
            std::fprintf(stderr, "usage: brevix-sim [--interface NAME]\n");
            return 2;
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

    sim::Tester tester(std::move(link));
    tester.Start();
    std::printf("brevix-sim: Brevix tester simulator answering on %s\n", interfaceName.c_str());
    std::fflush(stdout);
    WaitForSingleObject(stopEvent, INFINITE);
    tester.Stop();
    return 0;
}
