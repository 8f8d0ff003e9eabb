// Felvane.dll, the About box: the system information record the program hands over, and the two
// exports that take it and show the box.
//
// This header is the one description of the record, shared by the program and the library. The
// record is byte-packed; its text objects are one pointer wide (4 bytes in a 32-bit build, 8 in a
// 64-bit one) and deep-copied whenever the record is copied.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstring>

#pragma pack(push, 1)

// A text that owns its characters. It lives on the process heap, so that a copy made in one module
// may be freed in another.
class AboutText {
public:
    AboutText() = default;
    AboutText(const wchar_t* text) : chars_(Duplicate(text)) {}
    AboutText(const AboutText& other) : chars_(Duplicate(other.chars_)) {}
    AboutText& operator=(const AboutText& other) {
        if (this != &other) {
            wchar_t* copy = Duplicate(other.chars_);
            Free();
            chars_ = copy;
        }
        return *this;
    }
    ~AboutText() { Free(); }

    const wchar_t* GetString() const { return chars_ ? chars_ : L""; }

private:
    static wchar_t* Duplicate(const wchar_t* text) {
        if (!text) return nullptr;
        const size_t bytes = (static_cast<size_t>(lstrlenW(text)) + 1) * sizeof(wchar_t);
        auto* copy = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, bytes));
        if (copy) std::memcpy(copy, text, bytes);
        return copy;
    }
    void Free() {
        if (chars_) HeapFree(GetProcessHeap(), 0, chars_);
        chars_ = nullptr;
    }

    wchar_t* chars_ = nullptr;
};

// The tester's identity as the About box shows it. The byte fields are copied from the device API's
// identity data and need not end with a null.
struct AboutSysInfoRecord {
    char model[21];
    AboutText agent;
    char serialNumber[21];
    unsigned char mac[6];
    char pcbVersion[5];
    AboutText fpgaVersion;
    AboutText firmwareVersion;
    AboutText apiVersion;
    char productDate[13];  // 12 digits: year, month, day, hour, minute
    unsigned char reserved[30];
};

#pragma pack(pop)

static_assert(sizeof(AboutText) == sizeof(void*), "a text object is one pointer wide");
static_assert(sizeof(AboutSysInfoRecord) == 112 + 4 * (sizeof(void*) - 4), "112 bytes with 32-bit text objects");
static_assert(offsetof(AboutSysInfoRecord, agent) == 21, "record layout");
static_assert(offsetof(AboutSysInfoRecord, serialNumber) == 21 + sizeof(void*), "record layout");
static_assert(offsetof(AboutSysInfoRecord, mac) == 42 + sizeof(void*), "record layout");
static_assert(offsetof(AboutSysInfoRecord, pcbVersion) == 48 + sizeof(void*), "record layout");
static_assert(offsetof(AboutSysInfoRecord, fpgaVersion) == 53 + sizeof(void*), "record layout");
static_assert(offsetof(AboutSysInfoRecord, firmwareVersion) == 53 + 2 * sizeof(void*), "record layout");
static_assert(offsetof(AboutSysInfoRecord, apiVersion) == 53 + 3 * sizeof(void*), "record layout");
static_assert(offsetof(AboutSysInfoRecord, productDate) == 53 + 4 * sizeof(void*), "record layout");
static_assert(offsetof(AboutSysInfoRecord, reserved) == 66 + 4 * sizeof(void*), "record layout");

// Languages of the About box.
constexpr int kAboutEnglish = 0;
constexpr int kAboutJapanese = 2;

// Keeps a copy of the record for the About boxes shown after it; the caller may free its own.
extern "C" void WINAPI SetAboutDialogSysInfo(AboutSysInfoRecord record);

// Shows the About box of product `product` (6: QT714-NIC) with its version text and copyright year
// and the last record given, in the language given (another code shows English), as a modal box
// owned by the calling thread's active window. `reserved` is 0. Returns IDOK once the box is closed,
// 0 when it could not be shown.
extern "C" int WINAPI CreateAboutDialog(int product, AboutText version, int year, int reserved, int language);
