#include "runtime/WorkerThread.h"

#include <memory>
#include <string>

namespace capi {
namespace {

struct Launch {
    std::wstring name;
    std::function<void()> body;
};

// SetThreadDescription exists from Windows 10 on: looked up at run time.
void NameThisThread(const std::wstring& name) {
    using SetDescription = HRESULT(WINAPI*)(HANDLE, PCWSTR);
    static const auto set = reinterpret_cast<SetDescription>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetThreadDescription")));
    if (set) set(GetCurrentThread(), name.c_str());
}

DWORD WINAPI Run(void* parameter) {
    std::unique_ptr<Launch> launch(static_cast<Launch*>(parameter));
    NameThisThread(launch->name);
    launch->body();
    return 0;
}

}  // namespace

WorkerThread::~WorkerThread() {
    if (handle_) CloseHandle(handle_);
}

bool WorkerThread::Start(const wchar_t* name, std::function<void()> body) {
    if (handle_) return false;
    auto launch = std::make_unique<Launch>(Launch{name, std::move(body)});
    handle_ = CreateThread(nullptr, 0, Run, launch.get(), 0, &id_);
    if (!handle_) return false;
    launch.release();
    return true;
}

bool WorkerThread::Join(DWORD timeoutMs) {
    if (!handle_) return true;
    // A thread cannot wait for itself (a host callback that ends the connection runs on one).
    if (GetCurrentThreadId() == id_) return false;
    if (WaitForSingleObject(handle_, timeoutMs) != WAIT_OBJECT_0) return false;
    CloseHandle(handle_);
    handle_ = nullptr;
    return true;
}

bool WorkerThread::Running() const { return handle_ && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT; }

}  // namespace capi
