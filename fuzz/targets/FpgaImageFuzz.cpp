// An FPGA image file through its preparation for the serial flash.
//
// A real image's end is searched for from 0xE0000 on, far beyond the inputs a fuzzer grows, and a
// file that reached it would cost a megabyte of work an input. The search here begins a sixteenth
// of the way, at 0xE000, and the first four bytes stretch the file to match: bytes 0-2 give a run
// length (little-endian, taken modulo 0x11000, a sixteenth of the reach a real image's run would
// need) and byte 3 its fill byte, inserted halfway through the rest.

#include "FpgaImage.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

constexpr size_t kEndSearchFrom = fpgaimage::kEndSearchFrom / 16;
constexpr size_t kLongestRun = 0x110000 / 16;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const size_t run = size_t(data[0] | data[1] << 8 | data[2] << 16) % kLongestRun;
    const uint8_t fill = data[3];
    data += 4;
    size -= 4;
    std::vector<uint8_t> file(data, data + size / 2);
    file.insert(file.end(), run, fill);
    file.insert(file.end(), data + size / 2, data + size);

    fpgaimage::Window window;
    const fpgaimage::Preparation preparation = fpgaimage::PrepareImage(file, &window, kEndSearchFrom);
    if (preparation == fpgaimage::Preparation::NotAnImage) return 0;
    if (window.start > window.end || window.end > file.size()) __builtin_trap();
    // A download programs whole pages, past the file's end too.
    const uint32_t pages = fpgaimage::PageCount(window);
    if (pages <= 8192) {
        const std::vector<uint8_t> bytes = fpgaimage::PagesFromStart(file, window, pages);
        if (bytes.size() != size_t(pages) * 256) __builtin_trap();
    }
    return 0;
}
