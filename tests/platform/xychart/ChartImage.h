// Charts rendered by the library, read back as pixels.
#pragma once

#include <support/gui/Picture.h>
#include <xychart/XyChart.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// The picture of a whole 24-bit bottom-up BMP file; empty when the block is not one.
inline support::gui::Picture DecodeBmp(const ChartMemBlock& block) {
    support::gui::Picture picture;
    if (block.data == nullptr || block.len < 54 || block.data[0] != 'B' || block.data[1] != 'M') return picture;
    auto read = [&](int at) {
        uint32_t v;
        std::memcpy(&v, block.data + at, 4);
        return v;
    };
    const int width = static_cast<int>(read(18)), height = static_cast<int>(read(22));
    const uint32_t offset = read(10), stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    if ((read(28) & 0xFFFF) != 24 || offset + stride * static_cast<uint32_t>(height) > static_cast<uint32_t>(block.len)) {
        return picture;
    }
    picture.width = width;
    picture.height = height;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = block.data + offset + stride * static_cast<uint32_t>(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            picture.pixels.push_back((uint32_t{row[3 * x + 2]} << 16) | (uint32_t{row[3 * x + 1]} << 8) | row[3 * x]);
        }
    }
    return picture;
}

inline support::gui::Picture Render(BaseChart& chart) {
    ChartMemBlock block = {nullptr, 0};
    if (!chart.makeChart(xychart::kFormatBmp, &block)) return {};
    return DecodeBmp(block);
}

// 0xRRGGBB of the library as the COLORREF the picture answers.
inline COLORREF Ref(int rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// The numbers of a metrics field such as "yscale=0,1000".
inline std::vector<double> MetricsField(const char* metrics, const std::string& name) {
    std::vector<double> values;
    const std::string text = metrics != nullptr ? metrics : "";
    size_t at = text.find(name + "=");
    if (at == std::string::npos) return values;
    at += name.size() + 1;
    while (at < text.size() && text[at] != ';') {
        size_t used = 0;
        values.push_back(std::stod(text.substr(at), &used));
        at += used;
        if (at < text.size() && text[at] == ',') ++at;
    }
    return values;
}
