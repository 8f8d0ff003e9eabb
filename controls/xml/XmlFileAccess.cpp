#include "xml/XmlFileAccess.h"

#include "xml/XmlDocument.h"
#include "xml/XmlTextConverter.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr int kMaxBlockSize = 1 << 28;
// The declaration or meta charset of a document sits in its first kilobyte.
constexpr size_t kPeekBytes = 1024;

std::wstring Lowered(const std::wstring& name)
{
    std::wstring lower = name;
    for (wchar_t& c : lower) {
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c + 32);
    }
    return lower;
}

bool IsUnicodeFamily(int cp)
{
    return cp == XmlCodePageUtf16 || cp == XmlCodePageUtf16BE || cp == XmlCodePageUtf32 ||
           cp == XmlCodePageUtf32LE || cp == XmlCodePageUtf32BE;
}

// The encoding that the first bytes of a file without byte-order mark show: "<" as UTF-16 or
// UTF-32, else the declaration read through the bytes as if they were ASCII. A declared UTF-16 or
// UTF-32 that could be read that way is wrong by construction and is ignored.
std::wstring SniffEncoding(const uint8_t* head, size_t n)
{
    if (n >= 4 && head[0] == '<' && head[1] == 0 && head[2] == 0 && head[3] == 0)
        return L"UTF-32";
    if (n >= 4 && head[0] == 0 && head[1] == 0 && head[2] == 0 && head[3] == '<')
        return L"UTF-32BE";
    if (n >= 2 && head[0] == '<' && head[1] == 0)
        return L"UTF-16";
    if (n >= 2 && head[0] == 0 && head[1] == '<')
        return L"UTF-16BE";
    std::wstring bytes(head, head + n);
    std::wstring declared = XmlDocument::DeclaredEncoding(bytes);
    return IsUnicodeFamily(XmlCodePageOfName(declared)) ? std::wstring() : declared;
}

} // namespace

XmlFileAccess::XmlFileAccess(std::wstring* documentText, int64_t maxTextLength)
    : documentText_(documentText), maxTextLength_(maxTextLength)
{
}

XmlFileAccess::~XmlFileAccess()
{
    if (file_)
        fclose(file_);
}

bool XmlFileAccess::OpenForRead(const wchar_t* path, const wchar_t* encoding, int blockSize)
{
    result_.clear();
    file_ = _wfopen(path, L"rb");
    if (!file_)
        return ReportFileError();
    if (_fseeki64(file_, 0, SEEK_END) != 0 || (fileLength_ = _ftelli64(file_)) < 0)
        return ReportFileError();
    rewind(file_);

    uint8_t head[kPeekBytes];
    size_t n = fread(head, 1, sizeof head, file_);
    int mark = 0;
    std::wstring name;
    if (n >= 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF) {
        name = L"UTF-8";
        mark = 3;
    } else if (n >= 4 && head[0] == 0xFF && head[1] == 0xFE && head[2] == 0 && head[3] == 0) {
        name = L"UTF-32";
        mark = 4;
    } else if (n >= 4 && head[0] == 0 && head[1] == 0 && head[2] == 0xFE && head[3] == 0xFF) {
        name = L"UTF-32BE";
        mark = 4;
    } else if (n >= 2 && head[0] == 0xFF && head[1] == 0xFE) {
        name = L"UTF-16";
        mark = 2;
    } else if (n >= 2 && head[0] == 0xFE && head[1] == 0xFF) {
        name = L"UTF-16BE";
        mark = 2;
    } else if (encoding && *encoding) {
        name = encoding;
    } else {
        name = SniffEncoding(head, n);
    }
    SetEncoding(name);
    fileOffset_ = mark;
    if (_fseeki64(file_, mark, SEEK_SET) != 0)
        return ReportFileError();
    blockSize_ = std::clamp(blockSize, 1, kMaxBlockSize);
    return true;
}

bool XmlFileAccess::OpenForWrite(const wchar_t* path, const wchar_t* encoding, int blockSize)
{
    result_.clear();
    file_ = _wfopen(path, L"wb");
    if (!file_)
        return ReportFileError();
    SetEncoding(encoding ? encoding : L"");
    blockSize_ = std::clamp(blockSize, 1, kMaxBlockSize);
    return true;
}

bool XmlFileAccess::CloseFile()
{
    FILE* file = file_;
    file_ = nullptr;
    if (file && fclose(file) != 0)
        return ReportFileError();
    return true;
}

void XmlFileAccess::SetEncoding(const std::wstring& name)
{
    encoding_ = name;
    fileFlags_ = 0;
    unitSize_ = 1;
    int cp = XmlCodePageOfName(name);
    if (cp == XmlCodePageUtf16) {
        fileFlags_ = Utf16;
        unitSize_ = 2;
    } else if (cp == XmlCodePageUtf16BE) {
        fileFlags_ = Utf16Swapped;
        unitSize_ = 2;
    } else if (cp == XmlCodePageUtf32 || cp == XmlCodePageUtf32LE || cp == XmlCodePageUtf32BE) {
        unitSize_ = 4;
        // "UTF-32BE" counts as UTF-32 by its prefix; the table tells the byte order.
        if (XmlLookupEncodingName(Lowered(name)) == XmlCodePageUtf32BE)
            fileFlags_ = Utf32Swapped;
    }
}

bool XmlFileAccess::ReadNextBlock()
{
    if (!file_ || failed_ || fileOffset_ >= fileLength_)
        return false;
    // The document keeps its whole text (every element record points into it), so the reader
    // never cuts the front; doubling the block keeps the number of refills logarithmic.
    int bytes = (blockSize_ & ~3) + 4;
    if (blockSize_ < kMaxBlockSize)
        blockSize_ *= 2;
    if (static_cast<int64_t>(documentText_->size()) + std::min<int64_t>(bytes, fileLength_ - fileOffset_) >
        maxTextLength_) {
        // The document would hold only the front of the file: that is a failed read, not an end.
        failed_ = true;
        result_.clear();
        XmlDocument::LogResult(result_, L"file_too_large", nullptr, 0, -1);
        return false;
    }
    std::wstring more;
    if (!ReadText(bytes, more))
        return false;
    documentText_->append(more);
    return true;
}

bool XmlFileAccess::ReadText(int bytes, std::wstring& out)
{
    result_.clear();
    out.clear();
    if (bytes <= 0) {
        XmlDocument::LogResult(result_, L"read", encoding_.c_str(), XmlLogEncoding | XmlLogLength, 0);
        return true;
    }
    // A block ends on a character boundary only when more of the file follows; the last block
    // is taken whole, and so is a stateful encoding, whose shift state no boundary carries.
    bool checkEnd = true;
    int64_t remaining = fileLength_ - fileOffset_;
    if (bytes >= remaining || XmlIsStatefulCodePage(XmlCodePageOfName(encoding_))) {
        bytes = static_cast<int>(std::min<int64_t>(remaining, maxTextLength_));
        checkEnd = false;
    } else if (bytes >= unitSize_) {
        // Whole units only, or every later block would start inside one.
        bytes -= bytes % unitSize_;
    }
    operationBytes_ = bytes;

    if (IsUtf16File()) {
        out.resize(bytes / 2 + 1);
        bool ok = ReadBytes(&out[0]);
        if (ok && checkEnd)
            TrimRaggedEnd(&out[0]);
        out.resize(ok ? operationTextLength_ : 0);
        return ok;
    }

    std::vector<uint8_t> buffer(bytes + 4);
    bool ok = ReadBytes(buffer.data());
    if (!ok)
        return false;
    if (encoding_.empty() && !utf8Refused_)
        DetectUtf8(buffer.data(), checkEnd);
    if (checkEnd)
        TrimRaggedEnd(buffer.data());
    XmlTextConverter converter(encoding_, buffer.data(), operationTextLength_);
    int units = converter.Convert(nullptr, L"UTF-16");
    out.resize(units);
    converter.SetTargetLength(units);
    if (units > 0)
        converter.Convert(&out[0]);
    XmlDocument::LogResult(result_, L"converted_to", L"UTF-16", XmlLogEncoding | XmlLogLength, units);
    if (converter.Replaced() > 0)
        XmlDocument::LogResult(result_, L"replaced_characters", nullptr, XmlLogCount, converter.Replaced());
    return true;
}

bool XmlFileAccess::ReadBytes(void* buffer)
{
    size_t got = fread(buffer, 1, operationBytes_, file_);
    if (got < static_cast<size_t>(operationBytes_) && ferror(file_))
        return ReportFileError();
    if (got == 0) {
        // The file ended before its length said (it shrank): stop here.
        fileLength_ = fileOffset_;
    }
    operationBytes_ = static_cast<int>(got);
    fileOffset_ += operationBytes_;
    operationTextLength_ = operationBytes_ / unitSize_;
    XmlDocument::LogResult(result_, L"read", encoding_.c_str(), XmlLogEncoding | XmlLogLength, operationTextLength_);

    int removed = RemoveNulls(buffer, operationTextLength_);
    if (removed > 0) {
        operationTextLength_ -= removed;
        XmlDocument::LogResult(result_, L"nulls_removed", nullptr, XmlLogCount, removed);
    }
    if (fileFlags_ & Utf16Swapped) {
        XmlUtf::SwapBytes16(buffer, operationTextLength_);
        XmlDocument::LogResult(result_, L"endian_swap", nullptr, 0, -1);
    } else if (fileFlags_ & Utf32Swapped) {
        XmlUtf::SwapBytes32(buffer, operationTextLength_);
        XmlDocument::LogResult(result_, L"endian_swap", nullptr, 0, -1);
    }
    return true;
}

// Zero units are no text (the scanner takes a zero for the end of the text); they are dropped.
int XmlFileAccess::RemoveNulls(void* buffer, int units)
{
    auto* bytes = static_cast<uint8_t*>(buffer);
    auto isNull = [&](int i) {
        const uint8_t* u = bytes + static_cast<size_t>(i) * unitSize_;
        for (int k = 0; k < unitSize_; ++k) {
            if (u[k])
                return false;
        }
        return true;
    };
    int kept = 0;
    for (int i = 0; i < units; ++i) {
        if (isNull(i))
            continue;
        if (kept != i)
            std::memcpy(bytes + static_cast<size_t>(kept) * unitSize_, bytes + static_cast<size_t>(i) * unitSize_,
                        unitSize_);
        ++kept;
    }
    return units - kept;
}

void XmlFileAccess::DetectUtf8(const uint8_t* bytes, bool moreBlocksFollow)
{
    int sequences = 0;
    bool faultAtEnd = false;
    bool utf8 = XmlUtf::TestUtf8(bytes, operationTextLength_, &sequences, &faultAtEnd);
    if (utf8 || (faultAtEnd && moreBlocksFollow)) {
        encoding_ = L"UTF-8";
        XmlDocument::LogResult(result_, L"read", encoding_.c_str(), XmlLogEncoding | XmlLogModify, -1);
    } else {
        utf8Refused_ = true;
    }
    XmlDocument::LogResult(result_, L"utf8_detection", nullptr, 0, -1);
}

bool XmlFileAccess::TrimRaggedEnd(void* buffer)
{
    XmlTextConverter converter(IsUtf16File() ? L"UTF-16" : encoding_, buffer, operationTextLength_);
    int back = 0;
    if (!converter.FindSafeEnd(back)) {
        XmlDocument::LogResult(result_, L"truncation_error", encoding_.empty() ? L"ANSI" : encoding_.c_str(),
                               XmlLogEncoding, -1);
        return true;
    }
    // Giving the whole block back would read it again for ever.
    if (back <= 0 || back >= operationTextLength_ * unitSize_)
        return true;
    fileOffset_ -= back;
    if (_fseeki64(file_, fileOffset_, SEEK_SET) != 0)
        return ReportFileError();
    operationBytes_ -= back;
    operationTextLength_ -= back / unitSize_;
    XmlDocument::LogResult(result_, L"read", encoding_.c_str(), XmlLogEncoding | XmlLogLength | XmlLogModify,
                           operationTextLength_);
    return true;
}

bool XmlFileAccess::WriteText(const wchar_t* text, int length)
{
    result_.clear();
    if (length < 0)
        length = static_cast<int>(wcslen(text));
    if (length == 0) {
        XmlDocument::LogResult(result_, L"write", encoding_.c_str(), XmlLogEncoding | XmlLogLength, 0);
        return true;
    }
    if (fileOffset_ == 0 && !WriteByteOrderMark())
        return false;
    if (IsUtf16File())
        return WriteBytes(text, length);

    XmlTextConverter converter(L"UTF-16", text, length);
    int units = converter.Convert(nullptr, encoding_.c_str());
    std::vector<uint8_t> buffer(static_cast<size_t>(units) * unitSize_ + 1);
    converter.SetTargetLength(units);
    converter.Convert(buffer.data());
    XmlDocument::LogResult(result_, L"converted_from", L"UTF-16", XmlLogEncoding | XmlLogLength, length);
    if (converter.Lost())
        XmlDocument::LogResult(result_, L"conversion_loss", nullptr, 0, -1);
    if (converter.Replaced() > 0)
        XmlDocument::LogResult(result_, L"replaced_characters", nullptr, XmlLogCount, converter.Replaced());
    return WriteBytes(buffer.data(), units);
}

// UTF-16 and UTF-32 files start with a byte-order mark: without it a reader cannot tell them
// from other text. UTF-8 goes without one, as XML expects.
bool XmlFileAccess::WriteByteOrderMark()
{
    static const uint8_t kUtf16LE[] = {0xFF, 0xFE};
    static const uint8_t kUtf16BE[] = {0xFE, 0xFF};
    static const uint8_t kUtf32LE[] = {0xFF, 0xFE, 0x00, 0x00};
    static const uint8_t kUtf32BE[] = {0x00, 0x00, 0xFE, 0xFF};
    const uint8_t* mark = nullptr;
    if (unitSize_ == 2)
        mark = (fileFlags_ & Utf16Swapped) ? kUtf16BE : kUtf16LE;
    else if (unitSize_ == 4)
        mark = (fileFlags_ & Utf32Swapped) ? kUtf32BE : kUtf32LE;
    if (!mark)
        return true;
    if (fwrite(mark, 1, unitSize_, file_) != static_cast<size_t>(unitSize_))
        return ReportFileError();
    fileOffset_ += unitSize_;
    return true;
}

bool XmlFileAccess::WriteBytes(const void* data, int units)
{
    operationBytes_ = units * unitSize_;
    std::vector<uint8_t> swapped;
    if (fileFlags_ & (Utf16Swapped | Utf32Swapped)) {
        swapped.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + operationBytes_);
        if (fileFlags_ & Utf16Swapped)
            XmlUtf::SwapBytes16(swapped.data(), units);
        else
            XmlUtf::SwapBytes32(swapped.data(), units);
        data = swapped.data();
        XmlDocument::LogResult(result_, L"endian_swap", nullptr, 0, -1);
    }
    if (fwrite(data, 1, operationBytes_, file_) != static_cast<size_t>(operationBytes_))
        return ReportFileError();
    fileOffset_ += operationBytes_;
    operationTextLength_ = units;
    XmlDocument::LogResult(result_, L"write", encoding_.c_str(), XmlLogEncoding | XmlLogLength, units);
    return true;
}

bool XmlFileAccess::FlushText(std::wstring& text, int length, bool flush)
{
    result_.clear();
    if (length < 0)
        length = static_cast<int>(text.size());
    bool ok = true;
    if (length > 0) {
        if (fileOffset_ == 0 && encoding_.empty() && !text.empty()) {
            std::wstring declared = XmlDocument::DeclaredEncoding(text);
            SetEncoding(declared.empty() ? L"UTF-8" : declared);
        }
        ok = WriteText(text.c_str(), length);
        if (ok)
            text.erase(0, length);
    }
    if (flush && ok && fflush(file_) != 0)
        ok = ReportFileError();
    return ok;
}

bool XmlFileAccess::ReportFileError()
{
    failed_ = true;
    DWORD code = GetLastError();
    std::wstring message;
    wchar_t* system = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<wchar_t*>(&system), 0, nullptr);
    if (n > 0 && system) {
        message.assign(system, std::min<DWORD>(n, 100));
        LocalFree(system);
    }
    message = message.substr(0, message.find_first_of(L"\r\n"));
    XmlDocument::LogResult(result_, L"file_error", message.c_str(), XmlLogMsg | XmlLogN, static_cast<int>(code));
    return false;
}
