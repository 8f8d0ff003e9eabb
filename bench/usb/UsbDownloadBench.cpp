// usb_download_bench: what the library adds to the transport's own cost in a firmware download.
// Per transport, against a simulated unit: the worker download of a 1 MiB image through the
// library, timed until the unit holds the end packet, and the same 17,477 chunk packets, each
// answered before the next goes, through the transport alone, timed in turns (a library run, then
// a transport run, five of each) and each side's best run compared, so that a moment of load on a
// shared machine does not decide the ratio. The 35 seconds the unit takes to check the image after
// the end packet are a fixed wait of the protocol: each library run is ended there by a terminate,
// untimed. Each transport runs in a process of its own.

#include "BrevixCUsb.h"
#include "bench/Timing.h"
#include "sim/UsbUnit.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

using bench::Clock;
using Bytes = std::vector<uint8_t>;

constexpr size_t kImage = 1024 * 1024;
constexpr size_t kChunk = 60;

using bench::SecondsSince;

constexpr int kRunsEach = 5;

Bytes Chunk(const Bytes& data, size_t index) {
    Bytes packet(64, 0);
    const size_t size = std::min(kChunk, data.size() - index * kChunk);
    packet[0] = 9;
    packet[1] = uint8_t(size);
    packet[2] = uint8_t(index);
    packet[3] = uint8_t(index >> 8);
    std::memcpy(&packet[4], &data[index * kChunk], size);
    return packet;
}

// The chunks through the unit's HID pipe with the system's file calls: a report out, a report in.
double HidAlone(const std::wstring& path, const Bytes& data) {
    HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                             nullptr);
    HANDLE in =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    const auto start = Clock::now();
    for (size_t i = 0; i * kChunk < data.size(); ++i) {
        Bytes report(65, 0);
        const Bytes packet = Chunk(data, i);
        std::copy(packet.begin(), packet.end(), report.begin() + 1);
        DWORD moved = 0;
        WriteFile(out, report.data(), 65, &moved, nullptr);
        ReadFile(in, report.data(), 65, &moved, nullptr);
    }
    const double seconds = SecondsSince(start);
    CloseHandle(out);
    CloseHandle(in);
    return seconds;
}

// The chunks through mpusbapi.dll's pipes.
double MpusbAlone(const Bytes& data) {
    HMODULE driver = LoadLibraryW(L"mpusbapi.dll");
    using Open = HANDLE(WINAPI*)(DWORD, const char*, const char*, DWORD, DWORD);
    using Transfer = DWORD(WINAPI*)(HANDLE, void*, DWORD, DWORD*, DWORD);
    using Close = BOOL(WINAPI*)(HANDLE);
    auto open = reinterpret_cast<Open>(reinterpret_cast<void*>(GetProcAddress(driver, "_MPUSBOpen")));
    auto write = reinterpret_cast<Transfer>(reinterpret_cast<void*>(GetProcAddress(driver, "_MPUSBWrite")));
    auto read = reinterpret_cast<Transfer>(reinterpret_cast<void*>(GetProcAddress(driver, "_MPUSBRead")));
    auto close = reinterpret_cast<Close>(reinterpret_cast<void*>(GetProcAddress(driver, "_MPUSBClose")));
    HANDLE out = open(0, "vid_2403&pid_1688", "\\MCHP_EP1", 0, 0);
    HANDLE in = open(0, "vid_2403&pid_1688", "\\MCHP_EP1", 1, 0);
    const auto start = Clock::now();
    for (size_t i = 0; i * kChunk < data.size(); ++i) {
        Bytes packet = Chunk(data, i);
        DWORD moved = 0;
        write(out, packet.data(), 64, &moved, 1000);
        read(in, packet.data(), 64, &moved, 1000);
    }
    const double seconds = SecondsSince(start);
    close(out);
    close(in);
    return seconds;
}

double Library(sim::UsbUnit& unit, const std::wstring& file) {
    using Download = int(__stdcall*)(const wchar_t*);
    auto download = reinterpret_cast<Download>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"BrevixCAPI.dll"), "_Korrin_DownloadFirmware@4")));
    if (BrevixH_SYS_SetDeviceType(4) != 1 || BrevixH_SYS_ConnectToDevice() != 1) return -1;
    const auto start = Clock::now();
    if (download(file.c_str()) != 0) return -1;
    // Woken by the unit: a loop that looked every millisecond would take the window server's time
    // from the download it measures.
    if (!unit.AwaitFirmwareComplete(std::chrono::minutes(5))) return -1;
    return SecondsSince(start);
}

// One transport in this process.
int RunTransport(sim::UsbTransport transport) {
    Bytes data(kImage);
    for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i * 31 + i / 977);
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring file = std::wstring(folder) + L"usb-bench-firmware-" + std::to_wstring(GetCurrentProcessId());
    {
        Bytes image(512, 0);
        image.insert(image.end(), data.begin(), data.end());
        std::ofstream(file.c_str(), std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
    }
    sim::DriverHost host;
    host.Start();
    host.Attach();
    sim::UsbTopology usb(host);
    sim::UsbUnit unit(host, usb, usb.AddHostController(0, 2), 1, sim::UsbModel::BrevixH, transport);
    double library = 1e300, alone = 1e300;
    bool stored = true;
    for (int run = 0; run < kRunsEach; ++run) {
        unit.ClearReceived();
        const double seconds = Library(unit, file);
        stored = stored && seconds > 0 && unit.Firmware() == data;
        library = std::min(library, seconds > 0 ? seconds : 1e300);
        // The worker now waits out the unit's checking; the terminate ends it and frees the
        // channel for the transport alone, whose chunk 0 starts the unit's image afresh.
        BrevixH_SYS_TerminateProcess();
        unit.ClearReceived();
        alone = std::min(alone, transport == sim::UsbTransport::Hid ? HidAlone(unit.InterfacePath(), data)
                                                                    : MpusbAlone(data));
    }
    std::printf("%-5s library %.2f s, transport alone %.2f s, ratio %.2f (best of %d runs each, in turns)%s\n",
                transport == sim::UsbTransport::Hid ? "HID" : "MPUSB", library, alone, library / alone, kRunsEach,
                stored ? "" : " (the stored image differs!)");
    std::fflush(stdout);
    DeleteFileW(file.c_str());
    ExitProcess(stored ? 0 : 1);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1)
        return RunTransport(std::strcmp(argv[1], "mpusb") == 0 ? sim::UsbTransport::Mpusb : sim::UsbTransport::Hid);
    std::printf("1 MiB firmware download, %zu chunks of 60 bytes, each answered before the next\n",
                (kImage + kChunk - 1) / kChunk);
    std::fflush(stdout);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    int failed = 0;
    for (const wchar_t* transport : {L"hid", L"mpusb"}) {
        std::wstring command = L"\"" + std::wstring(self) + L"\" " + transport;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
            return 1;
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 1;
        GetExitCodeProcess(process.hProcess, &code);
        failed += code != 0;
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    std::printf("fixed wait after each end packet, not timed: the unit's 35 s of checking, ended by a terminate\n");
    return failed ? 1 : 0;
}
