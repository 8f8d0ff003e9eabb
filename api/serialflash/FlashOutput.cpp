#include "serialflash/FlashOutput.h"

#include "BoxOwner.h"

#include <cstdio>

namespace capi {

void PrintToStdout(const char* text) {
    std::fputs(text, stdout);
    std::fflush(stdout);
}

void ShowFlashBox(const char* text, const char* caption) { hostio::ShowOwnedBox(text, caption); }

}  // namespace capi
