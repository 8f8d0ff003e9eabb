#pragma once
// Downloads to the simulated unit: what the callbacks reported, files of the image layouts, and a
// fixture with the host callback and the Korrin-layer callback recording.

#include "support/CallbackRecorder.h"
#include "support/Waiting.h"
#include "usb/UsbBench.h"

#include <cstring>
#include <fstream>
#include <mutex>

namespace usbbench {

using DownloadFirmware = int(__stdcall*)(const wchar_t*);
using DownloadFpga = int(__stdcall*)(const uint8_t*, int, int);
using DownloadRavlo = int(__stdcall*)(const char*);
using Init = int(__stdcall*)(Korrin_Callback);
using NoArgs = int(__stdcall*)();

struct Status {
    uint16_t status, value;
    bool operator==(const Status& o) const { return status == o.status && value == o.value; }
};

// What the Korrin-layer callback reported: (status, percent).
inline std::mutex reportsLock;
inline std::vector<std::pair<int, int>> reports;

inline void __stdcall RecordReport(int status, const uint8_t* percent, int count) {
    std::lock_guard<std::mutex> guard(reportsLock);
    if (count == 1) reports.emplace_back(status, *percent);
}

inline std::vector<std::pair<int, int>> Reports() {
    std::lock_guard<std::mutex> guard(reportsLock);
    return reports;
}

inline std::vector<Status> StatusMessages(uint16_t type) {
    std::vector<Status> out;
    for (const support::HostMessage& m : support::CallbackRecorder::Instance().OfType(type))
        out.push_back({uint16_t(m.bytes[18] | m.bytes[19] << 8), uint16_t(m.bytes[20] | m.bytes[21] << 8)});
    return out;
}

inline Bytes Pattern(size_t length, uint8_t seed) {
    Bytes data(length);
    for (size_t i = 0; i < length; ++i) data[i] = uint8_t(seed + i * 13 + i / 251);
    return data;
}

inline std::string WriteFile(const std::string& name, const Bytes& bytes) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + name + std::to_string(GetCurrentProcessId());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

inline std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

inline uint16_t Crc(const uint8_t* data, size_t length) {
    uint16_t crc = 0;
    for (size_t i = 0; i < length; ++i) {
        crc ^= uint16_t(data[i] << 8);
        for (int b = 0; b < 8; ++b) crc = uint16_t(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

inline Bytes RavloFile(const Bytes& data, const char* text) {
    Bytes file(1056, 0);
    std::memcpy(&file[2], text, std::strlen(text));
    file.insert(file.end(), data.begin(), data.end());
    const uint16_t crc = Crc(file.data() + 32, file.size() - 32);
    file[0] = uint8_t(crc), file[1] = uint8_t(crc >> 8);
    return file;
}

class UsbDownloadTest : public UsbTest {
protected:
    void SetUp() override {
        BrevixC_SYS_Init(support::CallbackRecorder::Callback, 255);
        UsbTest::SetUp();
        support::CallbackRecorder::Instance().Clear();
        std::lock_guard<std::mutex> guard(reportsLock);
        reports.clear();
        Export<Init>("_Korrin_Init@4")(RecordReport);
    }
    void TearDown() override {
        Unit().ClearFaults();
        UsbTest::TearDown();
    }
};

}  // namespace usbbench
