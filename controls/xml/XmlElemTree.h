// The element table of XmlDocument: one record per element, holding offsets into the document
// text, in pages of 65,536 records so that a growth never copies more than one page.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

// Flag bits in the high half of XmlElemRecord::levelFlags.
enum XmlElemFlags : uint32_t {
    XmlElemReleased = 0x20000,     // the record no longer stands for markup in the text
    XmlElemFirstChild = 0x80000,   // first child of its parent
    XmlElemNonEnded = 0x100000,    // start tag with neither end tag nor "/>"
    XmlElemErrorInside = 0x200000, // an error was found directly inside this element
    XmlElemDocErrors = 0x800000,   // record 0 only: the document has errors
};

struct XmlElemRecord {
    static constexpr int kMaxStartTagLength = 0x3FFFFF;
    static constexpr int kMaxEndTagLength = 0x3FF;
    static constexpr int kMaxLevel = 0xFFFF;

    int start;            // offset of the '<' of the start tag
    int length;           // through the end of the end tag (the start tag alone when there is none)
    uint32_t tagLengths;  // bits 0-21 start-tag length, bits 22-31 end-tag length
    uint32_t levelFlags;  // bits 0-15 level, high bits XmlElemFlags
    int parent;           // 0 = document level
    int firstChild;
    int nextSibling;      // 0 = last child
    int prevSibling;      // the first child's link holds the last child: the siblings form a ring

    int StartTagLength() const { return static_cast<int>(tagLengths & kMaxStartTagLength); }
    int EndTagLength() const { return static_cast<int>(tagLengths >> 22); }
    int Level() const { return static_cast<int>(levelFlags & kMaxLevel); }
    uint32_t Flags() const { return levelFlags & ~static_cast<uint32_t>(kMaxLevel); }
    int ContentStart() const { return start + StartTagLength(); }
    int ContentLength() const { return length - StartTagLength() - EndTagLength(); }
    int End() const { return start + length; }
    bool HasFlag(uint32_t flag) const { return (levelFlags & flag) != 0; }

    // The setters keep a value that does not fit inside its field: they store the largest value
    // the field holds and return false, so that the caller can log the problem. Nothing ever
    // spills into the neighbouring bits.
    bool SetStartTagLength(int n) { return SetField(tagLengths, 0, kMaxStartTagLength, n); }
    bool SetEndTagLength(int n) { return SetField(tagLengths, 22, kMaxEndTagLength, n); }
    bool SetLevel(int n) { return SetField(levelFlags, 0, kMaxLevel, n); }
    void SetFlag(uint32_t flag) { levelFlags |= flag; }
    void ClearFlag(uint32_t flag) { levelFlags &= ~flag; }

private:
    static bool SetField(uint32_t& word, int shift, int max, int n)
    {
        bool fits = n >= 0 && n <= max;
        uint32_t value = static_cast<uint32_t>(fits ? n : (n < 0 ? 0 : max));
        word = (word & ~(static_cast<uint32_t>(max) << shift)) | (value << shift);
        return fits;
    }
};
static_assert(sizeof(XmlElemRecord) == 32, "element records are eight 32-bit words");

class XmlElemTree {
public:
    static constexpr int kPageShift = 16;
    static constexpr int kPageSize = 1 << kPageShift;

    XmlElemRecord& operator[](int i) { return pages_[i >> kPageShift][i & (kPageSize - 1)]; }
    const XmlElemRecord& operator[](int i) const { return pages_[i >> kPageShift][i & (kPageSize - 1)]; }

    int Size() const { return size_; }

    // Grows the table towards n records; one call adds at most one page, so the size may stay
    // below n. Records keep their indexes and values.
    void Grow(int n);
    void Clear();

private:
    using Page = std::unique_ptr<XmlElemRecord[]>;
    void ResizePage(int page, int count, int oldCount);

    std::vector<Page> pages_;
    int size_ = 0;
};
