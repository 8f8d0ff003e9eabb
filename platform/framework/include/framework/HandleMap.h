// Temporary wrapper objects for handles that no permanent object owns.
//
// FromHandle on a window, DC, GDI object or menu that the program did not wrap itself returns a
// wrapper from here. Wrappers belong to the thread that asked and are deleted when that thread's
// loop goes idle, so a pointer from FromHandle must not be kept across message loops.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

namespace framework {

// Returns the wrapper of this kind for the handle, creating it with make on first use.
void* TemporaryObject(const void* kind, void* handle, const std::function<void*()>& make,
                      void (*destroy)(void*));

// The wrapper holds the handle in its public member; it is cleared before the wrapper is deleted,
// so the wrapper's destructor leaves the handle alone.
template <class T, auto member, class H>
T* TemporaryFor(H handle) {
    static const char kind = 0;
    return static_cast<T*>(TemporaryObject(
        &kind, reinterpret_cast<void*>(handle),
        [handle]() -> void* {
            T* object = new T;
            object->*member = handle;
            return object;
        },
        [](void* object) {
            T* typed = static_cast<T*>(object);
            typed->*member = nullptr;
            delete typed;
        }));
}

void DeleteTemporaryObjects();

}  // namespace framework
