#include "driverpipe/DeviceCalls.h"

#include "driverpipe/PipeChannel.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace driverpipe {

HANDLE CreateFileW(LPCWSTR fileName, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES, DWORD disposition,
                   DWORD flagsAndAttributes, HANDLE) {
    DWORD error = ERROR_SUCCESS;
    HANDLE channel = ConnectChannel(&error);
    if (channel == INVALID_HANDLE_VALUE) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    Request request;
    request.op = Op::Open;
    request.args[0] = access;
    request.args[1] = share;
    request.args[2] = disposition;
    request.args[3] = flagsAndAttributes;
    const std::wstring path = fileName ? fileName : L"";
    for (wchar_t c : path) request.payload.push_back(uint8_t(c)), request.payload.push_back(uint8_t(c >> 8));
    Reply reply;
    if (!Transact(channel, request, &reply)) reply.status = ERROR_FILE_NOT_FOUND;
    if (reply.status != ERROR_SUCCESS) {
        ::CloseHandle(channel);
        SetLastError(reply.status);
        return INVALID_HANDLE_VALUE;
    }
    return channel;
}

BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID input, DWORD inputLength, LPVOID output, DWORD outputLength,
                     LPDWORD bytesReturned, LPOVERLAPPED overlapped) {
    if (overlapped) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    Request request;
    request.op = Op::IoControl;
    request.args[0] = code;
    request.args[1] = output ? outputLength : 0;
    if (input && inputLength) {
        const auto* bytes = static_cast<const uint8_t*>(input);
        request.payload.assign(bytes, bytes + inputLength);
    }
    Reply reply;
    if (!Transact(device, request, &reply)) {
        SetLastError(ERROR_DEVICE_NOT_CONNECTED);
        return FALSE;
    }
    const DWORD returned = DWORD(std::min<size_t>(reply.payload.size(), request.args[1]));
    if (returned) std::memcpy(output, reply.payload.data(), returned);
    if (bytesReturned) *bytesReturned = returned;
    if (reply.status != ERROR_SUCCESS) {
        SetLastError(reply.status);
        return FALSE;
    }
    return TRUE;
}

BOOL ReadDevice(HANDLE device, void* buffer, DWORD length, DWORD* read, DWORD timeoutMs) {
    if (read) *read = 0;
    Request request;
    request.op = Op::Read;
    request.args[0] = length;
    request.args[1] = timeoutMs;
    Reply reply;
    if (!Transact(device, request, &reply)) {
        SetLastError(ERROR_DEVICE_NOT_CONNECTED);
        return FALSE;
    }
    const DWORD got = DWORD(std::min<size_t>(reply.payload.size(), length));
    if (got && buffer) std::memcpy(buffer, reply.payload.data(), got);
    if (read) *read = got;
    if (reply.status != ERROR_SUCCESS) {
        SetLastError(reply.status);
        return FALSE;
    }
    return TRUE;
}

BOOL WriteDevice(HANDLE device, const void* buffer, DWORD length, DWORD* written, DWORD timeoutMs) {
    if (written) *written = 0;
    Request request;
    request.op = Op::Write;
    request.args[0] = timeoutMs;
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    if (bytes && length) request.payload.assign(bytes, bytes + length);
    Reply reply;
    if (!Transact(device, request, &reply)) {
        SetLastError(ERROR_DEVICE_NOT_CONNECTED);
        return FALSE;
    }
    if (written) *written = reply.value;
    if (reply.status != ERROR_SUCCESS) {
        SetLastError(reply.status);
        return FALSE;
    }
    return TRUE;
}

BOOL CloseHandle(HANDLE device) {
    Request request;
    request.op = Op::Close;
    Reply reply;
    // The simulator logs the close when it answers, so the log is complete once this returns.
    Transact(device, request, &reply);
    return ::CloseHandle(device);
}

}  // namespace driverpipe
