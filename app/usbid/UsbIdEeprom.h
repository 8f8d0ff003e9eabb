// UsbIdEeprom: the start-up check that the USB-Ethernet adapter of a tester carries the tester's USB
// identity (vendor 0x2403, product 0x8001) in its 512-byte configuration EEPROM, and the write that
// puts the identity there when it does not. The main dialog builds one on the stack, calls
// ReadAndCheck and, only when that returns true, Configure. Both run on the GUI thread and block it
// (Configure waits 500 ms after each write); failures are told in message boxes owned by the window
// given, with the application's title.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <set>
#include <string>

class UsbIdEeprom {
public:
    static constexpr size_t kImageSize = 512;
    using Image = std::array<uint8_t, kImageSize>;

    // Where the two device descriptors of the image keep their vendor and product ids.
    static constexpr size_t kIdOffsets[] = {72, 150};
    static constexpr std::array<uint8_t, 4> kTesterIds = {0x03, 0x24, 0x01, 0x80};

    // The chip driver's control device and its EEPROM I/O controls.
    static constexpr wchar_t kControlDevice[] = L"\\\\.\\AX88772";
    static constexpr uint32_t kIoctlReadImage = 0x222000;
    static constexpr uint32_t kIoctlWriteAttempt = 0x222058;
    static constexpr uint32_t kIoctlWriteImage = 0x222004;
    static constexpr int kAttempts = 3;

    explicit UsbIdEeprom(HWND owner);

    // Reads the EEPROM into the read-back image; true when either id place lacks the tester's ids.
    // A refused read leaves the working image, whose ids are right, so nothing is to be written.
    bool ReadAndCheck();
    // Writes the ids into the image read and verifies them by reading back, three attempts in all.
    void Configure();

    const Image& ReadBackImage() const { return readBack_; }
    int AttemptNumber() const { return attempt_; }

private:
    // Shows a failure's box, once for each text in this record's life: a failure that repeats
    // through the attempts is told once.
    void Report(const wchar_t* text);

    HWND owner_;
    Image working_;
    Image readBack_{};
    // Whether the read-back image came from the adapter rather than from the working image.
    bool readBackFromAdapter_ = false;
    int attempt_ = 0;
    std::set<std::wstring> reported_;
};
