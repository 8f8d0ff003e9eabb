#include "driverpipe/Message.h"

namespace driverpipe {

Bytes EncodeRequest(const Request& request) {
    Writer w;
    w.U32(uint32_t(request.op));
    for (uint32_t arg : request.args) w.U32(arg);
    w.Raw(request.payload.data(), request.payload.size());
    return w.Take();
}

Reply DecodeReply(const Bytes& message) {
    Reader r(message);
    Reply reply;
    reply.status = r.U32();
    reply.value = r.U32();
    if (message.size() > 8) reply.payload.assign(message.begin() + 8, message.end());
    return reply;
}

Writer& Writer::U16(uint16_t v) {
    bytes_.push_back(uint8_t(v));
    bytes_.push_back(uint8_t(v >> 8));
    return *this;
}

Writer& Writer::U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(uint8_t(v >> (8 * i)));
    return *this;
}

Writer& Writer::Raw(const void* data, size_t length) {
    const auto* p = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + length);
    return *this;
}

Writer& Writer::String(const std::wstring& text) {
    U32(uint32_t(text.size()));
    for (wchar_t c : text) U16(uint16_t(c));
    return *this;
}

bool Reader::Have(size_t length) {
    if (!ok_ || bytes_.size() - at_ < length) ok_ = false;
    return ok_;
}

uint16_t Reader::U16() {
    if (!Have(2)) return 0;
    const uint16_t v = uint16_t(bytes_[at_] | bytes_[at_ + 1] << 8);
    at_ += 2;
    return v;
}

uint32_t Reader::U32() {
    if (!Have(4)) return 0;
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t(bytes_[at_ + i]) << (8 * i);
    at_ += 4;
    return v;
}

Bytes Reader::Raw(size_t length) {
    if (!Have(length)) return {};
    Bytes out(bytes_.begin() + at_, bytes_.begin() + at_ + length);
    at_ += length;
    return out;
}

std::wstring Reader::String() {
    const uint32_t count = U32();
    if (!Have(size_t(count) * 2)) return {};
    std::wstring text;
    text.reserve(count);
    for (uint32_t i = 0; i < count; ++i) text.push_back(wchar_t(U16()));
    return text;
}

}  // namespace driverpipe
