#pragma once
// A thread of the library, with a name a debugger (or a test) can see, joined with a bound.

#include <windows.h>

#include <functional>

namespace capi {

class WorkerThread {
public:
    WorkerThread() = default;
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // False when the thread could not be created.
    bool Start(const wchar_t* name, std::function<void()> body);
    // Waits up to the bound for the thread to end; true when it has ended (or never ran). A thread
    // that does not end in time is left to finish on its own; its body must hold what it uses.
    bool Join(DWORD timeoutMs);
    bool Running() const;

private:
    HANDLE handle_ = nullptr;
    DWORD id_ = 0;
};

}  // namespace capi
