#include "SafeSave.h"

#include <windows.h>

#include <algorithm>

namespace xls {
namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    bool Close() {
        const bool closed = !Valid() || CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE handle_;
};

std::wstring SystemMessage(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = length ? std::wstring(text, length) : L"system error " + std::to_wstring(code);
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
        message.pop_back();
    }
    return message;
}

bool Fail(std::wstring* error, const std::wstring& path, const std::wstring& why) {
    *error = L"cannot save \"" + path + L"\": " + why;
    return false;
}

bool WriteAll(HANDLE file, const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

// The failure's code; a call that failed without setting one still counts as a failed write.
DWORD LastError() {
    const DWORD code = GetLastError();
    return code != ERROR_SUCCESS ? code : ERROR_WRITE_FAULT;
}

}  // namespace

bool ReplaceFileWhole(const std::wstring& path, const std::vector<uint8_t>& bytes, std::wstring* error) {
    wchar_t full[MAX_PATH * 4];
    wchar_t* namePart = nullptr;
    const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(std::size(full)), full, &namePart);
    if (length == 0 || length >= std::size(full)) return Fail(error, path, SystemMessage(GetLastError()));
    if (!namePart || !*namePart) return Fail(error, path, L"the path names no file");
    const DWORD attributes = GetFileAttributesW(full);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return Fail(error, path, L"the path names a folder");
    }
    // Windows refuses to move a file over a read-only one; not every file system layer does, so
    // the rule is kept here.
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        return Fail(error, path, L"the file is read-only");
    }
    const std::wstring folder(full, namePart);

    wchar_t temporary[MAX_PATH];
    if (!GetTempFileNameW(folder.c_str(), L"xls", 0, temporary)) {
        return Fail(error, path, SystemMessage(GetLastError()));
    }
    FileHandle file(CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD code = ERROR_SUCCESS;
    if (!file.Valid() || !WriteAll(file.Get(), bytes) || !FlushFileBuffers(file.Get())) code = LastError();
    if (!file.Close() && code == ERROR_SUCCESS) code = LastError();
    if (code == ERROR_SUCCESS &&
        !MoveFileExW(temporary, full, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        code = LastError();
    }
    if (code != ERROR_SUCCESS) {
        DeleteFileW(temporary);
        return Fail(error, path, SystemMessage(code));
    }
    return true;
}

}  // namespace xls
