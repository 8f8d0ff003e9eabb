// The framework's program entry runs the application object: InitInstance with the command line and
// instance, and ExitInstance's result as the exit code when InitInstance declines the loop.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(AppProgram, EntryRunsTheApplicationObject) {
    wchar_t module[MAX_PATH];
    DWORD length = ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring path(module, length);
    path = path.substr(0, path.find_last_of(L'\\') + 1) + L"framework_test_program.exe";
    std::wstring commandLine = L"\"" + path + L"\" --probe";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(::CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                 &process));
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(process.hProcess, 30000));
    DWORD exitCode = 0;
    ::GetExitCodeProcess(process.hProcess, &exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    EXPECT_EQ(43u, exitCode);
}

}  // namespace
