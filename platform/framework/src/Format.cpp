// printf-style formatting with the Win32 C library's reading of the conversions.
//
// The program's text is written for that reading: in a wide format %s is a wide string and %S a
// narrow one, and sizes are spelt %I64d as well as %lld. The compiler's own C library reads wide
// formats the C99 way, so strings and characters are handled here, and numbers are handed to the
// narrow snprintf one conversion at a time with a normalised conversion.
#include <framework/String.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace framework {
namespace {

enum class Size { Default, Char, Short, Long, LongLong, Pointer, LongDouble, Wide };

template <typename Ch>
struct Spec {
    std::string flags;
    int width = -1;
    int precision = -1;
    Size size = Size::Default;
    Ch conversion = 0;
};

template <typename Ch>
void AppendAscii(std::basic_string<Ch>& out, const char* text, size_t length) {
    for (size_t i = 0; i < length; ++i) out.push_back(static_cast<Ch>(static_cast<unsigned char>(text[i])));
}

// Text converted to the output width; narrow text goes through the ANSI code page.
template <typename Ch>
std::basic_string<Ch> Convert(const wchar_t* text, int length);
template <typename Ch>
std::basic_string<Ch> Convert(const char* text, int length);

template <>
std::wstring Convert<wchar_t>(const wchar_t* text, int length) {
    return length < 0 ? std::wstring(text) : std::wstring(text, static_cast<size_t>(length));
}
template <>
std::wstring Convert<wchar_t>(const char* text, int length) {
    return CString(text, length < 0 ? static_cast<int>(std::strlen(text)) : length).Str();
}
template <>
std::string Convert<char>(const char* text, int length) {
    return length < 0 ? std::string(text) : std::string(text, static_cast<size_t>(length));
}
template <>
std::string Convert<char>(const wchar_t* text, int length) {
    return CStringA(text, length < 0 ? static_cast<int>(std::wcslen(text)) : length).Str();
}

template <typename Ch>
void Pad(std::basic_string<Ch>& out, const std::basic_string<Ch>& body, const Spec<Ch>& spec) {
    size_t width = spec.width > 0 ? static_cast<size_t>(spec.width) : 0;
    bool left = spec.flags.find('-') != std::string::npos;
    size_t fill = body.size() < width ? width - body.size() : 0;
    if (!left) out.append(fill, Ch(' '));
    out += body;
    if (left) out.append(fill, Ch(' '));
}

// True when the conversion names this class's own width: plain %s/%c and the explicit modifier for it.
template <typename Ch>
bool IsWide(const Spec<Ch>& spec) {
    bool upper = spec.conversion == 'S' || spec.conversion == 'C';
    if (spec.size == Size::Short || spec.size == Size::Char) return false;
    if (spec.size == Size::Long || spec.size == Size::Wide) return true;
    bool own = !upper;
    return std::is_same<Ch, wchar_t>::value ? own : !own;
}

template <typename Ch>
void FormatString(std::basic_string<Ch>& out, const Spec<Ch>& spec, va_list& args) {
    const void* text = va_arg(args, const void*);
    std::basic_string<Ch> body;
    bool wide = IsWide(spec);
    if (text == nullptr) {
        AppendAscii(body, "(null)", 6);
    } else if (wide) {
        const wchar_t* w = static_cast<const wchar_t*>(text);
        // The precision caps how much is read, so a counted buffer need not be terminated.
        int length = spec.precision >= 0 ? static_cast<int>(wcsnlen(w, static_cast<size_t>(spec.precision))) : -1;
        body = Convert<Ch>(w, length);
    } else {
        const char* n = static_cast<const char*>(text);
        int length = spec.precision >= 0 ? static_cast<int>(strnlen(n, static_cast<size_t>(spec.precision))) : -1;
        body = Convert<Ch>(n, length);
    }
    if (spec.precision >= 0 && body.size() > static_cast<size_t>(spec.precision)) body.resize(spec.precision);
    Pad(out, body, spec);
}

template <typename Ch>
void FormatChar(std::basic_string<Ch>& out, const Spec<Ch>& spec, va_list& args) {
    int value = va_arg(args, int);
    std::basic_string<Ch> body;
    if (IsWide(spec)) {
        wchar_t w = static_cast<wchar_t>(value);
        body = Convert<Ch>(&w, 1);
    } else {
        char n = static_cast<char>(value);
        body = Convert<Ch>(&n, 1);
    }
    Pad(out, body, spec);
}

template <typename Ch>
std::string NumberSpec(const Spec<Ch>& spec, const char* length, char conversion) {
    std::string f = "%" + spec.flags;
    if (spec.width >= 0) f += std::to_string(spec.width);
    if (spec.precision >= 0) f += "." + std::to_string(spec.precision);
    f += length;
    f += conversion;
    return f;
}

template <typename Ch, typename T>
void AppendNumber(std::basic_string<Ch>& out, const std::string& format, T value) {
    char small[64];
    int n = std::snprintf(small, sizeof small, format.c_str(), value);
    if (n < 0) return;
    if (static_cast<size_t>(n) < sizeof small) {
        AppendAscii(out, small, static_cast<size_t>(n));
        return;
    }
    std::string big(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(&big[0], big.size(), format.c_str(), value);
    AppendAscii(out, big.c_str(), static_cast<size_t>(n));
}

template <typename Ch>
void FormatInteger(std::basic_string<Ch>& out, const Spec<Ch>& spec, va_list& args) {
    char conversion = static_cast<char>(spec.conversion);
    bool isSigned = conversion == 'd' || conversion == 'i';
    // 'long' is 32 bits on Windows; pointer-sized and 64-bit arguments share the 64-bit path.
    switch (spec.size) {
        case Size::LongLong:
        case Size::Pointer:
            if (isSigned) {
                AppendNumber(out, NumberSpec(spec, "ll", conversion), va_arg(args, long long));
            } else {
                AppendNumber(out, NumberSpec(spec, "ll", conversion), va_arg(args, unsigned long long));
            }
            return;
        case Size::Short:
            if (isSigned) {
                AppendNumber(out, NumberSpec(spec, "", conversion), static_cast<int>(static_cast<short>(va_arg(args, int))));
            } else {
                AppendNumber(out, NumberSpec(spec, "", conversion),
                             static_cast<unsigned>(static_cast<unsigned short>(va_arg(args, unsigned))));
            }
            return;
        case Size::Char:
            if (isSigned) {
                AppendNumber(out, NumberSpec(spec, "", conversion),
                             static_cast<int>(static_cast<signed char>(va_arg(args, int))));
            } else {
                AppendNumber(out, NumberSpec(spec, "", conversion),
                             static_cast<unsigned>(static_cast<unsigned char>(va_arg(args, unsigned))));
            }
            return;
        default:
            if (isSigned) {
                AppendNumber(out, NumberSpec(spec, "", conversion), va_arg(args, int));
            } else {
                AppendNumber(out, NumberSpec(spec, "", conversion), va_arg(args, unsigned));
            }
            return;
    }
}

template <typename Ch>
void FormatFloat(std::basic_string<Ch>& out, const Spec<Ch>& spec, va_list& args) {
    char conversion = static_cast<char>(spec.conversion);
    if (spec.size == Size::LongDouble) {
        AppendNumber(out, NumberSpec(spec, "L", conversion), va_arg(args, long double));
    } else {
        AppendNumber(out, NumberSpec(spec, "", conversion), va_arg(args, double));
    }
}

// %p prints the full pointer width in upper-case hexadecimal, as the Win32 C library does.
template <typename Ch>
void FormatPointer(std::basic_string<Ch>& out, const Spec<Ch>& spec, va_list& args) {
    const void* p = va_arg(args, const void*);
    char digits[32];
    int n = std::snprintf(digits, sizeof digits, "%016llX",
                          static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)));
    std::basic_string<Ch> body;
    AppendAscii(body, digits, static_cast<size_t>(n));
    Pad(out, body, spec);
}

template <typename Ch>
int ReadNumber(const Ch*& p) {
    int value = 0;
    while (*p >= '0' && *p <= '9') {
        value = value * 10 + (*p - '0');
        ++p;
    }
    return value;
}

template <typename Ch>
Size ReadSize(const Ch*& p) {
    switch (*p) {
        case 'h':
            ++p;
            if (*p == 'h') { ++p; return Size::Char; }
            return Size::Short;
        case 'l':
            ++p;
            if (*p == 'l') { ++p; return Size::LongLong; }
            return Size::Long;
        case 'L': ++p; return Size::LongDouble;
        case 'w': ++p; return Size::Wide;
        case 'j':
        case 'z':
        case 't': ++p; return Size::Pointer;
        case 'I':
            if (p[1] == '6' && p[2] == '4') { p += 3; return Size::LongLong; }
            if (p[1] == '3' && p[2] == '2') { p += 3; return Size::Default; }
            ++p;
            return Size::Pointer;
        default: return Size::Default;
    }
}

template <typename Ch>
std::basic_string<Ch> FormatAny(const Ch* format, va_list original) {
    std::basic_string<Ch> out;
    if (format == nullptr) return out;
    va_list args;
    va_copy(args, original);
    for (const Ch* p = format; *p;) {
        if (*p != '%') {
            out.push_back(*p++);
            continue;
        }
        const Ch* start = p++;
        if (*p == '%') {
            out.push_back(*p++);
            continue;
        }
        Spec<Ch> spec;
        while (*p == '-' || *p == '+' || *p == ' ' || *p == '#' || *p == '0') spec.flags.push_back(static_cast<char>(*p++));
        if (*p == '*') {
            ++p;
            spec.width = va_arg(args, int);
            if (spec.width < 0) {
                spec.flags.push_back('-');
                spec.width = -spec.width;
            }
        } else if (*p >= '0' && *p <= '9') {
            spec.width = ReadNumber(p);
        }
        if (*p == '.') {
            ++p;
            if (*p == '*') {
                ++p;
                spec.precision = va_arg(args, int);
            } else {
                spec.precision = ReadNumber(p);
            }
        }
        spec.size = ReadSize(p);
        spec.conversion = *p;
        if (*p) ++p;
        switch (spec.conversion) {
            case 'd': case 'i': case 'u': case 'o': case 'x': case 'X':
                FormatInteger(out, spec, args);
                break;
            case 'f': case 'F': case 'e': case 'E': case 'g': case 'G': case 'a': case 'A':
                FormatFloat(out, spec, args);
                break;
            case 's': case 'S':
                FormatString(out, spec, args);
                break;
            case 'c': case 'C':
                FormatChar(out, spec, args);
                break;
            case 'p':
                FormatPointer(out, spec, args);
                break;
            case 'n':
                // Writing through an argument is refused; the pointer is consumed and nothing is stored.
                (void)va_arg(args, void*);
                break;
            default:
                // Not a conversion: keep the text as written.
                out.append(start, p);
                break;
        }
    }
    va_end(args);
    return out;
}

}  // namespace

std::wstring FormatWide(const wchar_t* format, va_list args) { return FormatAny(format, args); }

std::string FormatNarrow(const char* format, va_list args) { return FormatAny(format, args); }

}  // namespace framework
