// The module this copy of the framework is linked into, and where its resources come from.
//
// Each module (the program, or a library with its own dialogs) links its own copy of the framework,
// so these values are per module. The resource module starts as the instance itself; the program may
// point it at a resource-only language library, and every lookup falls back to the instance for what
// that library lacks.
#pragma once

#include <windows.h>

HINSTANCE AfxGetInstanceHandle();
void AfxSetInstanceHandle(HINSTANCE hInstance);
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE hResource);
// The module that holds the resource, the resource module first; null when neither has it.
HINSTANCE AfxFindResourceHandle(LPCWSTR lpszName, LPCWSTR lpszType);
