// GIF files made in memory for the picture tests: a four-colour global table and frames of one
// colour each. The image data is LZW with a clear code before every second pixel, so the codes stay
// three bits wide: plain to write, and valid for any decoder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gif {

// The global table: 0 red, 1 blue, 2 green, 3 white.
enum Colour : uint8_t { kRed, kBlue, kGreen, kWhite };

struct Frame {
    int left = 0, top = 0, width = 0, height = 0;
    uint8_t colour = kRed;
    int delay = 10;        // hundredths of a second; below 0: no graphic control extension
    int disposal = 0;
    bool comment = false;  // a comment extension between the control extension and the image
};

inline void Put16(std::vector<uint8_t>& out, int value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

inline std::vector<uint8_t> ImageData(size_t pixels, uint8_t colour) {
    std::vector<int> bits;
    auto emit = [&](int code) {
        for (int i = 0; i < 3; ++i) bits.push_back((code >> i) & 1);
    };
    for (size_t i = 0; i < pixels; i += 2) {
        emit(4);  // clear
        emit(colour);
        if (i + 1 < pixels) emit(colour);
    }
    emit(5);  // end of information
    std::vector<uint8_t> packed((bits.size() + 7) / 8, 0);
    for (size_t i = 0; i < bits.size(); ++i) packed[i / 8] |= static_cast<uint8_t>(bits[i] << (i % 8));
    std::vector<uint8_t> data = {2};  // minimum code size
    for (size_t i = 0; i < packed.size(); i += 255) {
        const size_t chunk = packed.size() - i < 255 ? packed.size() - i : 255;
        data.push_back(static_cast<uint8_t>(chunk));
        data.insert(data.end(), packed.begin() + static_cast<long>(i), packed.begin() + static_cast<long>(i + chunk));
    }
    data.push_back(0);
    return data;
}

inline std::vector<uint8_t> Build(int width, int height, const std::vector<Frame>& frames,
                                  const std::string& version = "89a") {
    std::vector<uint8_t> out;
    for (char c : "GIF" + version) out.push_back(static_cast<uint8_t>(c));
    Put16(out, width);
    Put16(out, height);
    out.insert(out.end(), {0x81, 0, 0});  // global table of 4 colours
    out.insert(out.end(), {255, 0, 0, 0, 0, 255, 0, 160, 0, 255, 255, 255});
    for (const Frame& f : frames) {
        if (f.delay >= 0) {
            out.insert(out.end(), {0x21, 0xF9, 4, static_cast<uint8_t>((f.disposal & 7) << 2)});
            Put16(out, f.delay);
            out.insert(out.end(), {0, 0});
        }
        if (f.comment) out.insert(out.end(), {0x21, 0xFE, 3, 'h', 'i', '!', 0});
        out.push_back(0x2C);
        Put16(out, f.left);
        Put16(out, f.top);
        Put16(out, f.width);
        Put16(out, f.height);
        out.push_back(0);
        std::vector<uint8_t> data = ImageData(static_cast<size_t>(f.width) * static_cast<size_t>(f.height), f.colour);
        out.insert(out.end(), data.begin(), data.end());
    }
    out.push_back(0x3B);
    return out;
}

}  // namespace gif
