// The program's trace log: a wide output stream on the null device. Like the device library's own
// stream before a console is attached, it takes every trace line and keeps none; the program never
// attaches one, so a trace costs the call and nothing more.
#pragma once

#include <ostream>
#include <streambuf>

class DebugStream : public std::wostream {
public:
    DebugStream();
    DebugStream(const DebugStream&) = delete;
    DebugStream& operator=(const DebugStream&) = delete;

    // One trace line; a line feed is added.
    void WriteLine(const wchar_t* line);

private:
    class NullDevice : public std::wstreambuf {
    protected:
        int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    };
    NullDevice nullDevice_;
};

// The program's one trace log, used on the GUI thread.
DebugStream& ProgramLog();
