#pragma once
// The library's trace log: a wide output stream that discards everything until the host asks for a
// console (BrevixC_SYS_OpenDebugLog), and then shows each line in a console window of the host.
//
// Writers call Log(pieces...): the pieces are formatted only while a console is attached, and the
// whole line is written under the stream's lock, so lines of different threads never interleave.

#include <windows.h>

#include "runtime/HandleOwner.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <ostream>
#include <sstream>
#include <string>
#include <type_traits>

namespace capi {

class DebugStream : public std::basic_ostream<wchar_t> {
public:
    DebugStream();
    ~DebugStream() override;
    DebugStream(const DebugStream&) = delete;
    DebugStream& operator=(const DebugStream&) = delete;

    // Allocates a console and sends the lines to it; nothing when one is attached already.
    DebugStream& Open();
    // Back to discarding; releases the console and everything made for it.
    DebugStream& Close();
    bool Attached() const { return attached_.load(std::memory_order_acquire); }

    // Writes one line (a line feed is added) and flushes it.
    void WriteLine(const std::wstring& line);

private:
    class NullBuffer;
    class ConsoleBuffer;

    // lock_ guards the stream buffer, the console handle and the console buffer; every thread of
    // the library that logs takes it for one line, Open and Close take it to switch buffers.
    std::mutex lock_;
    std::unique_ptr<NullBuffer> nullBuffer_;
    std::unique_ptr<ConsoleBuffer> consoleBuffer_;
    UniqueHandle console_;
    bool allocatedConsole_ = false;
    std::atomic<bool> attached_{false};
};

// The one stream of the library, alive from load to unload.
DebugStream& LibraryLog();

// A number written as hexadecimal digits, zero-filled to a width (the adapter MAC of detection).
struct Hex {
    uint32_t value;
    int width;
};

namespace logpieces {
void Put(std::wostream& out, const char* text);
void Put(std::wostream& out, const std::string& text);
void Put(std::wostream& out, const wchar_t* text);
void Put(std::wostream& out, const std::wstring& text);
void Put(std::wostream& out, Hex number);
// Integers in decimal; bytes too (never as characters).
template <typename T, std::enable_if_t<std::is_integral_v<T>, int> = 0>
void Put(std::wostream& out, T value) {
    if constexpr (sizeof(T) == 1) out << static_cast<int>(value);
    else out << value;
}
}  // namespace logpieces

// One line of the library's log: narrow text is widened character by character, integers are
// written in decimal.
template <typename... Pieces>
void Log(const Pieces&... pieces) {
    DebugStream& stream = LibraryLog();
    if (!stream.Attached()) return;
    std::wostringstream line;
    (logpieces::Put(line, pieces), ...);
    stream.WriteLine(line.str());
}

}  // namespace capi
