#pragma once
// Where the flash layer reports what went wrong: standard output and message boxes, with the texts
// the chip driver's users know.

namespace capi {

// Writes the text as it stands (no line end is added) and flushes.
void PrintToStdout(const char* text);
// An OK message box owned by the host's main window; a null caption gives the system's default one.
void ShowFlashBox(const char* text, const char* caption);

}  // namespace capi
