#include "serialflash/FlashOutput.h"

#include <windows.h>

#include <cstdio>

namespace capi {

void PrintToStdout(const char* text) {
    std::fputs(text, stdout);
    std::fflush(stdout);
}

void ShowFlashBox(const char* text, const char* caption) { MessageBoxA(nullptr, text, caption, MB_OK); }

}  // namespace capi
