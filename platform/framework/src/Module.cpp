#include <framework/Module.h>

namespace {

// Any object of this module will do to find the module by address.
const char g_anchor = 0;

HINSTANCE ModuleOfThisCode() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&g_anchor), &module);
    return module;
}

// Set at start-up by the thread that runs the program's initialisation and read afterwards; a
// language switch replaces the resource module from the same (user interface) thread.
HINSTANCE g_instance = nullptr;
HINSTANCE g_resource = nullptr;

}  // namespace

HINSTANCE AfxGetInstanceHandle() {
    if (g_instance == nullptr) g_instance = ModuleOfThisCode();
    return g_instance;
}

void AfxSetInstanceHandle(HINSTANCE hInstance) { g_instance = hInstance; }

HINSTANCE AfxGetResourceHandle() { return g_resource ? g_resource : AfxGetInstanceHandle(); }

void AfxSetResourceHandle(HINSTANCE hResource) { g_resource = hResource; }

HINSTANCE AfxFindResourceHandle(LPCWSTR lpszName, LPCWSTR lpszType) {
    HINSTANCE resource = AfxGetResourceHandle();
    if (::FindResourceW(resource, lpszName, lpszType)) return resource;
    HINSTANCE instance = AfxGetInstanceHandle();
    if (instance != resource && ::FindResourceW(instance, lpszName, lpszType)) return instance;
    return nullptr;
}
