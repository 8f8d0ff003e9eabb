// Text encodings of XmlDocument: encoding names, the UTF codecs and the converter between UTF-32,
// UTF-16, UTF-8 and the Windows code pages.
#pragma once

#include <cstdint>
#include <string>

// Code page numbers. UTF-32 has no Windows conversion, so this component gives it its own number
// and converts it itself; in memory UTF-32 is always little-endian (the file side swaps
// big-endian files before and after).
constexpr int XmlCodePageAnsi = 0;
constexpr int XmlCodePageUtf16 = 1200;
constexpr int XmlCodePageUtf16BE = 1201;
constexpr int XmlCodePageUtf32LE = 12000;
constexpr int XmlCodePageUtf32BE = 12001;
constexpr int XmlCodePageUtf8 = 65001;
constexpr int XmlCodePageUtf32 = 65005;

// The code page of an encoding name: 0 for an empty name, 65005 for a name that begins "UTF-32"
// (upper case), -1 for a name of 100 characters or more and for an unknown name; otherwise the
// table entry of the name with A-Z lowered.
int XmlCodePageOfName(const std::wstring& name);
// The table alone (the name must already be lower case); -1 when absent.
int XmlLookupEncodingName(const std::wstring& lowerName);
// Code pages whose shift state runs across characters: a block boundary cannot be placed inside
// them without the state, so such files are read whole.
bool XmlIsStatefulCodePage(int codePage);

namespace XmlUtf {

constexpr int kInvalid = -1;
constexpr int kTruncated = -2;  // the sequence runs past the end of the buffer

// Encoders store at dest + count when dest is given, and always advance count.
void EncodeUtf8(uint32_t codePoint, uint8_t* dest, int& count);
void EncodeUtf16(uint32_t codePoint, wchar_t* dest, int& count);
// Decoders return the code point or kInvalid / kTruncated. On failure only the first unit is
// consumed, so the next one is looked at again.
int DecodeUtf8(const uint8_t*& pos, const uint8_t* end);
int DecodeUtf16(const wchar_t*& pos, const wchar_t* end);
// True when the bytes (up to length or a zero byte) are UTF-8. sequences counts the multibyte
// sequences; faultAtEnd tells, on failure, that the last sequence was only cut short.
bool TestUtf8(const uint8_t* bytes, int length, int* sequences, bool* faultAtEnd);
void SwapBytes16(void* buffer, int units);
void SwapBytes32(void* buffer, int units);

} // namespace XmlUtf

class XmlTextConverter {
public:
    // sourceLength counts source units: bytes, UTF-16 units or UTF-32 units.
    XmlTextConverter(const std::wstring& sourceName, const void* source, int sourceLength);

    // Converts into destination (room for TargetLength() units), or with no destination only
    // counts; a given target name replaces the stored one. Returns the target units produced.
    int Convert(void* destination, const wchar_t* targetName = nullptr);
    // How many bytes at the end of the source must be given back so that it ends on a character
    // boundary. False when no boundary could be found.
    bool FindSafeEnd(int& bytesBack);

    int TargetLength() const { return targetLength_; }
    void SetTargetLength(int capacity) { targetLength_ = capacity; }
    // A character had no equivalent in the target code page.
    bool Lost() const { return loss_ != 0; }
    // Undecodable source units replaced by '?'.
    int Replaced() const { return replaced_; }

private:
    int ConvertFromUtf32(void* destination, int targetCodePage);
    int ConvertUtf16ToUtf32(uint32_t* destination);
    int ConvertUtf8ToUtf32(uint32_t* destination);
    // Decodes the source to code points with `decode`, replacing (and counting) what is not valid.
    template <typename Unit>
    int DecodeToUtf32(uint32_t* destination, int (*decode)(const Unit*&, const Unit*));
    int WideToMultiByte(int codePage, const wchar_t* source, int length, char* destination);
    int MultiByteToWide(int codePage, wchar_t* destination);
    bool FindMultibyteEnd(int codePage, int& bytesBack);

    std::wstring targetName_;
    std::wstring sourceName_;
    const void* source_;
    int sourceLength_;
    int targetLength_ = 0;
    int loss_ = 0;
    int replaced_ = 0;
};
