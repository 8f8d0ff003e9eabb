// Captured frames as the tester sends them during a block upload, through the receive path's
// queueing and the upload's rebuilding of records. Byte 0 picks the wrap layout (bit 0: the USB
// units' layout), jumbo capture (bit 1) and the entry drained (bits 2-3: Port A, Port B, both).
// Then frames, each a two-byte length (low byte first), the port byte and the bytes after the
// capture header; a frame is wrapped as the tester wraps it, so the wrap fields, the chunk
// lengths and stamps are the input's.

#include "capture/BlockAssembly.h"
#include "capture/Capture.h"
#include "capture/CaptureStore.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int32_t machineId = (data[0] & 1) ? 4 : 1;
    const bool jumbo = (data[0] & 2) != 0;
    const int entry = (data[0] >> 2) % 3;
    for (int e = 0; e < 3; ++e) {
        capi::ClearCaptureQueue(e);
        capi::CaptureState(e).terminate = 0;
        capi::CaptureState(e).reader = 1;
    }
    size_t at = 1;
    while (at + 3 <= size) {
        const size_t length = std::min<size_t>(data[at] | size_t(data[at + 1]) << 8, size - at - 3);
        std::vector<uint8_t> frame(capi::kCaptureHeader, capi::kCaptureHeader + sizeof capi::kCaptureHeader);
        frame.push_back(data[at + 2]);
        frame.insert(frame.end(), data + at + 3, data + at + 3 + length);
        at += 3 + length;
        // The receive path hands over only frames longer than 16 bytes that start with the header.
        if (frame.size() > 16) capi::QueueCapturedFrame(frame.data(), frame.size());
    }
    capi::BlockAssembly assembly(jumbo);
    std::vector<BrevixC_PKTCAP_Content_S> records;
    std::deque<capi::QueuedFrame>& queue = capi::CaptureQueue(entry);
    for (const capi::QueuedFrame& item : queue)
        assembly.Take(item.bytes, item.port, machineId, &item == &queue.back(), records);
    assembly.Flush(records);
    // Every record's bytes must be readable up to its length.
    volatile uint8_t sum = 0;
    for (const BrevixC_PKTCAP_Content_S& record : records) {
        if (record.length > record.wireLength) __builtin_trap();
        for (uint32_t i = 0; i < record.length; ++i) sum = uint8_t(sum + record.data[i]);
    }
    for (int e = 0; e < 3; ++e) {
        capi::ClearCaptureQueue(e);
        capi::CaptureState(e).terminate = 1;
        capi::CaptureState(e).reader = 0;
    }
    return 0;
}
