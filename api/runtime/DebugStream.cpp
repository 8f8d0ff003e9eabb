#include "runtime/DebugStream.h"

#include <iomanip>

namespace capi {
namespace {

HANDLE OpenConsoleOutput() {
    return CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
}

}  // namespace

// Swallows everything: the stream's buffer while no console is attached.
class DebugStream::NullBuffer : public std::basic_streambuf<wchar_t> {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const wchar_t*, std::streamsize count) override { return count; }
};

// Writes straight to the console screen buffer; the stream hands it whole lines.
class DebugStream::ConsoleBuffer : public std::basic_streambuf<wchar_t> {
public:
    explicit ConsoleBuffer(HANDLE console) : console_(console) {}

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        const wchar_t one = traits_type::to_char_type(c);
        return xsputn(&one, 1) == 1 ? c : traits_type::eof();
    }
    std::streamsize xsputn(const wchar_t* text, std::streamsize count) override {
        DWORD written = 0;
        if (WriteConsoleW(console_, text, static_cast<DWORD>(count), &written, nullptr)) return written;
        // Not a console after all (a redirected host): write the text as it would read in one.
        std::string narrow;
        for (std::streamsize i = 0; i < count; ++i) narrow.push_back(text[i] < 128 ? char(text[i]) : '?');
        return WriteFile(console_, narrow.data(), static_cast<DWORD>(narrow.size()), &written, nullptr) ? count : 0;
    }

private:
    HANDLE console_;
};

DebugStream::DebugStream() : std::basic_ostream<wchar_t>(nullptr), nullBuffer_(std::make_unique<NullBuffer>()) {
    rdbuf(nullBuffer_.get());
}

DebugStream::~DebugStream() { Close(); }

DebugStream& DebugStream::Open() {
    std::lock_guard<std::mutex> guard(lock_);
    if (attached_) return *this;
    // A host that has a console already keeps it; one that has none gets a new one. The screen
    // buffer is opened by name: the standard handles of a host started with redirected output
    // still point at its pipes after AllocConsole.
    allocatedConsole_ = AllocConsole() != FALSE;
    console_.reset(OpenConsoleOutput());
    if (!console_ && !allocatedConsole_) {
        // Attached to a console without a screen buffer (Wine gives one to console programs
        // started without a terminal): leave it for a console of our own.
        FreeConsole();
        allocatedConsole_ = AllocConsole() != FALSE;
        console_.reset(OpenConsoleOutput());
    }
    if (!console_) {
        if (allocatedConsole_) FreeConsole();
        allocatedConsole_ = false;
        return *this;
    }
    consoleBuffer_ = std::make_unique<ConsoleBuffer>(console_.get());
    rdbuf(consoleBuffer_.get());
    setf(std::ios_base::unitbuf);
    attached_ = true;
    return *this;
}

DebugStream& DebugStream::Close() {
    std::lock_guard<std::mutex> guard(lock_);
    if (!attached_) return *this;
    attached_ = false;
    rdbuf(nullBuffer_.get());
    consoleBuffer_.reset();
    console_.reset();
    if (allocatedConsole_) FreeConsole();
    allocatedConsole_ = false;
    return *this;
}

void DebugStream::WriteLine(const std::wstring& line) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!attached_) return;
    *this << line << L'\n' << std::flush;
}

DebugStream& LibraryLog() {
    static DebugStream stream;
    return stream;
}

namespace logpieces {

void Put(std::wostream& out, const char* text) {
    for (; *text; ++text) out.put(static_cast<wchar_t>(static_cast<unsigned char>(*text)));
}

void Put(std::wostream& out, const std::string& text) { Put(out, text.c_str()); }

void Put(std::wostream& out, const wchar_t* text) { out << text; }

void Put(std::wostream& out, const std::wstring& text) { out << text; }

void Put(std::wostream& out, Hex number) {
    out << std::hex << std::setw(number.width) << std::setfill(L'0') << number.value << std::dec << std::setfill(L' ');
}

}  // namespace logpieces
}  // namespace capi
