#pragma once
// The library tells the user about failures in OK message boxes owned by the host's main window,
// with the texts the chip driver's users know. A null caption gives the system's default one.

#include <windows.h>

namespace win7 {

constexpr const char* kDriverApiCaption = "Driver API";

void ShowBox(const char* text, const char* caption = nullptr);
// `format` holds one "%08x", filled with the failing HRESULT.
void ShowResultBox(const char* format, HRESULT result, const char* caption);

}  // namespace win7
