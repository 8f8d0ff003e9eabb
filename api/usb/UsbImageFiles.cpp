#include "usb/UsbImageFiles.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace capi {
namespace {

constexpr char kRavloText[] = "Ravlo FW";
constexpr size_t kRavloCheckHeader = 32;

// The bytes of chunk `index`: 60, or what is left of the data; none past its end.
size_t ChunkSize(size_t index, size_t length) {
    const size_t at = std::min(length, index * kChunkData);
    return std::min(kChunkData, length - at);
}

}  // namespace

size_t ChunkCount(size_t length) { return length / kChunkData + (length % kChunkData ? 1 : 0); }

std::optional<std::vector<uint8_t>> ImageFileData(const std::vector<uint8_t>& file) {
    if (file.size() < kImageHeader || ChunkCount(file.size() - kImageHeader) > kMaxChunks) return std::nullopt;
    return std::vector<uint8_t>(file.begin() + std::ptrdiff_t(kImageHeader), file.end());
}

std::optional<std::vector<uint8_t>> RavloFileData(const std::vector<uint8_t>& file) {
    if (!RavloFileValid(file) || ChunkCount(file.size() - kRavloHeader) > kMaxChunks) return std::nullopt;
    return std::vector<uint8_t>(file.begin() + std::ptrdiff_t(kRavloHeader), file.end());
}

uint16_t Crc16Xmodem(const uint8_t* data, size_t length) {
    uint16_t crc = 0;
    for (size_t i = 0; i < length; ++i) {
        crc ^= uint16_t(data[i] << 8);
        for (int bit = 0; bit < 8; ++bit) crc = uint16_t(crc & 0x8000 ? crc << 1 ^ 0x1021 : crc << 1);
    }
    return crc;
}

bool RavloFileValid(const std::vector<uint8_t>& file) {
    if (file.size() < kRavloHeader) return false;
    const uint16_t stored = uint16_t(file[0] | file[1] << 8);
    const size_t textRoom = kRavloCheckHeader - 2;
    const char* text = reinterpret_cast<const char*>(&file[2]);
    return std::string(text, strnlen(text, textRoom)) == kRavloText &&
           stored == Crc16Xmodem(file.data() + kRavloCheckHeader, file.size() - kRavloCheckHeader);
}

UsbPacket ChunkPacket(uint8_t code, size_t index, const std::vector<uint8_t>& data) {
    UsbPacket packet{};
    const size_t size = ChunkSize(index, data.size());
    packet[0] = code;
    packet[1] = uint8_t(size);
    packet[2] = uint8_t(index);
    packet[3] = uint8_t(index >> 8);
    if (size) std::memcpy(&packet[4], data.data() + index * kChunkData, size);
    return packet;
}

UsbPacket RavloChunkPacket(uint8_t code, size_t index, uint16_t wireIndex, const std::vector<uint8_t>& data) {
    UsbPacket packet{};
    const size_t size = ChunkSize(index, data.size());
    packet[0] = code;
    packet[1] = uint8_t(wireIndex);
    packet[2] = uint8_t(wireIndex >> 8);
    packet[3] = uint8_t(size);
    if (size) std::memcpy(&packet[4], data.data() + index * kChunkData, size);
    return packet;
}

UsbPacket EndPacket(uint8_t code) {
    UsbPacket packet;
    packet.fill(0xFF);
    packet[0] = code;
    packet[1] = 0;
    return packet;
}

}  // namespace capi
