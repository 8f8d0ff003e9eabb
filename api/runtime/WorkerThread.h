#pragma once
// A thread of the library, with a name a debugger (or a test) can see, joined with a bound.

#include "runtime/HandleOwner.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

namespace capi {

class WorkerThread {
public:
    WorkerThread() = default;
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // False when the thread could not be created, or while the last one started still runs (a
    // thread that has ended, joined or not, is replaced).
    bool Start(const wchar_t* name, std::function<void()> body);
    // Waits up to the bound for the thread to end; true when it has ended (or never ran). A thread
    // that does not end in time is left to finish on its own; its body must hold what it uses.
    // Several threads may join at once (a download's poller stop and a terminate on another host
    // thread), each with its own bound; the last holder of the handle closes it. The wait holds
    // no lock: the thread itself (or anyone) may ask whether it runs meanwhile.
    bool Join(DWORD timeoutMs);
    bool Running() const;

private:
    // lock_ guards handle_ and id_, and is held only to read or change them, never through a
    // wait: taken by the starting, joining and asking threads, and by the thread itself when it
    // asks (a self-join is refused before it is taken). A joiner waits on its own share of the
    // handle, so that another joiner's close cannot pull it from under the wait.
    mutable std::mutex lock_;
    std::shared_ptr<UniqueHandle> handle_;
    std::atomic<DWORD> id_{0};
};

}  // namespace capi
