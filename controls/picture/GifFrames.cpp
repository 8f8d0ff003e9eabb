#include "picture/GifFrames.h"

namespace {

constexpr size_t kHeader = 6;
constexpr size_t kScreenDescriptor = 7;
constexpr uint8_t kExtension = 0x21, kImage = 0x2C, kTrailer = 0x3B;
constexpr uint8_t kGraphicControl = 0xF9, kComment = 0xFE, kApplication = 0xFF, kPlainText = 0x01;

enum class Block { Graphic, Image, PlainText, Other, End };

uint16_t Le16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | (at[1] << 8)); }

// The blocks of a GIF, one at a time; each step refuses a block that runs past the data.
class BlockWalker {
public:
    BlockWalker(const uint8_t* data, size_t size, size_t at) : data_(data), size_(size), at_(at) {}

    size_t at() const { return at_; }
    // Passes the block at the current position and tells what it was; End for a trailer, an
    // unknown block or one that does not lie whole in the data (the position then stays).
    Block Next() {
        if (at_ >= size_) return Block::End;
        const size_t start = at_;
        Block kind = Block::End;
        if (data_[at_] == kImage) {
            if (!Has(10)) return Block::End;
            const uint8_t packed = data_[at_ + 9];
            size_t end = at_ + 10 + ((packed & 0x80) ? 3 * (size_t{2} << (packed & 7)) : 0) + 1;  // + LZW code size
            kind = end <= size_ && SkipSubBlocks(end) ? Block::Image : Block::End;
            if (kind == Block::Image) at_ = end;
        } else if (data_[at_] == kExtension && Has(2)) {
            const uint8_t label = data_[at_ + 1];
            size_t end = 0;
            if (label == kGraphicControl && Has(8)) {
                at_ += 8;
                return Block::Graphic;
            }
            if (label == kComment) end = at_ + 2;
            if (label == kApplication && Has(14)) end = at_ + 14;
            if (label == kPlainText && Has(15)) end = at_ + 15;
            if (end != 0 && SkipSubBlocks(end)) {
                at_ = end;
                kind = label == kPlainText ? Block::PlainText : Block::Other;
            }
        }
        if (kind == Block::End) at_ = start;
        return kind;
    }

private:
    bool Has(size_t bytes) const { return size_ - at_ >= bytes; }
    // Moves `at` past a chain of sub-blocks ended by a zero length; false when it runs out.
    bool SkipSubBlocks(size_t& at) const {
        while (at < size_) {
            const size_t length = data_[at++];
            if (length == 0) return true;
            if (size_ - at < length) return false;
            at += length;
        }
        return false;
    }

    const uint8_t* data_;
    size_t size_;
    size_t at_;
};

}  // namespace

bool ReadGifLayout(const uint8_t* data, size_t size, GifLayout* layout) {
    if (data == nullptr || size < kHeader + kScreenDescriptor) return false;
    if (data[0] != 'G' || data[1] != 'I' || data[2] != 'F' || data[3] != '8' || (data[4] != '7' && data[4] != '9') ||
        data[5] != 'a') {
        return false;
    }
    const uint8_t* screen = data + kHeader;
    GifLayout found;
    found.screenWidth = Le16(screen);
    found.screenHeight = Le16(screen + 2);
    if (screen[4] & 0x80) found.colorTableSize = 3 * (size_t{2} << (screen[4] & 7));
    found.firstBlock = kHeader + kScreenDescriptor + found.colorTableSize;
    if (found.firstBlock > size) return false;
    *layout = found;
    return true;
}

int CountGifFrames(const uint8_t* data, size_t size, const GifLayout& layout) {
    BlockWalker walker(data, size, layout.firstBlock);
    int frames = 0;
    for (Block block = walker.Next(); block != Block::End; block = walker.Next()) {
        if (block == Block::Image || block == Block::PlainText) ++frames;
    }
    return frames;
}

std::vector<GifFrameBlock> ExtractGifFrames(const uint8_t* data, size_t size, const GifLayout& layout) {
    std::vector<GifFrameBlock> frames;
    BlockWalker walker(data, size, layout.firstBlock);
    for (;;) {
        // Up to a graphic control extension or the picture itself.
        size_t start = walker.at();
        Block block = walker.Next();
        while (block == Block::Other) {
            start = walker.at();
            block = walker.Next();
        }
        if (block == Block::End) break;
        GifFrameBlock frame;
        if (block == Block::Graphic) {
            const uint8_t* control = data + start;
            frame.disposal = (control[3] >> 2) & 7;
            frame.delay = Le16(control + 4);
            block = walker.Next();
            while (block == Block::Other || block == Block::Graphic) block = walker.Next();
            if (block == Block::End) break;
        }
        size_t image = start;
        if (block == Block::Image) {
            // The frame's own image descriptor is the last block taken.
            BlockWalker find(data, walker.at(), start);
            for (size_t at = start; find.Next() != Block::End; at = find.at()) image = at;
            frame.left = Le16(data + image + 1);
            frame.top = Le16(data + image + 3);
            frame.width = Le16(data + image + 5);
            frame.height = Le16(data + image + 7);
        }
        frame.file.reserve(layout.firstBlock + (walker.at() - start) + 1);
        frame.file.assign(data, data + layout.firstBlock);
        frame.file.insert(frame.file.end(), data + start, data + walker.at());
        frame.file.push_back(kTrailer);
        frames.push_back(std::move(frame));
    }
    return frames;
}

unsigned FrameWaitMilliseconds(int delay) { return delay >= 5 ? static_cast<unsigned>(delay) * 10 : 100; }
