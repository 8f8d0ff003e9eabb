#pragma once
// The wire below the register protocol: a link that sends a frame and delivers received frames.
// The library runs it over wpcap; tests put a scripted link in its place.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace capi {

struct ReceivedFrame {
    const uint8_t* bytes = nullptr;  // valid until the next Receive
    size_t length = 0;               // bytes captured
    uint32_t stampSeconds = 0;
    uint32_t stampMicroseconds = 0;
};

enum class ReceiveStatus {
    Frame,        // a frame arrived
    TimedOut,     // the read time-out passed without one
    Interrupted,  // Interrupt was called: look at the stop flags
    Failed,       // the adapter failed
};

class Link {
public:
    virtual ~Link() = default;
    // True when the frame was handed to the adapter.
    virtual bool Send(const uint8_t* frame, size_t length) = 0;
    // One reader thread at a time.
    virtual ReceiveStatus Receive(ReceivedFrame& frame) = 0;
    // Makes the waiting (or the next) Receive return Interrupted; callable from any thread.
    virtual void Interrupt() = 0;
    // Installs a capture filter (a BPF expression); false when it could not be compiled or set.
    virtual bool SetFilter(const std::string& expression) = 0;
};

// Read time-out of the library's capture handles. Wine's wpcap hands frames over only when the
// read time-out expires, so it bounds the register round trip; a few milliseconds keep replies
// prompt without waking a quiet reader (a read with no traffic at all waits until interrupted).
constexpr int kReadTimeoutMs = 1;

// Kernel buffer of the library's capture handles: a block upload asks for frames faster than a
// busy reader may take them in, and a frame the buffer cannot hold is lost to the capture.
constexpr int kCaptureBufferBytes = 16 * 1024 * 1024;

// Opens a capture device (promiscuous, whole frames). Null on failure, with the reason.
std::unique_ptr<Link> OpenCaptureLink(const std::string& device, std::string* error);

}  // namespace capi
