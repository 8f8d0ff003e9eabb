#pragma once
// A lock and a condition on the system's slim reader/writer lock and condition variable. Under
// Wine these wait and wake in the process (on futexes); the thread library's mutex and condition
// variable go through the wine server for every wake, which on a loaded machine delays the hand-
// over of a reply from the receive thread to its caller by up to milliseconds.

#include <windows.h>

namespace capi {

class SlimLock {
public:
    SlimLock() = default;
    SlimLock(const SlimLock&) = delete;
    SlimLock& operator=(const SlimLock&) = delete;

    // Exclusive only; the names let std::lock_guard hold it.
    void lock() { AcquireSRWLockExclusive(&lock_); }
    void unlock() { ReleaseSRWLockExclusive(&lock_); }

private:
    friend class SlimCondition;
    SRWLOCK lock_ = SRWLOCK_INIT;
};

class SlimCondition {
public:
    SlimCondition() = default;
    SlimCondition(const SlimCondition&) = delete;
    SlimCondition& operator=(const SlimCondition&) = delete;

    // Called with `lock` held: waits until `done` holds or `milliseconds` have passed; the result
    // of `done` at the end.
    template <typename Done>
    bool WaitFor(SlimLock& lock, DWORD milliseconds, Done done) {
        const ULONGLONG start = GetTickCount64();
        while (!done()) {
            const ULONGLONG waited = GetTickCount64() - start;
            if (waited >= milliseconds) return false;
            SleepConditionVariableSRW(&condition_, &lock.lock_, DWORD(milliseconds - waited), 0);
        }
        return true;
    }

    void NotifyAll() { WakeAllConditionVariable(&condition_); }

private:
    CONDITION_VARIABLE condition_ = CONDITION_VARIABLE_INIT;
};

}  // namespace capi
