#include "sim/PipeIo.h"

namespace sim {

bool FinishPipeIo(HANDLE pipe, OVERLAPPED& overlapped, BOOL started, HANDLE stop, DWORD* transferred) {
    if (!started && GetLastError() == ERROR_IO_PENDING) {
        HANDLE events[2] = {overlapped.hEvent, stop};
        if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0) {
            CancelIo(pipe);
            GetOverlappedResult(pipe, &overlapped, transferred, TRUE);
            SetLastError(ERROR_OPERATION_ABORTED);
            return false;
        }
    } else if (!started && GetLastError() != ERROR_MORE_DATA) {
        return false;
    }
    return GetOverlappedResult(pipe, &overlapped, transferred, TRUE);
}

bool ReadPipeMessage(HANDLE pipe, HANDLE ioEvent, HANDLE stop, Bytes* message) {
    message->clear();
    for (;;) {
        uint8_t chunk[16384];
        OVERLAPPED overlapped{};
        overlapped.hEvent = ioEvent;
        DWORD read = 0;
        const bool done = FinishPipeIo(pipe, overlapped, ReadFile(pipe, chunk, sizeof chunk, nullptr, &overlapped), stop, &read);
        message->insert(message->end(), chunk, chunk + read);
        if (done) return true;
        if (GetLastError() != ERROR_MORE_DATA) return false;
    }
}

bool WritePipeMessage(HANDLE pipe, HANDLE ioEvent, HANDLE stop, const Bytes& message) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = ioEvent;
    DWORD written = 0;
    return FinishPipeIo(pipe, overlapped, WriteFile(pipe, message.data(), DWORD(message.size()), nullptr, &overlapped), stop,
                  &written) &&
           written == message.size();
}

bool AwaitPipeClient(HANDLE pipe, HANDLE ioEvent, HANDLE stop) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = ioEvent;
    if (!ConnectNamedPipe(pipe, &overlapped) && GetLastError() == ERROR_PIPE_CONNECTED) return true;
    DWORD unused = 0;
    return FinishPipeIo(pipe, overlapped, FALSE, stop, &unused);
}

}  // namespace sim
