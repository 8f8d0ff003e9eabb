// flashw7_download_bench: how much the Windows 7 library adds to the chip driver's own WMI cost in
// an FPGA download. One run against the simulated driver: the download of a 1 MiB image through the
// library (preparation, erase, 5000 pages programmed, one verify pass), then the very WMI calls it
// made, replayed in order (two rounds of both) through the chip-driver layer alone (query and instance write, instance
// enumeration and property read).
//
// The fixed waits are set apart: the library runs with a clock that counts its waits instead of
// waiting them (the half minute after the erase, the 20 ms before each page read, the 1 ms pauses
// around each program and the 20 ms before each status read), and they are printed on their own.

#include "FpgaDownload.h"
#include "chipdriver/ChipDriver.h"
#include "sim/ChipDriver.h"

#include "bench/Timing.h"

#include <wbemcli.h>
#include <wrl/client.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

using bench::Clock;
using bench::MillisecondsSince;
using Microsoft::WRL::ComPtr;
using sim::Bytes;

class CountingClock : public win7::Clock {
public:
    uint64_t pumpedMs = 0, pausedMs = 0;
    DWORD Ticks() override { return GetTickCount() + DWORD(pumpedMs + pausedMs); }
    void WaitMs(uint32_t milliseconds) override { pumpedMs += milliseconds; }
    void Pause(uint32_t milliseconds) override { pausedMs += milliseconds; }
};

Bytes OneMebibyteImage() {
    Bytes image = {'P', 'O', 'F', 0, 1, 2, 3, 4};
    image.insert(image.end(), 16, 0xFF);
    while (image.size() < 8 + (1u << 20)) image.push_back(uint8_t(image.size() * 131 + 7));
    return image;
}

std::wstring WriteTempFile(const Bytes& bytes) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path =
        std::wstring(folder) + L"brevix-w7-bench-" + std::to_wstring(GetCurrentProcessId()) + L".pof";
    if (std::FILE* file = _wfopen(path.c_str(), L"wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    return path;
}

VARIANT ToVariant(const sim::WmiValue& value) {
    VARIANT v;
    VariantInit(&v);
    if (value.type == VT_I4) {
        v.vt = VT_I4;
        v.lVal = value.i4;
        return v;
    }
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, ULONG(value.bytes.size()));
    void* data = nullptr;
    SafeArrayAccessData(array, &data);
    if (!value.bytes.empty()) std::memcpy(data, value.bytes.data(), value.bytes.size());
    SafeArrayUnaccessData(array);
    v.vt = VT_ARRAY | VT_UI1;
    v.parray = array;
    return v;
}

// The logged WMI calls made again through the layer alone: each query's first instance takes the
// properties the library put and is written back; each enumeration's first instance is read.
void Replay(IWbemServices* services, const std::vector<sim::DriverCall>& calls) {
    BSTR language = SysAllocString(L"WQL");
    ComPtr<IWbemClassObject> queried;
    for (const sim::DriverCall& call : calls) {
        ULONG returned = 0;
        if (call.kind == sim::DriverCall::Kind::WmiQuery) {
            BSTR query = SysAllocString(call.target.c_str());
            ComPtr<IEnumWbemClassObject> items;
            services->ExecQuery(language, query, WBEM_FLAG_RETURN_IMMEDIATELY | WBEM_FLAG_FORWARD_ONLY, nullptr,
                                items.GetAddressOf());
            SysFreeString(query);
            items->Next(WBEM_INFINITE, 1, queried.ReleaseAndGetAddressOf(), &returned);
        } else if (call.kind == sim::DriverCall::Kind::WmiPut) {
            for (const auto& [name, value] : call.object.properties) {
                VARIANT v = ToVariant(value);
                queried->Put(name.c_str(), 0, &v, 0);
                VariantClear(&v);
            }
            services->PutInstance(queried.Get(), WBEM_FLAG_UPDATE_ONLY, nullptr, nullptr);
        } else if (call.kind == sim::DriverCall::Kind::WmiEnumerate) {
            BSTR name = SysAllocString(call.target.c_str());
            ComPtr<IEnumWbemClassObject> items;
            services->CreateInstanceEnum(name, WBEM_FLAG_SHALLOW | WBEM_FLAG_FORWARD_ONLY, nullptr,
                                         items.GetAddressOf());
            SysFreeString(name);
            ComPtr<IWbemClassObject> object;
            items->Next(WBEM_INFINITE, 1, object.GetAddressOf(), &returned);
            VARIANT v;
            VariantInit(&v);
            object->Get(call.target == L"AX88172ASpiStatus_OID" ? L"SpiStatus" : L"SpiData", 0, &v, nullptr, nullptr);
            VariantClear(&v);
        }
    }
    SysFreeString(language);
}

}  // namespace

int main() {
    sim::DriverHost host;
    sim::ChipDriver chip(host);
    host.Start();
    host.Attach();
    CountingClock clock;
    win7::FlashCommands flash(clock);
    if (!flash.Init(false)) {
        std::fprintf(stderr, "flashw7_download_bench: the flash layer did not initialise\n");
        return 1;
    }
    const Bytes image = OneMebibyteImage();
    const std::wstring path = WriteTempFile(image);

    // The layer's own connection for the replay.
    ComPtr<IWbemLocator> locator;
    ComPtr<IWbemServices> services;
    chipdriver::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                 reinterpret_cast<void**>(locator.GetAddressOf()));
    BSTR nameSpace = SysAllocString(L"root\\wmi");
    locator->ConnectServer(nameSpace, nullptr, nullptr, nullptr, 0, nullptr, nullptr, services.GetAddressOf());
    SysFreeString(nameSpace);

    // Two rounds, each a download and then its calls replayed, so that both figures see the
    // machine in much the same state.
    constexpr int kRounds = 2;
    bool passed = true;
    size_t callCount = 0;
    double libraryMs = 0, layerMs = 0;
    for (int round = 0; round < kRounds; ++round) {
        host.ClearCalls();
        const Clock::time_point downloadStart = Clock::now();
        std::FILE* file = _wfopen(path.c_str(), L"rb");
        passed = win7::DownloadFpgaImage(file, flash, L"flashw7_download_bench: no such window") && passed;
        std::fclose(file);
        libraryMs += MillisecondsSince(downloadStart);
        const std::vector<sim::DriverCall> calls = host.Calls();
        callCount = calls.size();
        host.ClearCalls();
        const Clock::time_point layerStart = Clock::now();
        Replay(services.Get(), calls);
        layerMs += MillisecondsSince(layerStart);
    }
    DeleteFileW(path.c_str());
    services.Reset();
    locator.Reset();
    flash.Shutdown();

    std::printf("Windows 7 FPGA download of a 1 MiB image, %d rounds: 5000 pages, %zu WMI calls each, flash %s\n",
                kRounds, callCount, passed ? "verified" : "NOT VERIFIED");
    std::printf("  fixed waits (excluded, counted not waited): pumped %llu ms, status-poll pauses %llu ms\n",
                static_cast<unsigned long long>(clock.pumpedMs), static_cast<unsigned long long>(clock.pausedMs));
    std::printf("  download through the library, fixed waits excluded: %10.1f ms\n", libraryMs);
    std::printf("  same WMI calls through the chip-driver layer:       %10.1f ms\n", layerMs);
    std::printf("  ratio library / layer: %.2f\n", libraryMs / layerMs);
    return passed ? 0 : 1;
}
