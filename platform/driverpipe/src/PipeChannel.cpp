#include "driverpipe/PipeChannel.h"

namespace driverpipe {

namespace {

constexpr wchar_t kDefaultPipe[] = L"\\\\.\\pipe\\brevix-driver";
constexpr DWORD kBusyWaitMs = 2000;
constexpr int kConnectTries = 20;

bool ReadMessage(HANDLE channel, Bytes* message) {
    message->clear();
    for (;;) {
        uint8_t chunk[16384];
        DWORD read = 0;
        const BOOL done = ReadFile(channel, chunk, sizeof chunk, &read, nullptr);
        message->insert(message->end(), chunk, chunk + read);
        if (done) return true;
        if (GetLastError() != ERROR_MORE_DATA) return false;
    }
}

}  // namespace

std::wstring PipeName() {
    wchar_t name[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"BREVIX_DRIVER_PIPE", name, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return kDefaultPipe;
    return name;
}

HANDLE ConnectChannel(DWORD* error) {
    const std::wstring name = PipeName();
    for (int attempt = 0; attempt < kConnectTries; ++attempt) {
        HANDLE channel = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (channel != INVALID_HANDLE_VALUE) {
            DWORD mode = PIPE_READMODE_MESSAGE;
            if (SetNamedPipeHandleState(channel, &mode, nullptr, nullptr)) return channel;
            *error = GetLastError();
            ::CloseHandle(channel);
            return INVALID_HANDLE_VALUE;
        }
        *error = GetLastError();
        // Every instance of the pipe is serving another connection: wait for one to come free.
        if (*error != ERROR_PIPE_BUSY || !WaitNamedPipeW(name.c_str(), kBusyWaitMs)) break;
    }
    if (*error == ERROR_PATH_NOT_FOUND || *error == ERROR_BAD_PATHNAME) *error = ERROR_FILE_NOT_FOUND;
    return INVALID_HANDLE_VALUE;
}

bool Transact(HANDLE channel, const Request& request, Reply* reply) {
    const Bytes message = EncodeRequest(request);
    DWORD written = 0;
    if (!WriteFile(channel, message.data(), DWORD(message.size()), &written, nullptr) || written != message.size())
        return false;
    Bytes answer;
    if (!ReadMessage(channel, &answer) || answer.size() < 8) return false;
    *reply = DecodeReply(answer);
    return true;
}

}  // namespace driverpipe
