#pragma once
// The simulator's reading and writing of the driver pipe's messages, written from the message
// layout that the host's driver layers use (one request and one reply per pipe message, all
// integers little-endian):
//   request: u32 op, u32 args[4], payload;  reply: u32 status, u32 value, payload.
// Strings are counted UTF-16 (u32 character count, characters); a WMI object is its class name,
// u32 property count, and per property its name, u16 VARTYPE, u32 byte count and the bytes.

#include "sim/DriverHost.h"

namespace sim {

enum class PipeOp : uint32_t {
    Open = 1,
    IoControl = 2,
    Close = 3,
    Read = 4,
    Write = 5,
    WmiConnect = 16,
    WmiExecQuery = 17,
    WmiEnumerate = 18,
    WmiPutInstance = 19,
    DeviceInterfaces = 32,
};

class PipeReader {
public:
    explicit PipeReader(const Bytes& bytes) : bytes_(bytes) {}
    uint16_t U16();
    uint32_t U32();
    std::wstring String();
    WmiObject Object();
    Bytes Rest();
    bool ok() const { return ok_; }

    // A whole payload of UTF-16 characters (not counted).
    static std::wstring Utf16(const Bytes& bytes);

private:
    bool Have(size_t length);
    const Bytes& bytes_;
    size_t at_ = 0;
    bool ok_ = true;
};

class PipeWriter {
public:
    PipeWriter& U16(uint16_t v);
    PipeWriter& U32(uint32_t v);
    PipeWriter& Raw(const Bytes& bytes);
    PipeWriter& String(const std::wstring& text);
    PipeWriter& Object(const WmiObject& object);
    Bytes Take() { return std::move(bytes_); }

private:
    Bytes bytes_;
};

Bytes PipeReply(uint32_t status, uint32_t value = 0, const Bytes& payload = {});

}  // namespace sim
