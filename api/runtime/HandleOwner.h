#pragma once
// One owner for a handle: it closes the handle when it goes, with the close function of the layer
// that opened it (the kernel's, or a driver layer's).

#include <windows.h>

#include <utility>

namespace capi {

template <typename Close, Close close>
class HandleOwner {
public:
    HandleOwner() = default;
    explicit HandleOwner(HANDLE handle) : handle_(handle) {}
    ~HandleOwner() { reset(); }
    HandleOwner(HandleOwner&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
    HandleOwner& operator=(HandleOwner&& other) noexcept {
        if (this != &other) reset(std::exchange(other.handle_, INVALID_HANDLE_VALUE));
        return *this;
    }
    HandleOwner(const HandleOwner&) = delete;
    HandleOwner& operator=(const HandleOwner&) = delete;

    HANDLE get() const { return handle_; }
    // Both "no handle" values of the API count as none.
    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    void reset(HANDLE handle = INVALID_HANDLE_VALUE) {
        if (*this) close(handle_);
        handle_ = handle;
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// A kernel handle (event, thread, console).
using UniqueHandle = HandleOwner<decltype(&::CloseHandle), &::CloseHandle>;

}  // namespace capi
