#include "Boxes.h"

#include <cstdio>

namespace win7 {

void ShowBox(const char* text, const char* caption) { MessageBoxA(nullptr, text, caption, MB_OK); }

void ShowResultBox(const char* format, HRESULT result, const char* caption) {
    char text[128];
    std::snprintf(text, sizeof text, format, unsigned(result));
    ShowBox(text, caption);
}

}  // namespace win7
