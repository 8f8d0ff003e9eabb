#include "xml/XmlTextConverter.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace XmlUtf {

void EncodeUtf8(uint32_t cp, uint8_t* dest, int& count)
{
    uint8_t bytes[4];
    int n;
    if (cp < 0x80) {
        bytes[0] = static_cast<uint8_t>(cp);
        n = 1;
    } else if (cp < 0x800) {
        bytes[0] = static_cast<uint8_t>(0xC0 | (cp >> 6));
        bytes[1] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
        n = 2;
    } else if (cp < 0x10000) {
        bytes[0] = static_cast<uint8_t>(0xE0 | (cp >> 12));
        bytes[1] = static_cast<uint8_t>(0x80 | ((cp >> 6) & 0x3F));
        bytes[2] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
        n = 3;
    } else {
        bytes[0] = static_cast<uint8_t>(0xF0 | ((cp >> 18) & 0x07));
        bytes[1] = static_cast<uint8_t>(0x80 | ((cp >> 12) & 0x3F));
        bytes[2] = static_cast<uint8_t>(0x80 | ((cp >> 6) & 0x3F));
        bytes[3] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
        n = 4;
    }
    if (dest)
        std::memcpy(dest + count, bytes, n);
    count += n;
}

// A continuation byte (10xxxxxx) never starts a character, and a lead byte never continues one:
// taking either for the other would read Latin-1 text such as "\xA9\xA9" as valid UTF-8.
int DecodeUtf8(const uint8_t*& pos, const uint8_t* end)
{
    const uint8_t* start = pos;
    uint32_t lead = *pos++;
    if (lead < 0x80)
        return static_cast<int>(lead);
    int more;
    uint32_t cp;
    if ((lead & 0xC0) == 0x80) {
        return kInvalid;
    } else if (!(lead & 0x20)) {
        more = 1;
        cp = lead & 0x1F;
    } else if (!(lead & 0x10)) {
        more = 2;
        cp = lead & 0x0F;
    } else if (!(lead & 0x08)) {
        more = 3;
        cp = lead & 0x07;
    } else {
        return kInvalid;
    }
    while (more-- > 0) {
        if (pos == end) {
            pos = start + 1;
            return kTruncated;
        }
        if ((*pos & 0xC0) != 0x80) {
            pos = start + 1;
            return kInvalid;
        }
        cp = (cp << 6) | (*pos++ & 0x3F);
    }
    return static_cast<int>(cp);
}

void EncodeUtf16(uint32_t cp, wchar_t* dest, int& count)
{
    if (cp > 0xFFFF) {
        if (dest) {
            dest[count] = static_cast<wchar_t>(0xD800 | (((cp - 0x10000) >> 10) & 0x3FF));
            dest[count + 1] = static_cast<wchar_t>(0xDC00 | (cp & 0x3FF));
        }
        count += 2;
    } else {
        if (dest)
            dest[count] = static_cast<wchar_t>(cp);
        ++count;
    }
}

// Only a high surrogate followed by a low one makes a pair; a lone surrogate of either kind is
// undecodable and the unit after it is looked at on its own.
int DecodeUtf16(const wchar_t*& pos, const wchar_t* end)
{
    uint32_t first = *pos++;
    if (first < 0xD800 || first > 0xDFFF)
        return static_cast<int>(first);
    if (first > 0xDBFF)
        return kInvalid;
    if (pos == end)
        return kTruncated;
    uint32_t second = *pos;
    if (second < 0xDC00 || second > 0xDFFF)
        return kInvalid;
    ++pos;
    return static_cast<int>((((first & 0x3FF) << 10) | (second & 0x3FF)) + 0x10000);
}

bool TestUtf8(const uint8_t* bytes, int length, int* sequences, bool* faultAtEnd)
{
    const uint8_t* pos = bytes;
    const uint8_t* end = bytes + length;
    *sequences = 0;
    *faultAtEnd = false;
    while (pos < end && *pos) {
        if (!(*pos & 0x80)) {
            ++pos;
            continue;
        }
        ++*sequences;
        int cp = DecodeUtf8(pos, end);
        if (cp < 0) {
            *faultAtEnd = cp == kTruncated;
            return false;
        }
    }
    return true;
}

void SwapBytes16(void* buffer, int units)
{
    auto* p = static_cast<uint8_t*>(buffer);
    for (int i = 0; i < units; ++i, p += 2)
        std::swap(p[0], p[1]);
}

void SwapBytes32(void* buffer, int units)
{
    auto* p = static_cast<uint8_t*>(buffer);
    for (int i = 0; i < units; ++i, p += 4) {
        std::swap(p[0], p[3]);
        std::swap(p[1], p[2]);
    }
}

} // namespace XmlUtf

namespace {

int NormalisedCodePage(const std::wstring& name)
{
    int cp = XmlCodePageOfName(name);
    if (cp < 0)
        return XmlCodePageAnsi;
    if (cp == XmlCodePageUtf32LE || cp == XmlCodePageUtf32BE)
        return XmlCodePageUtf32;
    return cp;
}

// Code pages where one character may take several bytes, so that a block may end inside one.
bool IsMultibyteCodePage(int cp)
{
    static const int kMultibyte[] = {874,   932,   936,   949,   950,   1361,  10001, 10002, 10003, 10008,
                                     10021, 20000, 20001, 20002, 20003, 20004, 20833, 20932, 20936, 20949,
                                     50220, 50221, 50222, 50225, 50227, 50930, 50931, 50933, 50935, 50937,
                                     50939, 51932, 51936, 51949, 52936, 54936};
    return std::find(std::begin(kMultibyte), std::end(kMultibyte), cp) != std::end(kMultibyte);
}

// Code pages whose conversion must not ask for the default-character flag (Windows refuses it).
bool RefusesLossFlag(int cp)
{
    return (cp >= 50220 && cp <= 50222) || cp == 50225 || cp == 50227 || cp == 50229 || cp == 52936 ||
           cp == 54936 || (cp >= 57002 && cp <= 57011) || cp == 65000 || cp == 65001;
}

constexpr uint32_t kReplacement = '?';

} // namespace

XmlTextConverter::XmlTextConverter(const std::wstring& sourceName, const void* source, int sourceLength)
    : sourceName_(sourceName), source_(source), sourceLength_(sourceLength)
{
}

int XmlTextConverter::Convert(void* destination, const wchar_t* targetName)
{
    if (targetName)
        targetName_ = targetName;
    int target = NormalisedCodePage(targetName_);
    int source = NormalisedCodePage(sourceName_);
    loss_ = 0;
    replaced_ = 0;

    int count = 0;
    if (source == XmlCodePageUtf32) {
        count = ConvertFromUtf32(destination, target);
    } else if (source == XmlCodePageUtf16) {
        if (target == XmlCodePageUtf32)
            count = ConvertUtf16ToUtf32(static_cast<uint32_t*>(destination));
        else
            count = WideToMultiByte(target, static_cast<const wchar_t*>(source_), sourceLength_,
                                    static_cast<char*>(destination));
    } else if (target == XmlCodePageUtf16) {
        count = MultiByteToWide(source, static_cast<wchar_t*>(destination));
    } else if (target != XmlCodePageUtf32) {
        std::vector<wchar_t> wide(std::max(sourceLength_, 1));
        int units = MultiByteToWideChar(source, 0, static_cast<const char*>(source_), sourceLength_, wide.data(),
                                        static_cast<int>(wide.size()));
        count = WideToMultiByte(target, wide.data(), units, static_cast<char*>(destination));
    } else if (source == XmlCodePageUtf8) {
        count = ConvertUtf8ToUtf32(static_cast<uint32_t*>(destination));
    }
    targetLength_ = count;
    return count;
}

int XmlTextConverter::ConvertFromUtf32(void* destination, int target)
{
    if (target != XmlCodePageUtf8 && target != XmlCodePageUtf16)
        return 0;
    const auto* units = static_cast<const uint32_t*>(source_);
    int count = 0;
    for (int i = 0; i < sourceLength_; ++i) {
        uint32_t cp = units[i];
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            cp = kReplacement;
            ++replaced_;
        }
        if (target == XmlCodePageUtf8)
            XmlUtf::EncodeUtf8(cp, static_cast<uint8_t*>(destination), count);
        else
            XmlUtf::EncodeUtf16(cp, static_cast<wchar_t*>(destination), count);
    }
    return count;
}

template <typename Unit>
int XmlTextConverter::DecodeToUtf32(uint32_t* destination, int (*decode)(const Unit*&, const Unit*))
{
    const auto* pos = static_cast<const Unit*>(source_);
    const Unit* end = pos + sourceLength_;
    int count = 0;
    while (pos < end) {
        int cp = decode(pos, end);
        if (cp < 0) {
            cp = kReplacement;
            ++replaced_;
        }
        if (destination)
            destination[count] = static_cast<uint32_t>(cp);
        ++count;
    }
    return count;
}

int XmlTextConverter::ConvertUtf16ToUtf32(uint32_t* destination)
{
    return DecodeToUtf32<wchar_t>(destination, &XmlUtf::DecodeUtf16);
}

int XmlTextConverter::ConvertUtf8ToUtf32(uint32_t* destination)
{
    return DecodeToUtf32<uint8_t>(destination, &XmlUtf::DecodeUtf8);
}

int XmlTextConverter::WideToMultiByte(int codePage, const wchar_t* source, int length, char* destination)
{
    if (length <= 0)
        return 0;
    BOOL usedDefault = FALSE;
    BOOL* lossFlag = RefusesLossFlag(codePage) ? nullptr : &usedDefault;
    int count = WideCharToMultiByte(static_cast<UINT>(codePage), 0, source, length, destination,
                                    destination ? targetLength_ : 0, nullptr, lossFlag);
    loss_ = usedDefault ? 1 : 0;
    return count;
}

int XmlTextConverter::MultiByteToWide(int codePage, wchar_t* destination)
{
    if (sourceLength_ <= 0)
        return 0;
    return MultiByteToWideChar(static_cast<UINT>(codePage), 0, static_cast<const char*>(source_), sourceLength_,
                               destination, destination ? targetLength_ : 0);
}

bool XmlTextConverter::FindSafeEnd(int& bytesBack)
{
    bytesBack = 0;
    int cp = NormalisedCodePage(sourceName_);
    if (cp == XmlCodePageAnsi)
        cp = static_cast<int>(GetACP());
    if (cp == XmlCodePageUtf16 || cp == XmlCodePageUtf16BE) {
        const auto* units = static_cast<const wchar_t*>(source_);
        if (sourceLength_ > 0 && units[sourceLength_ - 1] >= 0xD800 && units[sourceLength_ - 1] <= 0xDBFF)
            bytesBack = 2;
        return true;
    }
    if (cp == XmlCodePageUtf8) {
        // The last lead byte within a character's length of the end decides: when its sequence
        // runs past the end, the bytes from it on belong to the next block.
        const auto* bytes = static_cast<const uint8_t*>(source_);
        const uint8_t* end = bytes + sourceLength_;
        for (int i = sourceLength_ - 1; i >= 0 && i >= sourceLength_ - 4; --i) {
            if ((bytes[i] & 0xC0) == 0x80)
                continue;
            const uint8_t* pos = bytes + i;
            if (XmlUtf::DecodeUtf8(pos, end) == XmlUtf::kTruncated)
                bytesBack = sourceLength_ - i;
            break;
        }
        return true;
    }
    if (!IsMultibyteCodePage(cp) || sourceLength_ == 0)
        return true;
    return FindMultibyteEnd(cp, bytesBack);
}

// A double-byte code page gives no way to tell a lead byte from a trail byte by its value, so the
// end is found by conversion: the last t bytes, once their conversion matches the end of the
// whole block's, are split where converting both halves apart gives the same text as together.
bool XmlTextConverter::FindMultibyteEnd(int cp, int& bytesBack)
{
    const auto* bytes = static_cast<const char*>(source_);
    int length = sourceLength_;
    std::vector<wchar_t> whole(length + 1);
    int wholeLength = MultiByteToWideChar(cp, 0, bytes, length, whole.data(), length + 1);

    auto convert = [cp](const char* from, int n, wchar_t* into) {
        return MultiByteToWideChar(cp, 0, from, n, into, 80);
    };
    int matches = 0;
    for (int t = 1; t <= 40 && t <= length; ++t) {
        const char* tail = bytes + length - t;
        wchar_t together[80];
        int n = convert(tail, t, together);
        if (n <= 0 || n > wholeLength || std::wmemcmp(whole.data() + wholeLength - n, together, n) != 0)
            continue;
        if (++matches < 3)
            continue;
        for (int j = 1; j < t; ++j) {
            wchar_t first[80], second[80];
            int a = convert(tail, j, first);
            int b = convert(tail + j, t - j, second);
            if (a > 0 && b > 0 && a + b == n && std::wmemcmp(first, together, a) == 0 &&
                std::wmemcmp(second, together + a, b) == 0) {
                bytesBack = t - j;
                return true;
            }
        }
    }
    return false;
}
