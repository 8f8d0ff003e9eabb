#include "Boxes.h"

#include "BoxOwner.h"

#include <cstdio>

namespace win7 {

void ShowBox(const char* text, const char* caption) { hostio::ShowOwnedBox(text, caption); }

void ShowResultBox(const char* format, HRESULT result, const char* caption) {
    char text[128];
    std::snprintf(text, sizeof text, format, unsigned(result));
    ShowBox(text, caption);
}

}  // namespace win7
