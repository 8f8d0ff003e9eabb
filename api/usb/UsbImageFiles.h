#pragma once
// The files the USB downloads send, read apart from the transfer. A firmware or FPGA image file is
// a 512-byte header and the data the unit takes; a Ravlo (auxiliary) firmware file is a 1056-byte
// header whose first 32 bytes hold the CRC of the rest and the text "Ravlo FW", then the data. The
// data goes in 60-byte chunks behind a 16-bit chunk index.

#include "usb/UsbPacket.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace capi {

constexpr size_t kImageHeader = 512;
constexpr size_t kRavloHeader = 1056;
constexpr size_t kChunkData = 60;
// Chunk indices are 16 bits, and 0xFFFF is taken: the end packet of the firmware and FPGA streams
// carries it where a chunk's index goes, and the Ravlo stream marks its last chunk with it. A
// download holds at most 0xFFFF chunks, so that no chunk's own index is 0xFFFF.
constexpr size_t kMaxChunks = 0xFFFF;

size_t ChunkCount(size_t length);

// An image file's data after its header, or nothing when the file is shorter than its header or
// holds more chunks than the index counts.
std::optional<std::vector<uint8_t>> ImageFileData(const std::vector<uint8_t>& file);
// A Ravlo file's data after its header, or nothing when its check fails or it holds more chunks
// than the index counts.
std::optional<std::vector<uint8_t>> RavloFileData(const std::vector<uint8_t>& file);

// The Ravlo file's check: header text "Ravlo FW" and the CRC-16/XMODEM of bytes 32 on in bytes 0-1.
bool RavloFileValid(const std::vector<uint8_t>& file);
uint16_t Crc16Xmodem(const uint8_t* data, size_t length);

// Chunk `index` of the firmware and FPGA streams: code, length, 16-bit index (little-endian), data.
UsbPacket ChunkPacket(uint8_t code, size_t index, const std::vector<uint8_t>& data);
// Chunk `index` of the Ravlo stream, sent as `wireIndex`: code, 16-bit index, length, data.
UsbPacket RavloChunkPacket(uint8_t code, size_t index, uint16_t wireIndex, const std::vector<uint8_t>& data);
// The end of a firmware or FPGA stream: the code, a zero length, the rest 0xFF.
UsbPacket EndPacket(uint8_t code);

}  // namespace capi
