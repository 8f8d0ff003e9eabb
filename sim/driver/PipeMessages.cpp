#include "PipeMessages.h"

namespace sim {

bool PipeReader::Have(size_t length) {
    if (!ok_ || bytes_.size() - at_ < length) ok_ = false;
    return ok_;
}

uint16_t PipeReader::U16() {
    if (!Have(2)) return 0;
    const uint16_t v = uint16_t(bytes_[at_] | bytes_[at_ + 1] << 8);
    at_ += 2;
    return v;
}

uint32_t PipeReader::U32() {
    if (!Have(4)) return 0;
    const uint32_t v = uint32_t(bytes_[at_]) | uint32_t(bytes_[at_ + 1]) << 8 | uint32_t(bytes_[at_ + 2]) << 16 |
                       uint32_t(bytes_[at_ + 3]) << 24;
    at_ += 4;
    return v;
}

std::wstring PipeReader::String() {
    const uint32_t count = U32();
    std::wstring text;
    if (!Have(size_t(count) * 2)) return text;
    for (uint32_t i = 0; i < count; ++i) text.push_back(wchar_t(U16()));
    return text;
}

WmiObject PipeReader::Object() {
    WmiObject object;
    object.className = String();
    const uint32_t count = U32();
    for (uint32_t i = 0; i < count && ok_; ++i) {
        std::wstring name = String();
        WmiValue value;
        value.type = U16();
        const uint32_t length = U32();
        if (!Have(length)) break;
        Bytes data(bytes_.begin() + at_, bytes_.begin() + at_ + length);
        at_ += length;
        if (value.type == VT_I4 && data.size() == 4)
            value.i4 = int32_t(data[0] | data[1] << 8 | data[2] << 16 | uint32_t(data[3]) << 24);
        else value.bytes = std::move(data);
        object.properties.emplace_back(std::move(name), std::move(value));
    }
    return object;
}

Bytes PipeReader::Rest() {
    if (!ok_) return {};
    Bytes rest(bytes_.begin() + at_, bytes_.end());
    at_ = bytes_.size();
    return rest;
}

std::wstring PipeReader::Utf16(const Bytes& bytes) {
    std::wstring text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) text.push_back(wchar_t(bytes[i] | bytes[i + 1] << 8));
    return text;
}

PipeWriter& PipeWriter::U16(uint16_t v) {
    bytes_.push_back(uint8_t(v));
    bytes_.push_back(uint8_t(v >> 8));
    return *this;
}

PipeWriter& PipeWriter::U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(uint8_t(v >> (8 * i)));
    return *this;
}

PipeWriter& PipeWriter::Raw(const Bytes& bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

PipeWriter& PipeWriter::String(const std::wstring& text) {
    U32(uint32_t(text.size()));
    for (wchar_t c : text) U16(uint16_t(c));
    return *this;
}

PipeWriter& PipeWriter::Object(const WmiObject& object) {
    String(object.className);
    U32(uint32_t(object.properties.size()));
    for (const auto& [name, value] : object.properties) {
        String(name);
        U16(value.type);
        if (value.type == VT_I4) U32(4).U32(uint32_t(value.i4));
        else U32(uint32_t(value.bytes.size())).Raw(value.bytes);
    }
    return *this;
}

Bytes PipeReply(uint32_t status, uint32_t value, const Bytes& payload) {
    PipeWriter w;
    w.U32(status).U32(value).Raw(payload);
    return w.Take();
}

}  // namespace sim
