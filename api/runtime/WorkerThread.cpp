#include "runtime/WorkerThread.h"

#include "runtime/PumpWait.h"

#include <memory>
#include <string>

namespace capi {
namespace {

struct Launch {
    std::function<void()> body;
    HMODULE module;  // a reference to the module, which the thread drops as it exits
    std::wstring name;
};

// SetThreadDescription exists from Windows 10 on: looked up at run time.
void NameThread(HANDLE thread, const wchar_t* name) {
    using SetDescription = HRESULT(WINAPI*)(HANDLE, PCWSTR);
    static const auto set = reinterpret_cast<SetDescription>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetThreadDescription")));
    if (set) set(thread, name);
}

// The module this code lives in: the library's DLL, or the program it is linked into.
HMODULE ReferenceOwnModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&ReferenceOwnModule),
                       &module);
    return module;
}

DWORD WINAPI Run(void* parameter) {
    HMODULE module;
    {
        std::unique_ptr<Launch> launch(static_cast<Launch*>(parameter));
        module = launch->module;
        // Named again from inside: Wine gives the name to the system's own thread (what process
        // listings and profilers show) only once the thread runs, and a name set while it was
        // still suspended may not reach it.
        NameThread(GetCurrentThread(), launch->name.c_str());
        MarkWindowlessThread();
        launch->body();
    }
    // Each thread holds a reference to the module from its start: a host that frees the library
    // without terminating it leaves the code mapped until the last thread ends, instead of threads
    // running in unmapped code. The reference is dropped as the thread exits.
    FreeLibraryAndExitThread(module, 0);
}

}  // namespace

WorkerThread::~WorkerThread() = default;

bool WorkerThread::Start(const wchar_t* name, std::function<void()> body) {
    std::lock_guard<std::mutex> guard(lock_);
    // A handle is still held after a join that gave up: the thread it names may have ended since,
    // and then this worker is free again.
    if (handle_ && WaitForSingleObject(handle_->get(), 0) == WAIT_TIMEOUT) return false;
    handle_.reset();
    id_ = 0;
    auto launch = std::make_unique<Launch>(Launch{std::move(body), ReferenceOwnModule(), name});
    DWORD id = 0;
    auto handle = std::make_shared<UniqueHandle>(CreateThread(nullptr, 0, Run, launch.get(), CREATE_SUSPENDED, &id));
    if (!*handle) {
        if (launch->module) FreeLibrary(launch->module);
        return false;
    }
    handle_ = std::move(handle);
    // Known before the thread runs, so that it can recognise a join of itself; and named from its
    // first instruction on.
    id_ = id;
    NameThread(handle_->get(), name);
    launch.release();
    ResumeThread(handle_->get());
    return true;
}

bool WorkerThread::Join(DWORD timeoutMs) {
    // A thread cannot wait for itself (a host callback that ends the connection runs on one).
    if (GetCurrentThreadId() == id_) return false;
    std::shared_ptr<UniqueHandle> thread;
    {
        std::lock_guard<std::mutex> guard(lock_);
        thread = handle_;
    }
    if (!thread) return true;
    if (WaitForSingleObject(thread->get(), timeoutMs) != WAIT_OBJECT_0) return false;
    std::lock_guard<std::mutex> guard(lock_);
    // Another joiner may have let it go already, and a new thread may have started since.
    if (handle_ == thread) {
        handle_.reset();
        id_ = 0;
    }
    return true;
}

bool WorkerThread::Running() const {
    std::shared_ptr<UniqueHandle> thread;
    {
        std::lock_guard<std::mutex> guard(lock_);
        thread = handle_;
    }
    return thread && WaitForSingleObject(thread->get(), 0) == WAIT_TIMEOUT;
}

}  // namespace capi
