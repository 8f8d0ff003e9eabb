// Firmware, FPGA and Ravlo firmware files through the USB downloads' reading and chunking.
//
// Bit 0 of byte 0 writes the right CRC into the Ravlo header (bytes 0-1 of the file) so that the
// input reaches the chunking behind the check; the rest of the input is the file. A file taken
// either way goes out in chunks that rebuild its data exactly, as the unit puts them together.

#include "usb/UsbImageFiles.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

void Check(bool holds) {
    if (!holds) __builtin_trap();
}

// The firmware and FPGA streams: a length byte and a 16-bit index in order.
void RebuildImage(const std::vector<uint8_t>& data) {
    const size_t chunks = capi::ChunkCount(data.size());
    Check(chunks <= capi::kMaxChunks);
    std::vector<uint8_t> rebuilt;
    for (size_t i = 0; i < chunks; ++i) {
        const capi::UsbPacket p = capi::ChunkPacket(9, i, data);
        Check(p[0] == 9 && p[1] >= 1 && p[1] <= capi::kChunkData && size_t(p[2] | p[3] << 8) == i);
        rebuilt.insert(rebuilt.end(), p.begin() + 4, p.begin() + 4 + p[1]);
    }
    Check(rebuilt == data);
    const capi::UsbPacket end = capi::EndPacket(9);
    Check(end[0] == 9 && end[1] == 0);
}

// The Ravlo stream: its last chunk goes as index 0xFFFF, which no other chunk may carry.
void RebuildRavlo(const std::vector<uint8_t>& data) {
    const size_t chunks = capi::ChunkCount(data.size());
    Check(chunks <= capi::kMaxChunks);
    std::vector<uint8_t> rebuilt;
    for (size_t i = 0; i < chunks; ++i) {
        const uint16_t wire = i + 1 == chunks ? 0xFFFF : uint16_t(i);
        const capi::UsbPacket p = capi::RavloChunkPacket(16, i, wire, data);
        Check(p[0] == 16 && uint16_t(p[1] | p[2] << 8) == wire && p[3] >= 1 && p[3] <= capi::kChunkData);
        Check(wire == 0xFFFF || wire < chunks);
        rebuilt.insert(rebuilt.end(), p.begin() + 4, p.begin() + 4 + p[3]);
    }
    Check(rebuilt == data);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    std::vector<uint8_t> file(data + 1, data + size);
    if ((data[0] & 1) && file.size() >= capi::kRavloHeader) {
        const uint16_t crc = capi::Crc16Xmodem(file.data() + 32, file.size() - 32);
        file[0] = uint8_t(crc);
        file[1] = uint8_t(crc >> 8);
    }
    if (const auto image = capi::ImageFileData(file)) {
        Check(image->size() + capi::kImageHeader == file.size());
        RebuildImage(*image);
    } else {
        Check(file.size() < capi::kImageHeader);
    }
    if (const auto ravlo = capi::RavloFileData(file)) {
        Check(capi::RavloFileValid(file) && ravlo->size() + capi::kRavloHeader == file.size());
        RebuildRavlo(*ravlo);
    }
    return 0;
}
