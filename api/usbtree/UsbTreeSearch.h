#pragma once
// Finding USB units by vendor and product id, for the USB control channel: a walk of the USB
// device tree (host controllers, root hubs, hub ports, external hubs) counts the present devices
// with the ids that have a driver installed and declare a product string; then the present
// interfaces of one device-interface class are matched, one per counted device, by the ids in
// their device path.
//
// Searches take the search lock for their whole run, so two threads never mix their lists.

#include <windows.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace capi {

class UsbTreeSearch {
public:
    static UsbTreeSearch& Instance();

    // Clears `indices`, then appends the enumeration index (0-based position in the class's
    // interface set) of each matching interface; 1 when it found any, else 0.
    int Find(const GUID& interfaceClass, uint32_t vendorId, uint32_t productId, const std::wstring& productName,
             std::vector<uint32_t>& indices);
    // The device path of the last interface any search matched (empty before the first match).
    std::wstring LastFoundDevicePath() const;

private:
    UsbTreeSearch() = default;
    void WalkUsbTree();
    void WalkHub(const std::wstring& hubName, int depth);
    void MatchInterfaces(const GUID& interfaceClass, std::vector<uint32_t>& indices);

    // Guards everything below: the host's threads that search (the USB layer's exports).
    mutable std::mutex lock_;
    uint32_t vendorId_ = 0;
    uint32_t productId_ = 0;
    std::wstring productName_;              // kept from the last search, not used by it
    std::vector<std::wstring> expected_;    // "#vid_xxxx&pid_xxxx" per counted device
    std::wstring lastFoundPath_;
};

// The mpusbapi driver's interface class, and HID.
int FindUsbInterfacePathsByHub(uint32_t vendorId, uint32_t productId, const std::wstring& productName,
                               std::vector<uint32_t>& indices);
int FindUsbInterfacePaths(uint32_t vendorId, uint32_t productId, const std::wstring& productName,
                          std::vector<uint32_t>& indices);
std::wstring LastFoundDevicePath();

}  // namespace capi
