#include "usbid/UsbIdEeprom.h"

#include <framework/App.h>

#include "chipdriver/ChipDriver.h"

#include <algorithm>

namespace {

// The pause between a write and the read that verifies it, for the part to finish its cycle.
constexpr DWORD kWriteSettleMs = 500;

// The control device, opened as the driver expects (read and write, shared for reading, existing),
// for one I/O control and closed when it goes.
class ControlDevice {
public:
    ControlDevice()
        : handle_(chipdriver::CreateFileW(UsbIdEeprom::kControlDevice, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~ControlDevice() { Close(); }
    ControlDevice(const ControlDevice&) = delete;
    ControlDevice& operator=(const ControlDevice&) = delete;

    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

    // True when the control succeeded and returned exactly outLength bytes.
    bool Control(uint32_t code, const void* in, DWORD inLength, void* out, DWORD outLength) {
        DWORD returned = 0;
        return IsOpen() &&
               chipdriver::DeviceIoControl(handle_, code, const_cast<void*>(in), inLength, out, outLength, &returned,
                                           nullptr) &&
               returned == outLength;
    }

    void Close() {
        if (IsOpen()) chipdriver::CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle_;
};

void PutTesterIds(UsbIdEeprom::Image* image) {
    for (size_t at : UsbIdEeprom::kIdOffsets)
        std::copy(UsbIdEeprom::kTesterIds.begin(), UsbIdEeprom::kTesterIds.end(), image->begin() + at);
}

bool HasTesterIds(const UsbIdEeprom::Image& image) {
    return std::all_of(std::begin(UsbIdEeprom::kIdOffsets), std::end(UsbIdEeprom::kIdOffsets), [&](size_t at) {
        return std::equal(UsbIdEeprom::kTesterIds.begin(), UsbIdEeprom::kTesterIds.end(), image.begin() + at);
    });
}

}  // namespace

UsbIdEeprom::UsbIdEeprom(HWND owner) : owner_(owner) {
    // Only its ids matter: it is what a refused read leaves behind, and it must then read as right.
    working_.fill(0xFF);
    PutTesterIds(&working_);
}

bool UsbIdEeprom::ReadAndCheck() {
    Image buffer = working_;
    {
        ControlDevice device;
        if (!device.IsOpen()) {
            Report(L"Failed to open the control device!");
            readBackFromAdapter_ = false;
            return false;
        }
        readBackFromAdapter_ = device.Control(kIoctlReadImage, nullptr, 0, buffer.data(), kImageSize);
    }
    if (!readBackFromAdapter_) {
        // A short read may have filled part of the buffer.
        buffer = working_;
        Report(L"Read IOCTL failed!");
    }
    readBack_ = buffer;
    return !HasTesterIds(readBack_);
}

void UsbIdEeprom::Configure() {
    // Every attempt writes the image the check read, ids put in: neither a refused verifying read
    // (which leaves the working image) nor a write that came back wrong may become the next
    // attempt's image, or the adapter's other bytes would be lost.
    if (!readBackFromAdapter_) return;
    Image image = readBack_;
    PutTesterIds(&image);

    // A refused write counts as an attempt too, so a part that refuses every write is left after three.
    for (attempt_ = 0; attempt_ < kAttempts; ++attempt_) {
        const int32_t attempt = attempt_;
        ControlDevice().Control(kIoctlWriteAttempt, &attempt, sizeof attempt, nullptr, 0);

        ControlDevice device;
        if (!device.IsOpen()) {
            Report(L"Failed to open the control device");
            return;
        }
        if (!device.Control(kIoctlWriteImage, image.data(), kImageSize, nullptr, 0)) {
            device.Close();
            Report(L"Write EEPROM failed!");
            continue;
        }
        device.Close();
        ::Sleep(kWriteSettleMs);
        ReadAndCheck();
        if (readBackFromAdapter_ && readBack_ == image) {
            attempt_ = 0;
            return;
        }
    }
}

void UsbIdEeprom::Report(const wchar_t* text) {
    if (reported_.insert(text).second) ::MessageBoxW(owner_, text, AfxGetAppName(), MB_OK);
}
