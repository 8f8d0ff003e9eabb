#include "main/DebugStream.h"

// The base is built before the buffer member, so the buffer is attached once it exists.
DebugStream::DebugStream() : std::wostream(nullptr) { rdbuf(&nullDevice_); }

void DebugStream::WriteLine(const wchar_t* line) { *this << line << L'\n'; }

DebugStream& ProgramLog() {
    static DebugStream log;
    return log;
}
