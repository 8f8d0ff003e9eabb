// Splitting a GIF into its animation frames, each a stand-alone GIF of its own: plain functions over
// the bytes, every read checked against their end, so that a truncated or malformed file gives the
// frames it holds whole and nothing past them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct GifLayout {
    int screenWidth = 0;
    int screenHeight = 0;
    size_t colorTableSize = 0;  // bytes of the global colour table
    size_t firstBlock = 0;      // offset of the first block after the table
};

struct GifFrameBlock {
    std::vector<uint8_t> file;  // header, screen descriptor, global table, the frame's blocks, trailer
    int left = 0, top = 0, width = 0, height = 0;
    int delay = -1;  // hundredths of a second; -1 without a graphic control extension
    int disposal = 0;
};

// True when the data starts "GIF87a" or "GIF89a" and holds the screen descriptor and global table.
bool ReadGifLayout(const uint8_t* data, size_t size, GifLayout* layout);
// The image and plain-text blocks that lie whole in the data, up to a trailer or unknown block.
int CountGifFrames(const uint8_t* data, size_t size, const GifLayout& layout);
std::vector<GifFrameBlock> ExtractGifFrames(const uint8_t* data, size_t size, const GifLayout& layout);

// How long a frame stays: its delay when that is at least 5 hundredths, else a tenth of a second.
unsigned FrameWaitMilliseconds(int delay);
