#pragma once
// The messages that carry driver calls to the simulator. One request, one reply, each one message
// of a message-mode named pipe; all integers little-endian.
//
//   request: u32 op, u32 args[4], then the payload
//   reply:   u32 status (0, a Win32 error or an HRESULT, as the op says), u32 value, payload
//
// Ops and their fields:
//   Open            args: access, share, disposition, flags; payload: UTF-16 path.
//                   status: Win32 error. The connection is the open device from then on.
//   IoControl       args: code, output length; payload: input bytes.
//                   status: Win32 error; value: bytes returned; payload: the output bytes.
//   Close           status 0.
//   Read            args: length, time-out in ms. status: Win32 error (ERROR_TIMEOUT when nothing
//                   came in time); payload: the bytes read (at most length).
//   Write           args: time-out in ms; payload: the bytes. status: Win32 error; value: bytes
//                   written.
//   WmiConnect      payload: UTF-16 namespace. status: HRESULT.
//   WmiExecQuery    args: flags; payload: UTF-16 language, UTF-16 query (each a counted string).
//                   status: HRESULT; payload: u32 count, then that many objects.
//   WmiEnumerate    args: flags; payload: UTF-16 class name (counted). Reply as WmiExecQuery.
//   WmiPutInstance  args: flags; payload: one object. status: HRESULT.
//   DeviceInterfaces args: flags; payload: the 16-byte class GUID.
//                   status: Win32 error; payload: u32 count, then that many counted UTF-16 paths.
//
// A counted string is u32 character count then the UTF-16 characters. An object is a counted
// class name, u32 property count, then per property: counted name, u16 VARTYPE, u32 byte count,
// the bytes (VT_I4: 4 bytes; VT_ARRAY | VT_UI1: the elements).

#include <cstdint>
#include <string>
#include <vector>

namespace driverpipe {

using Bytes = std::vector<uint8_t>;

enum class Op : uint32_t {
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

struct Request {
    Op op = Op::Close;
    uint32_t args[4] = {};
    Bytes payload;
};

struct Reply {
    uint32_t status = 0;
    uint32_t value = 0;
    Bytes payload;
};

Bytes EncodeRequest(const Request& request);
Reply DecodeReply(const Bytes& message);

// Appends and reads the payload fields.
class Writer {
public:
    Writer& U16(uint16_t v);
    Writer& U32(uint32_t v);
    Writer& Raw(const void* data, size_t length);
    Writer& String(const std::wstring& text);  // counted
    Bytes Take() { return std::move(bytes_); }

private:
    Bytes bytes_;
};

class Reader {
public:
    explicit Reader(const Bytes& bytes) : bytes_(bytes) {}
    // Each read fails (and leaves ok() false) when the message ends too soon.
    uint16_t U16();
    uint32_t U32();
    Bytes Raw(size_t length);
    std::wstring String();
    bool ok() const { return ok_; }

private:
    bool Have(size_t length);
    const Bytes& bytes_;
    size_t at_ = 0;
    bool ok_ = true;
};

}  // namespace driverpipe
