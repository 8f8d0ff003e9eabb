// XmlFileAccess: the file under a document in streaming mode. Reading pulls the file block by
// block into the document text, converting from the file's encoding to UTF-16 and ending every
// block on a character boundary; writing converts finished text to the file's encoding. Every
// operation reports in its own result text, in the form of XmlDocument's result log.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class XmlFileAccess {
public:
    enum FileFlags : uint32_t {
        Utf16 = 0x01,          // UTF-16 little-endian text
        Utf32Swapped = 0x40,   // UTF-32 big-endian: every 32-bit unit is byte-reversed
        Utf16Swapped = 0x80,   // UTF-16 big-endian: every 16-bit unit is byte-swapped
    };

    // Offsets into the document text are ints: the text stays well inside their range.
    static constexpr int64_t kMaxTextLength = 0x3FFFFFFF;

    // The file reads into, and writes from, the document's text, which reading lets grow to at
    // most maxTextLength characters.
    explicit XmlFileAccess(std::wstring* documentText, int64_t maxTextLength = kMaxTextLength);
    ~XmlFileAccess();
    XmlFileAccess(const XmlFileAccess&) = delete;
    XmlFileAccess& operator=(const XmlFileAccess&) = delete;

    // Opens for reading and settles the encoding: a byte-order mark first, then the caller's
    // encoding, then what the first bytes show (UTF-16 or UTF-32 without mark, or the declared
    // encoding); left empty, the first block decides between UTF-8 and the ANSI code page.
    bool OpenForRead(const wchar_t* path, const wchar_t* encoding, int blockSize);
    bool OpenForWrite(const wchar_t* path, const wchar_t* encoding, int blockSize);
    bool CloseFile();

    // Sets the encoding name and with it the unit size and the file flags.
    void SetEncoding(const std::wstring& name);
    const std::wstring& Encoding() const { return encoding_; }
    const std::wstring& ResultText() const { return result_; }
    int BlockSize() const { return blockSize_; }
    bool Failed() const { return failed_; }

    // Appends the next block of the file to the document text; false at the end of the file,
    // and false (and failed) once the next block would grow the text past its limit.
    bool ReadNextBlock();
    // Reads the given number of bytes (cut to what the file has left) as text.
    bool ReadText(int bytes, std::wstring& out);
    // Writes length characters (-1: all) converted to the file's encoding.
    bool WriteText(const wchar_t* text, int length);
    // Writes the first length characters (-1: all) of text and cuts them from it; on the first
    // write with no encoding chosen, the text's declared encoding (or UTF-8) is taken.
    bool FlushText(std::wstring& text, int length, bool flush);

private:
    bool ReadBytes(void* buffer);
    int RemoveNulls(void* buffer, int units);
    void DetectUtf8(const uint8_t* bytes, bool moreBlocksFollow);
    bool TrimRaggedEnd(void* buffer);
    bool WriteByteOrderMark();
    bool WriteBytes(const void* data, int units);
    bool ReportFileError();
    bool IsUtf16File() const { return (fileFlags_ & (Utf16 | Utf16Swapped)) != 0; }

    FILE* file_ = nullptr;
    uint32_t fileFlags_ = 0;
    int operationBytes_ = 0;
    int blockSize_ = 0;
    int64_t fileLength_ = 0;
    int64_t fileOffset_ = 0;
    int unitSize_ = 1;
    int operationTextLength_ = 0;
    std::wstring result_;
    std::wstring encoding_;
    std::wstring* documentText_;
    int64_t maxTextLength_;
    // Once a block has failed the UTF-8 test, the file is read in the ANSI code page to its end,
    // so that no later block is taken for UTF-8 by chance.
    bool utf8Refused_ = false;
    bool failed_ = false;
};
