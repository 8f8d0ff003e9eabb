// The port-monitor launcher: the request record, and the export against a stand-in monitor that
// logs what reaches it (tests/ratelib/StandInPortMonitor.cpp, built as Velmora\Velmora.exe).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Sorvane.h"
#include "support/Waiting.h"
#include "ui/LangMag.h"
#include "ui/PortMonitor.h"

namespace {

TEST(MonitorRequest, CutsTheNameOnACharacterBoundaryOfTheCodePage) {
    // Ten Japanese characters take two bytes each in code page 932: nine of them fit in 19 bytes.
    const std::wstring name(10, L'\x65E5');
    const std::string cut = sorvane::EncodeWithin(name, 932, 19);
    EXPECT_EQ(cut.size(), 18u);
    std::string nine;
    for (int i = 0; i < 9; ++i) nine += "\x93\xfa";  // U+65E5 in code page 932
    EXPECT_EQ(cut, nine);
}

TEST(MonitorRequest, AFortyCharacterNameKeepsItsFirst19BytesAndAZero) {
    const sorvane::MonitorRequest request =
        sorvane::BuildMonitorRequest(1, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn", -5);
    std::uint8_t bytes[28];
    std::memcpy(bytes, &request, 28);
    const std::uint8_t expected[28] = {1, 0, 0, 0, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J',
                                       'K', 'L', 'M', 'N', 'O', 'P', 'Q', 'R', 'S', 0, 0xFB, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(0, std::memcmp(bytes, expected, 28));
}

class PortMonitorLauncher : public testing::Test {
protected:
    void SetUp() override {
        CloseMonitor();
        DeleteFileW(LogPath().c_str());
    }
    void TearDown() override { CloseMonitor(); }

    static std::wstring LogPath() { return (HostProgramFolder() + L"Velmora\\monitor.log").GetString(); }

    static std::vector<std::string> LogLines() {
        const std::wstring path = LogPath();
        std::ifstream file(std::string(path.begin(), path.end()));
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);) lines.push_back(line);
        return lines;
    }

    static HWND Monitor() { return FindWindowW(nullptr, L"Port Status List"); }

    static void CloseMonitor() {
        if (HWND monitor = Monitor()) {
            PostMessageW(monitor, WM_CLOSE, 0, 0);
            ASSERT_TRUE(support::Eventually([] { return Monitor() == nullptr; }));
        }
    }

    static void StartMonitorOurselves() {
        std::wstring line = L"\"" + std::wstring((HostProgramFolder() + L"Velmora\\Velmora.exe").GetString()) + L"\" /Iearlier";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        ASSERT_TRUE(support::Eventually([] { return Monitor() != nullptr; }));
    }

    // "copydata <dwData> <cbData>" and the record's bytes in hex.
    static std::string Request(std::int32_t command, const std::string& name, std::int32_t value) {
        std::uint8_t bytes[28] = {};
        std::memcpy(bytes, &command, 4);
        std::memcpy(bytes + 4, name.data(), name.size());
        std::memcpy(bytes + 24, &value, 4);
        std::ostringstream out;
        out << "copydata 0 28";
        for (std::uint8_t b : bytes) {
            char hex[4];
            std::snprintf(hex, sizeof hex, " %02x", b);
            out << hex;
        }
        return out.str();
    }
};

TEST_F(PortMonitorLauncher, AnOpenWindowGetsOneRequestWithCommand1EvenForValue0) {
    StartMonitorOurselves();
    Ostrel_InvokeVelmora("Local Area 1", 0);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"start /Iearlier", Request(1, "Local Area 1", 0)}));
}

TEST_F(PortMonitorLauncher, AFortyCharacterNameArrivesAsItsFirst19Bytes) {
    StartMonitorOurselves();
    Ostrel_InvokeVelmora("0123456789012345678901234567890123456789", 77);
    EXPECT_EQ(LogLines().back(), Request(1, "0123456789012345678", 77));
}

TEST_F(PortMonitorLauncher, WithoutTheWindowValue0StartsTheMonitorWithTheNameAndSendsNothing) {
    Ostrel_InvokeVelmora("Local Area Connection 2", 0);
    ASSERT_TRUE(support::Eventually([] { return Monitor() != nullptr; }));
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"start /ILocal Area Connection 2"}));
}

TEST_F(PortMonitorLauncher, WithoutTheWindowAValueStartsTheMonitorAndSendsCommand0) {
    // The call gives the started monitor 500 ms to show its window. A loaded machine may start it
    // later, and then nothing is sent, but only after the whole wait: each try is one or the other,
    // and a try whose monitor comes up in time sends the record.
    for (int attempt = 0; attempt < 5; ++attempt) {
        const ULONGLONG before = GetTickCount64();
        Ostrel_InvokeVelmora("eth1", 3);
        const ULONGLONG took = GetTickCount64() - before;
        ASSERT_TRUE(support::Eventually([] { return Monitor() != nullptr; }));
        const std::vector<std::string> lines = LogLines();
        if (lines.size() > 1) {
            EXPECT_EQ(lines, (std::vector<std::string>{"start /Ieth1", Request(0, "eth1", 3)}));
            return;
        }
        EXPECT_EQ(lines, std::vector<std::string>{"start /Ieth1"});
        EXPECT_GE(took, 500u) << "gave up on the monitor before its wait was over";
        CloseMonitor();
        DeleteFileW(LogPath().c_str());
    }
    FAIL() << "the monitor never showed its window within the call's wait";
}

// The thread's processor time so far, in milliseconds.
double ThreadCpuMs() {
    FILETIME created, ended, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
    auto ms = [](const FILETIME& t) { return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e4; };
    return ms(kernel) + ms(user);
}

TEST_F(PortMonitorLauncher, WaitsForAMonitorThatNeverComesWithoutSpinning) {
    const std::wstring program = (HostProgramFolder() + L"Velmora\\Velmora.exe").GetString();
    const std::wstring away = program + L".away";
    ASSERT_TRUE(MoveFileW(program.c_str(), away.c_str()));
    // The same call without the wait, for the processor time that starting the program costs. A wait
    // that polls its queue in a loop costs well over 100 ms here; one that sleeps, next to nothing.
    double before = ThreadCpuMs();
    Ostrel_InvokeVelmora("eth9", 0);
    const double withoutWait = ThreadCpuMs() - before;
    before = ThreadCpuMs();
    const ULONGLONG start = GetTickCount64();
    Ostrel_InvokeVelmora("eth9", 5);
    const ULONGLONG elapsed = GetTickCount64() - start;
    const double withWait = ThreadCpuMs() - before;
    MoveFileW(away.c_str(), program.c_str());
    EXPECT_GE(elapsed, 490u);
    EXPECT_LT(withWait - withoutWait, 60.0) << "half a second of waiting took " << withWait << " ms of processor time";
    EXPECT_TRUE(LogLines().empty());
}

}  // namespace
